#pragma once
#include "app/Module1.h"
#include <QString>

// Pirapo.ini: 24 CR LF lines of quoted strings and plain numbers, 35 fields in all.
namespace SettingsStore {

constexpr int FieldCount = 35;

enum class ReadStatus {
    Ok,
    Missing, // no plain file there: defaults
    TooShort, // fewer than 35 fields: the caller deletes the file and ends the program
    Unreadable, // there but cannot be read: defaults, and the user is told
};

// The values a run starts with when there is no file.
void setDefaults(Module1& m);

// Parses the text of a settings file into `m`. A field that is not a number reads as 0;
// a number that does not fit its field takes that field's default.
ReadStatus parse(const QString& text, Module1& m);

ReadStatus read(const QString& path, Module1& m);

// The exact 24-line text, CR LF after every line. A double quote inside a string is
// written doubled, so any value round-trips while files without quotes read as before.
QString format(const Module1& m);

bool write(const QString& path, const Module1& m, QString* error);

// The display name of a destination: one trailing separator dropped, then the text
// after the last separator ("/photos/cats/" and "/photos/cats" give "cats").
QString destNameOf(const QString& path);
void computeDestNames(Module1& m);

QString settingsPath(const QString& appPath);

}
