#include "session/Settings.h"
#include "platform/FileOps.h"

void Settings::updateDestNames()
{
    for (size_t k = 0; k < destPaths.size(); ++k)
        destNames[k] = destNameOf(destPaths[k]);
}

QString Settings::destNameOf(const QString& path)
{
    QString p = path;
    const QString sep = FileOps::separator();
    if (p.endsWith(sep))
        p.chop(1);
    const int at = p.lastIndexOf(sep);
    return at < 0 ? p : p.mid(at + 1);
}
