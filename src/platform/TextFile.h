#pragma once
#include "platform/Failure.h"
#include <QByteArray>
#include <QString>

// Small text files, read and written whole as bytes in the system's encoding (UTF-8
// here, the ANSI code page on Windows).
namespace TextFile {

// False when the file cannot be opened or read; only regular files are opened.
bool read(const QString& path, QByteArray* bytes);

// Written through a temporary file, synced and renamed into place, so a full disk, a
// failed write or a power cut leaves the previous file as it was. In a folder that takes no new
// files, an existing writable file is rewritten in place. `failure` gets why it failed.
bool write(const QString& path, const QByteArray& bytes, Failure* failure);

QString decode(const QByteArray& bytes); // from the system's encoding
QByteArray encode(const QString& text); // to the system's encoding

}
