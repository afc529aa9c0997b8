#pragma once
#include "platform/Failure.h"
#include "sorting/Sorter.h"
#include <QString>

// The sentences the user reads about a failure, made from its reason: the one place
// where the layers below get their words.
namespace Wording {

// What a system error (errno) means, as one sentence.
QString systemError(int error);

// Why something failed, as a sentence ending in "。".
QString messageFor(const Failure& failure);

// The message box of a failed transfer, undo or send all.
QString messageFor(const TransferResult& result);
QString messageFor(const UndoResult& result);
QString messageFor(const SendAllResult& result);

}
