#pragma once
#include "app/Module1.h"
#include <QString>

// Pirapo.ini: 24 CR LF lines of quoted strings and plain numbers, 35 fields in all.
namespace SettingsStore {

constexpr int FieldCount = 35;

enum class ReadStatus {
    Ok,
    Missing, // no file there: defaults
    TooShort, // fewer than 35 fields: the caller deletes the file and ends the program
    Unreadable, // there but cannot be read: defaults, and the user is told
    NotAFile, // a folder, FIFO or device (or a link to one): defaults, left untouched
};

// The values a run starts with when there is no file.
void setDefaults(Module1& m);

// Parses the bytes of a settings file into `m`. A field that is not a number reads as 0;
// a number that does not fit its field takes that field's default.
ReadStatus parse(const QByteArray& bytes, Module1& m);

// `bytes` receives the file as it was read, for format() at the end of the run.
ReadStatus read(const QString& path, Module1& m, QByteArray* bytes = nullptr);

// The exact 24 lines, CR LF after every line, in the system's encoding. A double quote
// inside a string is written doubled, so any value round-trips while files without
// quotes read as before. A string still equal to what `previous` (the file as read)
// gave keeps its bytes from there, even bytes the system's encoding cannot show.
QByteArray format(const Module1& m, const QByteArray& previous = QByteArray());

// Makes the file's folder first when it is missing.
bool write(const QString& path, const Module1& m, QString* error, const QByteArray& previous = QByteArray());

// The display name of a destination: one trailing separator dropped, then the text
// after the last separator ("/photos/cats/" and "/photos/cats" give "cats").
QString destNameOf(const QString& path);
void computeDestNames(Module1& m);

QString settingsPath(const QString& appPath);

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
Location locate(const QString& appPath, const QString& userFolder);

}
