#pragma once
#include <QString>

// Text files in the system's encoding (UTF-8 here, the ANSI code page on Windows).
namespace TextFile {

// False when the file cannot be opened or read.
bool read(const QString& path, QString* text);

// Written through a temporary file and renamed into place, so a full disk or a
// failed write leaves the previous file as it was. `error` gets a Japanese reason.
bool write(const QString& path, const QString& text, QString* error);

}
