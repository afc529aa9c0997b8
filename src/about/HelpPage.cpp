#include "about/HelpPage.h"
#include "platform/FileOps.h"
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace HelpPage {

QString path(const QString& programFolder)
{
    return QDir::toNativeSeparators(QDir(programFolder).filePath(QStringLiteral("help/help.htm")));
}

bool exists(const QString& programFolder) { return FileOps::entryExists(path(programFolder)); }

bool open(const QString& programFolder)
{
    const QString help = path(programFolder);
#ifdef Q_OS_WIN
    const QString opener = QStringLiteral("explorer.exe");
#else
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#endif
    return (!opener.isEmpty() && QProcess::startDetached(opener, { help }, programFolder))
        || QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(help)));
}

}
