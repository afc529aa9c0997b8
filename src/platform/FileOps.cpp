#include "platform/FileOps.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#ifndef Q_OS_WIN
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace FileOps {

QString separator() { return QString(QDir::separator()); }

QString rootPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\");
#else
    return QStringLiteral("/");
#endif
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(separator()))
        return folder + name;
    return folder + separator() + name;
}

bool fileExists(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() && fi.isFile();
}

bool folderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    return fi.exists() && fi.isDir();
}

bool entryExists(const QString& path) { return !path.isEmpty() && QFileInfo::exists(path); }

qint64 fileLength(const QString& path)
{
    const QFileInfo fi(path);
    return fi.isFile() ? fi.size() : -1;
}

QDateTime lastModified(const QString& path) { return QFileInfo(path).lastModified(); }

bool isRegularFile(const QString& path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo(path).isFile();
#else
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

EntryKind entryKind(const QString& path)
{
    if (path.isEmpty())
        return EntryKind::Missing;
#ifdef Q_OS_WIN
    const QFileInfo fi(path);
    return !fi.exists() ? EntryKind::Missing : fi.isFile() ? EntryKind::Regular : EntryKind::Other;
#else
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Other;
    return S_ISREG(st.st_mode) ? EntryKind::Regular : EntryKind::Other;
#endif
}

int unlistableCount(const QString& folder, const QStringList& nameFilters)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    Q_UNUSED(nameFilters);
    return 0; // names are UTF-16 there, and Qt holds every one
#else
    const QByteArray base = QFile::encodeName(folder);
    DIR* dir = ::opendir(base.constData());
    if (!dir)
        return 0;
    int count = 0;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        const QString decoded = QFile::decodeName(name);
        if (name.startsWith('.') || QFile::encodeName(decoded) == name || !QDir::match(nameFilters, decoded))
            continue;
        struct stat st;
        if (::stat((base + '/' + name).constData(), &st) == 0 && S_ISREG(st.st_mode))
            ++count;
    }
    ::closedir(dir);
    return count;
#endif
}

bool folderWritable(const QString& path)
{
    const QFileInfo fi(path);
    return fi.isDir() && fi.isWritable();
}

bool openRegularFile(QFile& file)
{
#ifdef Q_OS_WIN
    return isRegularFile(file.fileName()) && file.open(QIODevice::ReadOnly);
#else
    // O_NONBLOCK keeps open() of a FIFO from waiting for a writer; the type is then
    // checked on the descriptor itself, so a swap after a path check cannot slip by.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENOENT;
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#endif
}

QString openedFilePath([[maybe_unused]] const QFile& file)
{
#ifdef Q_OS_LINUX
    const QString pinned = QStringLiteral("/proc/self/fd/%1").arg(file.handle());
    if (file.handle() >= 0 && QFileInfo::exists(pinned))
        return pinned;
#endif
    return QString();
}

Failure setNormalAttributes(const QString& path)
{
    if (QFileInfo(path).isSymbolicLink())
        return Failure();
    QFile f(path);
    if (!f.exists())
        return Failure::system(ENOENT);
    const auto perms = f.permissions();
    if (perms & QFileDevice::WriteOwner)
        return Failure();
    if (!f.setPermissions(perms | QFileDevice::WriteOwner))
        return Failure::system(errno ? errno : EACCES);
    return Failure();
}

// errno of the last failing call, or a fallback when the library did not leave one.
static int lastErrno(int fallback)
{
    const int e = errno;
    return e ? e : fallback;
}

Failure deleteFile(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile())
        return Failure::system(ENOENT);
    errno = 0;
    if (!f.remove())
        return Failure::system(lastErrno(EACCES));
    return Failure();
}

bool trashAvailable()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    // The trash in the user's data folder. Qt falls back to it, and when it cannot be
    // made there, moves the file into files/ of the current folder: it must exist first.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return false;
    const QDir trash(QDir(data).filePath(QStringLiteral("Trash")));
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString& dir :
        { trash.path(), trash.filePath(QStringLiteral("files")), trash.filePath(QStringLiteral("info")) })
        if (!QFileInfo(dir).isDir() && !QDir().mkdir(dir, owner))
            return false;
    return true;
#endif
}

Failure moveToTrash(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure::system(ENOENT);
    errno = 0;
    QFile f(path);
    if (!f.moveToTrash())
        return Failure::system(lastErrno(EACCES));
    return Failure();
}

bool makeSureDirectoryPathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir dir;
    return dir.mkpath(path) && QFileInfo(path).isDir();
}

QString picturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

}
