#pragma once
#include <QString>

// help/help.htm in the program's folder, opened in the desktop's browser.
namespace HelpPage {

QString path(const QString& programFolder);
bool exists(const QString& programFolder);
// With the desktop's opener, else the desktop's own way to open a page. False when
// neither took it: the caller shows the usage window instead.
bool open(const QString& programFolder);

}
