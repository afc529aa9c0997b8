#include "session/Settings.h"
#include "platform/FileOps.h"
#include <QDir>

void Settings::updateDestinationNames()
{
    for (size_t i = 0; i < destinationFolders.size(); ++i)
        destinationNames[i] = destinationNameOf(destinationFolders[i]);
}

QString Settings::destinationNameOf(const QString& path)
{
    QString p = path;
    const QString sep = FileOps::separator();
    if (p.endsWith(sep))
        p.chop(1);
    const int at = p.lastIndexOf(sep);
    return at < 0 ? p : p.mid(at + 1);
}

bool Settings::isUnsetFolder(const QString& path)
{
    if (path.trimmed().isEmpty())
        return true;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QString root = QDir::cleanPath(QDir::fromNativeSeparators(FileOps::rootPath()));
#ifdef Q_OS_WIN
    return clean.compare(root, Qt::CaseInsensitive) == 0;
#else
    return clean == root;
#endif
}
