#pragma once
#include "platform/Failure.h"
#include <QByteArray>
#include <QString>

// Options newer than Pirapo.ini, kept in Lumo.ini beside it so that Pirapo.ini stays the
// 24 lines older readers expect. One "Name=0" or "Name=1" line per option, CR LF after each.
struct ExtraOptions {
    bool classicFormatsOnly = false; // list JPEG, BMP, GIF and PNG only
    bool companionsFollow = true; // a picture's RAW files and sidecars move with it
};

namespace ExtraOptionsFile {

// The options the bytes give. A line this version does not know is passed over (a newer
// version may have written it); anything damaged gives the defaults, whole.
ExtraOptions parse(const QByteArray& bytes);
QByteArray format(const ExtraOptions& options);

// Lumo.ini in the folder Pirapo.ini is written to (beside the program, or `userFolder`).
QString locate(const QString& programFolder, const QString& userFolder);

// The defaults when the file is missing, unreadable or not a regular file.
ExtraOptions read(const QString& path);
// Through a temporary file; `failure` gets why it failed.
bool write(const QString& path, const ExtraOptions& options, Failure* failure);

}
