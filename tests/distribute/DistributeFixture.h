#pragma once
// Shared set-up of the distribution tests: a temporary tree with a source folder,
// ten destination folders and a delete folder, and helpers that compare contents.
#include "app/Module1.h"
#include "platform/FileOps.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace Fixture {

// Distinct bytes for every tag, of varying length, so mix-ups show in comparisons.
inline QByteArray contentOf(const QString& tag)
{
    QByteArray data = tag.toUtf8() + '\n';
    const int repeat = 1 + int(qHash(tag) % 200);
    return data.repeated(repeat);
}

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(data), qint64(data.size()));
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// Every plain file under `root` by relative path, with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(base.relativeFilePath(path), readFile(path));
    }
    return files;
}

// Ten distinct old entries, so a restore that is off by one shows.
inline void fillHistory(UndoHistory& h)
{
    for (int i = UndoHistory::Size - 1; i >= 0; --i) {
        h.shiftDown();
        h.newest().From = QStringLiteral("/old/from%1.jpg").arg(i);
        h.newest().To = QStringLiteral("/old/to%1.jpg").arg(i);
        h.newest().Kind = static_cast<int16_t>(i % 4);
    }
}

struct Tree {
    QTemporaryDir tmp;
    QString root;
    QString source;
    QString dest[10];
    QString trash;
    Module1 m;

    Tree()
    {
        root = tmp.path();
        source = root + QStringLiteral("/src");
        QDir().mkpath(source);
        for (int k = 0; k < 10; ++k) {
            dest[k] = root + QStringLiteral("/d%1").arg(k);
            QDir().mkpath(dest[k]);
            m.DestPath[static_cast<size_t>(k)] = dest[k] + QStringLiteral("/");
            m.DestName[static_cast<size_t>(k)] = QStringLiteral("d%1").arg(k);
        }
        trash = root + QStringLiteral("/trash");
        QDir().mkpath(trash);
        m.DestPath[10] = trash + QStringLiteral("/");
        m.DestName[10] = QStringLiteral("trash");
    }

    QString src(const QString& name) const { return source + u'/' + name; }

    // Creates a file in the source folder whose content is derived from its name.
    void put(const QString& name) const { writeFile(src(name), contentOf(name)); }
};

inline bool isRoot()
{
#if defined(Q_OS_UNIX)
    return geteuid() == 0;
#else
    return false;
#endif
}

inline bool setImmutable(const QString& dir, bool on)
{
#if defined(Q_OS_LINUX)
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
#else
    Q_UNUSED(dir);
    Q_UNUSED(on);
    return false;
#endif
}

// A folder in which nothing can be created or removed while this lives: write
// permission taken away, or, for root (whom permissions do not stop), the
// immutable flag where the file system and the capabilities allow it.
class LockedFolder {
public:
    explicit LockedFolder(const QString& dir)
        : m_dir(dir)
    {
#if defined(Q_OS_UNIX)
        if (!isRoot()) {
            m_chmod = ::chmod(QFile::encodeName(dir).constData(), 0555) == 0;
            return;
        }
#endif
        m_immutable = setImmutable(dir, true);
    }
    ~LockedFolder() { unlock(); }
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    bool locked() const { return m_chmod || m_immutable; }
    void unlock()
    {
#if defined(Q_OS_UNIX)
        if (m_chmod)
            ::chmod(QFile::encodeName(m_dir).constData(), 0755);
#endif
        if (m_immutable)
            setImmutable(m_dir, false);
        m_chmod = m_immutable = false;
    }

private:
    QString m_dir;
    bool m_chmod = false;
    bool m_immutable = false;
};

#define LOCK_FOLDER_OR_SKIP(var, dir)                                                                       \
    Fixture::LockedFolder var(dir);                                                                         \
    if (!var.locked())                                                                                      \
        QSKIP("cannot make a folder read-only here (root without the immutable flag); the replaced file "  \
              "actions cover this path");

}
