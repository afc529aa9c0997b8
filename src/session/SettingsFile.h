#pragma once
#include "session/Settings.h"
#include <QString>

// Pirapo.ini: 24 CR LF lines of quoted strings and plain numbers, 35 fields in all.
namespace SettingsFile {

constexpr int FieldCount = 35;

enum class ReadStatus {
    Ok,
    Missing, // no file there: defaults
    TooShort, // fewer than 35 fields: the caller deletes the file and ends the program
    Unreadable, // there but cannot be read: defaults, and the user is told
    NotAFile, // a folder, FIFO or device (or a link to one): defaults, left untouched
};

// The values a run starts with when there is no file.
Settings defaults();

// Parses the bytes of a settings file into `s`. A field that is not a number reads as 0;
// a number that does not fit its field takes that field's default.
ReadStatus parse(const QByteArray& bytes, Settings& s);

// `bytes` receives the file as it was read, for format() at the end of the run.
ReadStatus read(const QString& path, Settings& s, QByteArray* bytes = nullptr);

// The exact 24 lines, CR LF after every line, in the system's encoding. A double quote
// inside a string is written doubled, so any value round-trips while files without
// quotes read as before. A string still equal to what `previous` (the file as read)
// gave keeps its bytes from there, even bytes the system's encoding cannot show.
QByteArray format(const Settings& s, const QByteArray& previous = QByteArray());

// Makes the file's folder first when it is missing.
bool write(const QString& path, const Settings& s, QString* error, const QByteArray& previous = QByteArray());

// Pirapo.ini in `folder`.
QString path(const QString& folder);

// The user's own folder for the settings of an installed program, whose folder takes
// no files: $XDG_CONFIG_HOME/pirapo-lumo here.
QString userFolder();

// Where the settings are read from and written to: beside the program while its folder
// takes new files. Otherwise the file in `userFolder` once there is one; else the file
// beside the program, rewritten in place when it may be, or saved to `userFolder`.
// An empty `userFolder` keeps both beside the program.
struct Location {
    QString read;
    QString write;
};
Location locate(const QString& programFolder, const QString& userFolder);

// A run's own settings file: where its end writes (empty: the file is left alone) and
// the bytes its start read.
struct RunFile {
    QString write;
    QByteArray read;
};

// The settings a run starts with, into `s`: the defaults unless the file found is usable.
// A file that cannot be used is left as it is and `warning` says so, once. False when the
// file was too short to trust: it has been deleted and the program must end at once.
bool startRun(const QString& programFolder, const QString& userFolder, Settings& s, RunFile& file, QString* warning);

// Writes the settings at the end of a run; the text to show when that failed, else empty.
QString endRun(const RunFile& file, const Settings& s);

}
