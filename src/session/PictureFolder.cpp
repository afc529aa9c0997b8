#include "session/PictureFolder.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include <algorithm>
#include <utility>

PictureFolder::PictureFolder(QString pattern, QObject* parent)
    : QObject(parent)
    , m_pattern(std::move(pattern))
{
}

void PictureFolder::setPath(const QString& folder)
{
    m_path = folder;
    refresh();
}

void PictureFolder::refresh()
{
    m_names = m_path.isEmpty() ? QStringList() : listFiles(m_path, m_pattern);
    m_unlisted = m_path.isEmpty() ? 0 : countUnlistable(m_path, m_pattern);
    m_gone.assign(size_t(m_names.size()), false);
    m_goneCount = 0;
    emit relisted();
}

QString PictureFolder::filePath(int i) const { return FileOps::joinPath(m_path, name(i)); }

void PictureFolder::setGone(int i, bool gone)
{
    if (i < 0 || i >= count() || isGone(i) == gone)
        return;
    m_gone[size_t(i)] = gone;
    m_goneCount += gone ? 1 : -1;
    emit presenceChanged(i);
}

int PictureFolder::presentBefore(int i) const
{
    const int end = std::clamp(i, 0, count());
    return end - int(std::count(m_gone.begin(), m_gone.begin() + end, true));
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
