#include "platform/PictureFormats.h"
#include <QSet>

namespace PictureFormats {

namespace {

    const char* const classicExtensions[] = { "jpg", "bmp", "gif", "png" };
    const char* const newerExtensions[] = { "jpeg", "tif", "tiff", "webp", "heic", "heif" };
    const char* const rawExtensions[] = { "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "raf", "orf", "rw2",
        "pef", "dng", "srw", "x3f", "3fr", "iiq", "rwl", "erf", "mos", "mrw", "kdc", "dcr" };

    QString extensionOf(const QString& name)
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        return dot < 0 ? QString() : name.mid(dot + 1).toLower();
    }

    QString baseNameOf(const QString& name)
    {
        const qsizetype dot = name.lastIndexOf(u'.');
        return (dot < 0 ? name : name.left(dot)).toLower();
    }

}

QString listPattern(FormatSet set)
{
    QStringList filters;
    auto add = [&filters](const auto& extensions) {
        for (const char* e : extensions)
            filters << QStringLiteral("*.") + QLatin1String(e);
    };
    add(classicExtensions);
    if (set == FormatSet::All) {
        add(newerExtensions);
        add(rawExtensions);
    }
    return filters.join(u';');
}

bool isRawName(const QString& name)
{
    const QString extension = extensionOf(name);
    for (const char* e : rawExtensions)
        if (extension == QLatin1String(e))
            return true;
    return false;
}

QStringList withoutPairedRaws(const QStringList& names)
{
    QSet<QString> pictures;
    for (const QString& n : names)
        if (!isRawName(n))
            pictures.insert(baseNameOf(n));
    QStringList kept;
    kept.reserve(names.size());
    for (const QString& n : names)
        if (!isRawName(n) || !pictures.contains(baseNameOf(n)))
            kept << n;
    return kept;
}

}
