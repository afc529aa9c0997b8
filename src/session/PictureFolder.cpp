#include "session/PictureFolder.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
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
    m_names = m_path.isEmpty() ? QStringList() : PictureFormats::withoutPairedRaws(listFiles(m_path, m_pattern));
    m_unlisted = m_path.isEmpty() ? 0 : countUnlistable(m_path, m_pattern);
    emit relisted();
}

QString PictureFolder::filePath(int i) const { return FileOps::joinPath(m_path, name(i)); }
