#include "platform/DurableFile.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#endif
#endif

namespace DurableFile {

static Result failed(Reason reason, Step step, int error)
{
    Result r;
    r.reason = reason;
    r.error = error;
    r.step = step;
    return r;
}

namespace {

    const QString TemporaryPrefix = QStringLiteral(".lumo-part-");
    constexpr int TemporaryLetters = 6;

} // namespace

bool temporaryName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.lumo-part-[A-Za-z0-9]{%1}$").arg(TemporaryLetters));
    return pattern.match(name).hasMatch();
}

int removeLeftovers(const QString& folder, int quietSeconds)
{
    const QDir dir(folder);
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-quietSeconds);
    int removed = 0;
    for (const QFileInfo& fi :
        dir.entryInfoList({ TemporaryPrefix + u'*' }, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (temporaryName(fi.fileName()) && fi.lastModified().toUTC() <= before && QFile::remove(fi.filePath()))
            ++removed;
    }
    return removed;
}

#ifdef Q_OS_WIN

Result move(const QString& from, const QString& to, bool keepSource, const Hooks& hooks)
{
    Q_UNUSED(hooks);
    if (!QFileInfo(from).isFile())
        return failed(Reason::System, Step::Create, ENOENT);
    if (QFileInfo::exists(to))
        return failed(Reason::System, Step::Create, EEXIST);
    if (!QFileInfo(QFileInfo(to).absolutePath()).isDir())
        return failed(Reason::FolderMissing, Step::Create, ENOENT);
    // MoveFile never replaces, copies across drives and deletes the source last.
    if (!keepSource) {
        if (!QFile::rename(from, to))
            return failed(Reason::System, Step::Rename, EACCES);
        Result r;
        r.renamed = true;
        return r;
    }
    return QFile::copy(from, to) ? Result {} : failed(Reason::System, Step::Create, EACCES);
}

Failure write(const QString& path, const QByteArray& bytes, Content, const FaultHook&)
{
    QSaveFile f(path);
    f.setDirectWriteFallback(true);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush() || !f.commit())
        return Failure::system(ENOSPC);
    return {};
}

#else

namespace {

    QString newTemporaryName()
    {
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        QString name = TemporaryPrefix;
        for (int i = 0; i < TemporaryLetters; ++i)
            name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
        return name;
    }

    int injected(const FaultHook& fault, Step step, const QString& path) { return fault ? fault(step, path) : 0; }

    QByteArray folderOf(const QByteArray& path)
    {
        const int slash = path.lastIndexOf('/');
        return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    }

    // errno, never 0, of the call that just failed.
    int lastError(int fallback = EIO) { return errno ? errno : fallback; }

    int syncFolder(const QByteArray& folder, const FaultHook& fault)
    {
        if (const int e = injected(fault, Step::SyncFolder, QFile::decodeName(folder)))
            return e;
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return lastError();
        const int rc = ::fsync(fd);
        const int e = rc == 0 ? 0 : lastError();
        ::close(fd);
        // Some file systems cannot sync a folder at all: nothing more can be done there.
        return e == EINVAL || e == EROFS ? 0 : e;
    }

    // rename() that never replaces `to`. Where the kernel cannot promise that, a hard
    // link does; a file system with neither gets a check just before a plain rename.
    int renameNoReplace(const QByteArray& from, const QByteArray& to)
    {
        errno = 0;
#ifdef RENAME_NOREPLACE
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return lastError();
#endif
        if (::link(from.constData(), to.constData()) == 0) {
            if (::unlink(from.constData()) == 0)
                return 0;
            const int e = lastError();
            ::unlink(to.constData());
            return e;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return lastError();
        struct stat st;
        if (::lstat(to.constData(), &st) == 0)
            return EEXIST;
        return ::rename(from.constData(), to.constData()) == 0 ? 0 : lastError();
    }

    // A new file of a name nobody has, beside `target`, opened for writing.
    int createTemporary(const QByteArray& folder, mode_t mode, QByteArray* path, const FaultHook& fault)
    {
        for (int tries = 0; tries < 100; ++tries) {
            *path = folder + '/' + QFile::encodeName(newTemporaryName());
            if (const int e = injected(fault, Step::Create, QFile::decodeName(*path))) {
                errno = e;
                return -1;
            }
            const int fd = ::open(path->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0 || errno != EEXIST)
                return fd;
        }
        errno = EEXIST;
        return -1;
    }

    int writeAll(int fd, const char* data, qint64 size)
    {
        while (size > 0) {
            const ssize_t n = ::write(fd, data, size_t(size));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? lastError() : ENOSPC;
            data += n;
            size -= n;
        }
        return 0;
    }

    // Copies all of `in` into `out`, letting the kernel do it where it can. Returns errno or 0.
    int copyData(int in, int out, const QString& outPath, qint64 total, qint64* copied, const Hooks& hooks)
    {
#ifdef FICLONE
        if (!hooks.fault && ::ioctl(out, FICLONE, in) == 0) { // shares the blocks where the file system can
            *copied = total;
            return 0;
        }
#endif
        constexpr qint64 Chunk = 4 << 20;
        bool kernelCopy = true;
        QByteArray buffer;
        for (;;) {
            if (const int e = injected(hooks.fault, Step::Write, outPath))
                return e;
            ssize_t n = -1;
            if (kernelCopy) {
                n = ::copy_file_range(in, nullptr, out, nullptr, size_t(Chunk), 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && *copied == 0
                    && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP
                        || errno == EBADF)) {
                    kernelCopy = false;
                    continue;
                }
            } else {
                if (buffer.isEmpty())
                    buffer.resize(1 << 20);
                n = ::read(in, buffer.data(), size_t(buffer.size()));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n > 0)
                    if (const int e = writeAll(out, buffer.constData(), n))
                        return e;
            }
            if (n < 0)
                return lastError();
            if (n == 0)
                return 0;
            *copied += n;
            if (hooks.progress)
                hooks.progress(*copied, total);
        }
    }

    // The copy into a hidden file of the destination folder, synced and renamed to `to`, that
    // folder synced; then the source removed unless it stays.
    Result copyThenRemove(const QByteArray& from, const QByteArray& to, bool keepSource, const Hooks& hooks)
    {
        const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (in < 0)
            return failed(Reason::System, Step::Create, lastError(EACCES));
        struct stat st;
        if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(in);
            return failed(Reason::System, Step::Create, ENOENT);
        }
        ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);

        const QByteArray toFolder = folderOf(to);
        QByteArray temp;
        const int out = createTemporary(toFolder, S_IRUSR | S_IWUSR, &temp, hooks.fault);
        if (out < 0) {
            const int e = lastError(EACCES);
            ::close(in);
            return failed(Reason::System, Step::Create, e);
        }
        const QString tempName = QFile::decodeName(temp);
        auto abandon = [&](Reason reason, Step step, int error) {
            ::close(out);
            ::unlink(temp.constData());
            return failed(reason, step, error);
        };

        qint64 copied = 0;
        const int copyError = copyData(in, out, tempName, st.st_size, &copied, hooks);
        ::close(in);
        if (copyError)
            return abandon(Reason::System, Step::Write, copyError);
        if (copied != st.st_size)
            return abandon(Reason::LengthDiffers, Step::Write, EIO);
        // Failing to keep the time or the mode loses no byte: the copy goes on.
        const timespec times[2] = { { 0, UTIME_OMIT }, st.st_mtim };
        ::futimens(out, times);
        ::fchmod(out, (st.st_mode & 07777) | S_IWUSR);
        if (const int e = injected(hooks.fault, Step::SyncFile, tempName))
            return abandon(Reason::System, Step::SyncFile, e);
        if (::fsync(out) != 0)
            return abandon(Reason::System, Step::SyncFile, lastError());
        if (::close(out) != 0) {
            const int e = lastError();
            ::unlink(temp.constData());
            return failed(Reason::System, Step::SyncFile, e);
        }

        int e = injected(hooks.fault, Step::Publish, QFile::decodeName(to));
        if (!e)
            e = renameNoReplace(temp, to);
        if (e) {
            ::unlink(temp.constData());
            return failed(Reason::System, Step::Publish, e);
        }
        // Until the folder is on the disk the copy may vanish in a power cut: the source stays.
        if ((e = syncFolder(toFolder, hooks.fault))) {
            ::unlink(to.constData());
            return failed(Reason::System, Step::SyncFolder, e);
        }
        if (keepSource)
            return {};

        e = injected(hooks.fault, Step::Unlink, QFile::decodeName(from));
        if (!e && ::unlink(from.constData()) != 0)
            e = lastError(EACCES);
        if (e) {
            int kept = injected(hooks.fault, Step::Unlink, QFile::decodeName(to));
            if (!kept && ::unlink(to.constData()) != 0)
                kept = lastError();
            return failed(kept ? Reason::BothLeft : Reason::SourceKept, Step::Unlink, e);
        }
        // The copy is safe on the disk; a source folder that cannot be synced may at worst
        // bring the source back after a power cut, never lose it.
        syncFolder(folderOf(from), hooks.fault);
        return {};
    }

} // namespace

Result move(const QString& fromPath, const QString& toPath, bool keepSource, const Hooks& hooks)
{
    const QByteArray from = QFile::encodeName(QFileInfo(fromPath).absoluteFilePath());
    const QByteArray to = QFile::encodeName(QFileInfo(toPath).absoluteFilePath());
    struct stat st;
    if (::stat(from.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return failed(Reason::System, Step::Rename, ENOENT);
    if (::lstat(to.constData(), &st) == 0)
        return failed(Reason::System, Step::Rename, EEXIST);
    const QByteArray toFolder = folderOf(to), fromFolder = folderOf(from);
    if (::stat(toFolder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return failed(Reason::FolderMissing, Step::Rename, ENOENT);
    // A file this user may not read stays, as it does where it has to be copied.
    if (::access(from.constData(), R_OK) != 0)
        return failed(Reason::System, Step::Rename, lastError(EACCES));
    // A link is moved as the file it stands for: renamed, a relative one would point nowhere.
    if (keepSource || (::lstat(from.constData(), &st) == 0 && S_ISLNK(st.st_mode)))
        return copyThenRemove(from, to, keepSource, hooks);

    int e = injected(hooks.fault, Step::Rename, QFile::decodeName(from));
    if (!e)
        e = renameNoReplace(from, to);
    if (e == EXDEV)
        return copyThenRemove(from, to, false, hooks);
    if (e)
        return failed(Reason::System, Step::Rename, e);
    e = syncFolder(toFolder, hooks.fault);
    if (!e && fromFolder != toFolder)
        e = syncFolder(fromFolder, hooks.fault);
    // Not known to be on the disk: put back, so the caller records nothing. Where even that
    // fails the file is whole at its new place, and that is what counts.
    if (e && renameNoReplace(to, from) == 0) {
        syncFolder(fromFolder, {});
        return failed(Reason::System, Step::SyncFolder, e);
    }
    Result moved;
    moved.renamed = true;
    return moved;
}

Failure write(const QString& path, const QByteArray& bytes, Content content, const FaultHook& fault)
{
    // A link stays a link: what it points to is replaced, in its own folder.
    QString target = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40 && QFileInfo(target).isSymLink(); ++hops)
        target = QFileInfo(target).symLinkTarget();
    const QByteArray file = QFile::encodeName(target), folder = folderOf(file);

    struct stat st;
    const bool existed = ::stat(file.constData(), &st) == 0;
    const bool sync = content == Content::UserData;
    const mode_t mode = existed ? (st.st_mode & 07777) : sync ? 0666 : 0600;
    QByteArray temp;
    int fd = createTemporary(folder, mode, &temp, fault);
    const bool inPlace = fd < 0 && existed && (errno == EACCES || errno == EPERM || errno == EROFS);
    if (inPlace) // a folder that takes no new files: the file itself, as the last resort
        fd = ::open(file.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return Failure::system(lastError(EACCES));
    if (existed && !inPlace)
        ::fchmod(fd, mode); // the mask applied at creation must not narrow it

    const QString written = QFile::decodeName(inPlace ? file : temp);
    int e = injected(fault, Step::Write, written);
    if (!e)
        e = writeAll(fd, bytes.constData(), bytes.size());
    if (!e && sync)
        e = injected(fault, Step::SyncFile, written);
    if (!e && sync && ::fsync(fd) != 0)
        e = lastError();
    if (::close(fd) != 0 && !e)
        e = lastError();
    if (inPlace)
        return e ? Failure::system(e) : Failure();
    if (!e)
        e = injected(fault, Step::Publish, QFile::decodeName(file));
    if (!e && ::rename(temp.constData(), file.constData()) != 0)
        e = lastError();
    if (e) {
        ::unlink(temp.constData());
        return Failure::system(e);
    }
    e = sync ? syncFolder(folder, fault) : 0;
    return e ? Failure::system(e) : Failure();
}

#endif

}
