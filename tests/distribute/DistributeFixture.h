#pragma once
// A temporary tree for the distribution tests: a source folder, destination folders
// d0..d9 and a delete folder, with the record pointing at them.
#include "TestFiles.h"
#include "app/Module1.h"
#include "distribute/FileActions.h"
#include <QTemporaryDir>
#include <QtTest>
#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace TestFiles;

struct Tree {
    QTemporaryDir tmp;
    QString root = tmp.path();
    QString source = root + QStringLiteral("/src");
    QString trash = root + QStringLiteral("/trash");
    QString dest[10];
    Module1 m;

    Tree()
    {
        QDir().mkpath(source);
        QDir().mkpath(trash);
        for (size_t k = 0; k < 10; ++k) {
            dest[k] = root + QStringLiteral("/d%1").arg(k);
            QDir().mkpath(dest[k]);
            m.DestPath[k] = dest[k] + u'/';
            m.DestName[k] = QStringLiteral("d%1").arg(k);
        }
        m.DestPath[10] = trash + u'/';
    }
    QString src(const QString& name) const { return source + u'/' + name; }
    void put(const QString& name) const { writeFile(src(name), contentOf(name)); }

    // Ten distinct old entries, so that a history put back off by one shows.
    void fillHistory()
    {
        for (int i = 0; i < UndoHistory::Size; ++i) {
            m.Undo.shiftDown();
            const QString n = QString::number(i);
            m.Undo.newest() = { QStringLiteral("/old/from") + n, QStringLiteral("/old/to") + n, int16_t(i % 4) };
        }
    }
};

// Real file actions, except that deleting one of `victims` is refused.
inline Distribute::FileActions refusingDelete(const QStringList& victims)
{
    Distribute::FileActions fs;
    fs.deleteFile = [victims](const QString& p) {
        return victims.contains(p) ? FileOps::Result::failure(QStringLiteral("アクセスが拒否されました。"))
                                   : FileOps::deleteFile(p);
    };
    return fs;
}

// A folder in which nothing can be created or removed while this lives: write
// permission taken away, or for root, whom permissions do not stop, the immutable flag.
class LockedFolder {
public:
    explicit LockedFolder(const QString& dir)
        : m_dir(QFile::encodeName(dir))
    {
#if defined(Q_OS_LINUX)
        m_locked = geteuid() == 0 ? immutable(true) : ::chmod(m_dir.constData(), 0555) == 0;
#endif
    }
    ~LockedFolder() { unlock(); }
    bool locked() const { return m_locked; }
    void unlock()
    {
#if defined(Q_OS_LINUX)
        if (m_locked && geteuid() == 0)
            immutable(false);
        else if (m_locked)
            ::chmod(m_dir.constData(), 0755);
#endif
        m_locked = false;
    }

private:
#if defined(Q_OS_LINUX)
    bool immutable(bool on) const
    {
        const int fd = ::open(m_dir.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }
#endif
    QByteArray m_dir;
    bool m_locked = false;
};
