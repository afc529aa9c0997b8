#pragma once
#include "distribute/FileActions.h"
#include <QString>

class Session;
class UndoHistory;
struct Settings;

namespace Distribute {

// A destination that is not set: an empty path, or the root of the file system, which a
// first start gives every destination. Nothing is ever put there.
bool isUnsetFolder(const QString& path);

// The reason given when target k (0..9, 10 the delete folder) is not set.
QString unsetFolderMessage(int k);

// How many serials a transfer tries before it reports that no free name is left.
constexpr int MaxNameTries = 1000;

struct TransferResult {
    bool ok = false;
    QString message; // Japanese, for the window's message box; empty when ok
    QString newName; // the file's name in the destination folder
    QString destination; // the full path the copy was made to
    bool sourceDeleted = false;
    // A move whose source could not be deleted and whose copy could not be taken
    // back either: both files remain, and the copy is recorded so undo can remove it.
    bool duplicateLeft = false;
};

// The file work of a drop of `fileName` from `sourceFolder` on target k (0..9):
// shifts the undo history, names the file by the renaming rule, copies it to destination k,
// deletes the source unless copy mode keeps it, writes history entry 0 and advances
// the rule's counter. The caller does the window's part around it (busy flag,
// thumbnail, label colour, pending events, undo commands by history.canUndo()).
//
// An existing entry of the new name is never replaced: the rule's counter moves on past
// taken names (at most MaxNameTries of them) and the file gets the first free serial.
//
// On failure the source stays where it was, a copy already made is removed again,
// the history is exactly as before, no counter moves, and `message` names the file
// and the reason.
TransferResult transferDrop(Settings& settings, Session& session, UndoHistory& history, int k,
    const QString& sourceFolder, const QString& fileName, const FileActions& fs = FileActions::real());
}
