#include "session/Settings.h"
#include "platform/FileOps.h"
#include <QDir>

void Settings::updateDestinationNames()
{
    for (size_t k = 0; k < destinationFolders.size(); ++k)
        destinationNames[k] = destinationNameOf(destinationFolders[k]);
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
