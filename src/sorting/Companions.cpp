#include "sorting/Companions.h"
#include "platform/FileOps.h"
#include "sorting/Renaming.h"
#include <QDir>
#include <QFileInfo>
#include <array>

namespace {

constexpr std::array RawExtensions { "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "raf", "orf", "rw2", "pef",
    "dng", "srw", "x3f", "3fr", "iiq", "rwl", "erf", "mos", "mrw", "kdc", "dcr" };
constexpr std::array SidecarExtensions { "xmp", "thm", "aae", "pp3", "dop", "on1" };

template <size_t N> bool listed(const std::array<const char*, N>& list, const QString& extension)
{
    for (const char* e : list)
        if (extension.compare(QLatin1String(e), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString baseOf(const QString& name) { return name.left(name.size() - Renaming::extensionOf(name).size()); }

// The picture's own name as the base: "IMG_0001.JPG.xmp".
bool wholeNameSidecar(const QString& name, const QString& pictureName)
{
    const QString extension = Renaming::extensionOf(name).mid(1);
    return listed(SidecarExtensions, extension) && baseOf(name).compare(pictureName, Qt::CaseInsensitive) == 0;
}

}

namespace Companions {

QStringList listFolder(const QString& folder)
{
    // Listed without filters: a name with "[" or "*" is matched as it stands.
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}

QStringList find(const QString& folder, const QString& pictureName)
{
    return pictureName.isEmpty() ? QStringList() : findAmong(listFolder(folder), pictureName);
}

QStringList findAmong(const QStringList& names, const QString& pictureName)
{
    QStringList found;
    if (pictureName.isEmpty())
        return found;
    const QString pictureBase = baseOf(pictureName);
    for (const QString& name : names) {
        if (name == pictureName)
            continue;
        const QString extension = Renaming::extensionOf(name).mid(1);
        const bool sameBase = !pictureBase.isEmpty() && baseOf(name).compare(pictureBase, Qt::CaseInsensitive) == 0
            && (listed(RawExtensions, extension) || listed(SidecarExtensions, extension));
        if (sameBase || wholeNameSidecar(name, pictureName))
            found << name;
    }
    return found;
}

QString renamed(const QString& companion, const QString& pictureName, const QString& pictureNewName)
{
    if (wholeNameSidecar(companion, pictureName))
        return pictureNewName + companion.mid(pictureName.size());
    const QString newBase = pictureNewName.left(pictureNewName.size() - Renaming::extensionOf(pictureName).size());
    return newBase + companion.mid(baseOf(pictureName).size());
}

QString summary(const QStringList& companions)
{
    QStringList shown;
    for (const QString& name : companions)
        if (const QString e = u'+' + Renaming::extensionOf(name).mid(1).toUpper(); !shown.contains(e))
            shown << e;
    return shown.join(u' ');
}

// Where each companion of `pictureName` goes when the picture is stored as `newName`.
QList<CompanionMove> moves(const QString& sourceFolder, const QString& pictureName, const QStringList& companions,
    const QString& destinationFolder, const QString& newName)
{
    QList<CompanionMove> found;
    for (const QString& c : companions)
        found.push_back({ FileOps::joinPath(sourceFolder, c),
            FileOps::joinPath(destinationFolder, renamed(c, pictureName, newName)) });
    return found;
}

// True when neither the picture's new name nor any of its companions' is taken.
bool unitFree(
    const QString& destinationFolder, const QString& pictureName, const QStringList& companions, const QString& newName)
{
    if (FileOps::entryExists(FileOps::joinPath(destinationFolder, newName)))
        return false;
    for (const QString& c : companions)
        if (FileOps::entryExists(FileOps::joinPath(destinationFolder, renamed(c, pictureName, newName))))
            return false;
    return true;
}

// The picture's own name, or the first free "stem (n).ext", free for the companions too.
QString freeUnitName(const QString& folder, const QString& name, const QStringList& companions)
{
    if (companions.isEmpty())
        return Renaming::freeName(folder, name);
    if (unitFree(folder, name, companions, name))
        return name;
    const QString ext = Renaming::extensionOf(name);
    const QString stem = name.left(name.size() - ext.size());
    for (int n = 2; n <= 9999; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(ext);
        if (unitFree(folder, name, companions, candidate))
            return candidate;
    }
    return QString();
}

}

QStringList CompanionLookup::of(const QString& folder, const QString& pictureName)
{
    if (pictureName.isEmpty())
        return QStringList();
    const QDateTime stamp = QFileInfo(folder).lastModified();
    if (m_folder != folder || m_stamp != stamp) {
        m_listing = Companions::listFolder(folder);
        m_folder = folder;
        m_stamp = stamp;
    }
    return Companions::findAmong(m_listing, pictureName);
}
