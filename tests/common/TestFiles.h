#pragma once
// Files for tests: write and read them whole, and snapshot a folder tree so that a
// failed operation can be shown to have lost, added and overwritten nothing.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestFiles {

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(data), qint64(data.size()));
}

inline void touch(const QString& path) { writeFile(path, "x"); }

// A null array when the file cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Distinct bytes of varying length for every name, so that mix-ups show.
inline QByteArray contentOf(const QString& name) { return (name.toUtf8() + '\n').repeated(1 + int(qHash(name) % 200)); }

// Every entry under `root`, hidden ones too, by relative path: a file with its bytes,
// a folder as "<dir>".
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(base.relativeFilePath(path), it.fileInfo().isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return entries;
}

// Root reads and writes everything: a test of what a user may not touch first turns the
// process into an ordinary user (nobody), for good. False when that cannot be done.
inline bool becomeOrdinaryUser()
{
    if (geteuid() == 0
        && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0
            || geteuid() == 0))
        return false;
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker cannot work with an undumpable process
    return true;
}

// A FIFO that cannot hold a test for good: from `graceMs` on, whatever is blocked opening
// it for reading is let go by a writer that opens and closes it, and rescued() says so,
// so that the test fails instead of hanging.
class FifoGuard {
public:
    explicit FifoGuard(const QString& path, int graceMs = 2000)
        : m_path(QFile::encodeName(path))
        , m_made(::mkfifo(m_path.constData(), 0600) == 0)
        , m_watch([this, graceMs] {
            for (int waited = 0; !m_done; waited += 50) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                const int fd = waited < graceMs ? -1 : ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    m_rescued = true;
                    ::close(fd);
                }
            }
        })
    {
    }
    ~FifoGuard()
    {
        m_done = true;
        m_watch.join();
    }
    bool made() const { return m_made; }
    bool rescued() const { return m_rescued; }

private:
    const QByteArray m_path;
    const bool m_made;
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_rescued { false };
    std::thread m_watch; // last: it starts once everything it reads is made
};
}
