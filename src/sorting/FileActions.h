#pragma once
#include "platform/FileOps.h"
#include <QString>
#include <functional>

// The file operations a transfer, an undo and send all perform: the real ones unless
// replaced. Tests replace one to make a single step fail in a way the file system of a
// test machine cannot (deleting as root, say).
struct FileActions {
    std::function<FileOps::Result(const QString& path)> setNormalAttributes = FileOps::setNormalAttributes;
    std::function<FileOps::Result(const QString& from, const QString& to)> copyFile = FileOps::copyFile;
    std::function<FileOps::Result(const QString& path)> deleteFile = FileOps::deleteFile;
    std::function<bool(const QString& path)> makeFolder = FileOps::makeSureDirectoryPathExists;
};
