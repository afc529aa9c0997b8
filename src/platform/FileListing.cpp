#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include <QDir>
#include <algorithm>

static QStringList nameFilters(const QString& pattern)
{
    QStringList filters;
    for (const QString& p : pattern.split(u';', Qt::SkipEmptyParts))
        filters << p.trimmed();
    return filters;
}

QStringList listFiles(const QString& folder, const QString& pattern)
{
    QDir dir(folder);
    dir.setNameFilters(nameFilters(pattern));
    // Hidden files (a leading dot here) are left out; name filters are case-insensitive.
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::NoSort);
    QStringList names = dir.entryList();
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.startsWith(u'.'); }), names.end());
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

int unlistableCount(const QString& folder, const QString& pattern)
{
    return FileOps::unlistableCount(folder, nameFilters(pattern));
}
