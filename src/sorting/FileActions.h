#pragma once
#include "platform/DurableFile.h"
#include "platform/FileOps.h"
#include <QString>
#include <functional>

// The file operations a transfer, an undo and send all perform: the real ones unless
// replaced. Tests replace one, or make one step of a move fail, in a way the file system
// of a test machine cannot (deleting as root, a failing sync, say).
struct FileActions {
    std::function<Failure(const QString& path)> setNormalAttributes = FileOps::setNormalAttributes;
    DurableFile::FaultHook failStep; // none: every step runs. Called on the thread that moves.
    std::function<Failure(const QString& path)> deleteFile = FileOps::deleteFile;
    std::function<bool(const QString& path)> makeFolder = FileOps::makeSureDirectoryPathExists;
};
