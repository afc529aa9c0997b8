#pragma once
#include "platform/Failure.h"
#include "session/Settings.h"
#include <QString>

// Pirapo.ini: 24 CR LF lines of quoted strings and plain numbers, 35 fields in all.
namespace SettingsFile {

constexpr int FieldCount = 35;

enum class ReadStatus {
    Ok,
    Missing, // no file there: defaults
    Damaged, // not the 24 lines it should be, or a relative folder: kept aside, defaults
    Unreadable, // there but cannot be read: defaults, and the user is told
    NotAFile, // a folder, FIFO or device (or a link to one): defaults, left untouched
};

// The values a run starts with when there is no file.
Settings defaults();

// Parses the bytes of a settings file into `s`, which is left alone unless they read
// cleanly. A number that does not fit its field takes that field's default.
ReadStatus parse(const QByteArray& bytes, Settings& s);

// `bytes` receives the file as it was read, for format() at the end of the run.
ReadStatus read(const QString& path, Settings& s, QByteArray* bytes = nullptr);

// The exact 24 lines, CR LF after every line, in the system's encoding. A double quote
// inside a string is written doubled, so any value round-trips while files without
// quotes read as before. A string still equal to what `previous` (the file as read)
// gave keeps its bytes from there, even bytes the system's encoding cannot show.
QByteArray format(const Settings& s, const QByteArray& previous = QByteArray());

// False for a value the file cannot carry: a line break, a NUL, or a character the
// system's encoding cannot write. Such a folder is never remembered.
bool canHold(const QString& value);

// The 35 values the file carries are equal.
bool sameStoredValues(const Settings& a, const Settings& b);

// `s` with each string the file cannot hold replaced by what `previous` held there
// (or the default).
Settings storable(const Settings& s, const QByteArray& previous);

// True when format() of `s` parses back to the same values.
bool readsBack(const Settings& s, const QByteArray& previous = QByteArray());

// Makes the file's folder first when it is missing. Writes nothing (false, no reason in
// `failure`) unless the bytes read back to the same values.
bool write(const QString& path, const Settings& s, Failure* failure, const QByteArray& previous = QByteArray());

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
// A damaged file is kept aside as `keptAs` (Pirapo.ini.bad) before this run may write
// over it; a file that cannot be used or kept aside is left alone and not written.
struct StartNote {
    ReadStatus problem = ReadStatus::Ok; // Ok and Missing need no word
    QString file; // the file read
    QString keptAs; // where a damaged file was kept aside; empty when it was not
    bool leftAlone = false; // the file stays as it is; this run's settings are not saved
};
StartNote startRun(const QString& programFolder, const QString& userFolder, Settings& s, RunFile& file);

// Writes the settings at the end of a run; `failure` gets why a write failed.
enum class EndProblem { None, NotAFile, WouldNotReadBack, WriteFailed };
EndProblem endRun(const RunFile& file, const Settings& s, Failure* failure);

}
