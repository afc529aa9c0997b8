#pragma once
#include <QString>

// What the about box shows and starts, apart from its window.
namespace AboutInfo {

QString homepage(); // the address the link label shows and opens
QString programVersion(); // the build's project version
QString description();

// "ﾊﾞｰｼﾞｮﾝ " + major.minor.revision; missing parts count as 0, further parts are left out.
QString versionText(const QString& version);

// The system-information program to start, or empty when there is none.
// Linux and other Unix: the first of hardinfo2, hardinfo and kinfocenter on PATH.
// Windows: the msinfo program the registry names.
QString findSysInfoProgram();

QString sysInfoUnavailableText(); // shown when there is no such program

}
