#pragma once
#include "platform/Failure.h"
#include <QDateTime>
#include <QString>

class QFile;

// File system operations the program needs, each safe against a missing folder,
// a full disk and an existing name. A failure carries its errno.
namespace FileOps {

QString separator(); // "/" here, "\" on Windows
QString rootPath(); // "/" here, "c:\" on Windows

// folder + separator + name, without doubling a separator the folder already ends with.
QString joinPath(const QString& folder, const QString& name);

bool fileExists(const QString& path); // a plain file
bool folderExists(const QString& path);
bool entryExists(const QString& path); // file or folder
qint64 fileLength(const QString& path); // -1 when missing
QDateTime lastModified(const QString& path);

// True when the path, or what its links resolve to, is a regular file: never a FIFO,
// a device or a socket, whose open or read could block the window for good.
bool isRegularFile(const QString& path);

// What a path names once its links are resolved. A link to nothing is Missing.
enum class EntryKind { Missing, Regular, Other };
EntryKind entryKind(const QString& path);

// The plain, non-hidden files of `folder` matching one of `nameFilters` whose names
// Qt cannot hold (bytes that are not UTF-8 here): its listings silently leave them out,
// and no path to them can be built.
int unlistableCount(const QString& folder, const QStringList& nameFilters);

// A folder that exists and that this user may create files in.
bool folderWritable(const QString& path);

// Opens `file` (its name set) read-only, but only a regular file, and without ever
// blocking in open(): a FIFO or a device is refused like a file that cannot be read.
bool openRegularFile(QFile& file);

// A name for the very file `file` holds open, for a library that only opens by name: what
// the file's own name leads to may have changed since. Empty where the system has no such
// name (a file opened from a descriptor keeps no name of its own).
QString openedFilePath(const QFile& file);

// The counterpart of clearing read-only: gives the owner write permission. A link is
// left as it is: its own mode means nothing, and its target may lie anywhere.
Failure setNormalAttributes(const QString& path);

Failure deleteFile(const QString& path);

// True when the desktop has a trash that files can be moved into.
bool trashAvailable();
// Moves the file into the desktop's trash; it is never deleted for good.
Failure moveToTrash(const QString& path);

// Creates the folder and every missing parent; true when it exists afterwards.
bool makeSureDirectoryPathExists(const QString& path);

// The user's pictures folder, else home: where an installed program's folder screen opens
// with no remembered folder (the folder it was started in is often its own).
QString picturesFolder();

}
