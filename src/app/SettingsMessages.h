#pragma once
#include "session/SettingsFile.h"
#include <QString>

// What the user is told when the settings file could not be read at start or written at
// the end; empty when there is nothing to say.
namespace SettingsMessages {

QString startWarning(const SettingsFile::StartNote& note);
QString endError(SettingsFile::EndProblem problem, const QString& file, const QString& reason);

}
