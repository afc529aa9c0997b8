#pragma once
#include <QByteArray>
#include <QString>

// The text the usage window shows: Readme.txt from the program's folder.
namespace ReadmeText {

QString fileName(); // "Readme.txt"
QString notFoundText(); // shown instead when the file cannot be read

// Decodes the file's bytes and ends every line with CR LF, the last one included.
// UTF-8 (a byte-order mark is dropped); bytes that are not valid UTF-8 are read as
// Shift-JIS (code page 932), so a text saved on a Japanese Windows system still reads.
QString fromBytes(const QByteArray& bytes);

// False when the file cannot be opened or read.
bool read(const QString& path, QString* text);

// Readme.txt of the given folder, or the not-found text.
QString load(const QString& programFolder);

}
