#pragma once
#include <QSize>
#include <QString>

// What the about box shows and starts, apart from its window.
namespace AboutInfo {

QString homepage(); // the address the link label shows and opens
QString programVersion(); // the build's project version
QString description();

// "ﾊﾞｰｼﾞｮﾝ " + major.minor.revision; missing parts count as 0, further parts are left out.
QString versionText(const QString& version);

struct ScreenFacts {
    QString name;
    QSize size; // logical pixels
    QSize available;
    double scale = 1.0; // device pixels per logical pixel
    int dpi = 96;
};

// The system's own information program: Windows' msinfo, else the first of hardinfo2,
// hardinfo and kinfocenter on PATH; empty when there is none.
QString findSysInfoProgram();

// What the system-information button shows when there is no such program: OS, kernel, architecture, Qt, the program
// and the screen, one fact a line, for a user to copy into a report.
QString systemFacts(const ScreenFacts& screen);

}
