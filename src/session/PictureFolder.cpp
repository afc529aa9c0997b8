#include "session/PictureFolder.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include <QDir>
#include <QFileSystemWatcher>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <utility>

PictureFolder::PictureFolder(QString pattern, QObject* parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
    , m_settle(new QTimer(this))
    , m_pattern(std::move(pattern))
{
    constexpr int settleMs = 200;
    m_settle->setSingleShot(true);
    m_settle->setInterval(settleMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, &PictureFolder::noticeVanished);
}

void PictureFolder::setPath(const QString& folder)
{
    m_path = folder;
    refresh();
}

void PictureFolder::refresh()
{
    m_names = m_path.isEmpty() ? QStringList() : PictureFormats::withoutPairedRaws(listFiles(m_path, m_pattern));
    m_unlistable = m_path.isEmpty() ? 0 : ::unlistableCount(m_path, m_pattern);
    m_gone.assign(size_t(m_names.size()), 0);
    m_goneCount = 0;
    if (m_watcher->directories() != QStringList { m_path }) {
        if (!m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        if (!m_path.isEmpty())
            m_watcher->addPath(m_path);
    }
    emit relisted();
}

QString PictureFolder::filePath(int i) const { return FileOps::joinPath(m_path, name(i)); }

void PictureFolder::setGone(int i, bool gone)
{
    if (i < 0 || i >= count() || isGone(i) == gone)
        return;
    m_gone[size_t(i)] = gone ? 1 : 0;
    m_goneCount += gone ? 1 : -1;
    emit presenceChanged(i);
}

int PictureFolder::presentBefore(int i) const
{
    const int end = std::clamp(i, 0, count());
    return end - int(std::count(m_gone.begin(), m_gone.begin() + end, 1));
}

int PictureFolder::presentEntry(int n) const
{
    if (n < 0)
        return -1;
    for (int i = 0; i < count(); ++i)
        if (!m_gone[size_t(i)] && n-- == 0)
            return i;
    return -1;
}

void PictureFolder::noticeVanished()
{
    // A file deleted or moved away by another program: gone for the viewer and the board
    // alike, as a sent one is. What comes back waits for the next listing.
    if (m_path.isEmpty() || m_goneCount == count())
        return;
    const QStringList there = QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    const QSet<QString> present(there.begin(), there.end());
    for (int i = 0; i < count(); ++i)
        if (!m_gone[size_t(i)] && !present.contains(m_names[i]))
            setGone(i, true);
}
