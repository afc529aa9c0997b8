#include "viewer/PicturePrefetch.h"
#include "imaging/PictureDecoder.h"
#include "viewer/ViewerLogic.h"
#include <QFileInfo>

PicturePrefetch::PicturePrefetch(const PngDecoder& png)
    : m_png(png)
    , m_jobs(1) // one picture at a time; the window's own thread keeps the other core
{
}

PicturePrefetch::~PicturePrefetch() = default;

QString PicturePrefetch::keyOf(const QString& path, QSize area) const
{
    const QFileInfo fi(path);
    const qint64 size = fi.exists() ? fi.size() : -1;
    const qint64 mtime = fi.exists() ? fi.lastModified().toMSecsSinceEpoch() : 0;
    return QStringLiteral("%1\n%2\n%3\n%4x%5").arg(path).arg(size).arg(mtime).arg(area.width()).arg(area.height());
}

void PicturePrefetch::prepare(const QString& path, QSize area)
{
    const QString key = keyOf(path, area);
    if (m_jobs.contains(key))
        return;
    m_made.insert(key, { path, area });
    const PngDecoder* png = &m_png;
    m_jobs.start(key, [path, area, png]() { return PictureDecoder::decode(path, area, png, ViewerLogic::kMaxPixels); });
}

std::optional<Picture> PicturePrefetch::take(const QString& path, QSize area)
{
    const QString key = keyOf(path, area);
    m_made.remove(key);
    return m_jobs.take(key);
}

void PicturePrefetch::keep(const QString& path, QSize area, const Picture& picture)
{
    const QString key = keyOf(path, area);
    m_made.insert(key, { path, area });
    m_jobs.put(key, picture);
}

void PicturePrefetch::keepOnly(const QStringList& paths, QSize area)
{
    for (auto it = m_made.begin(); it != m_made.end();) {
        if (it.value().area != area || !paths.contains(it.value().path)) {
            m_jobs.forget(it.key());
            it = m_made.erase(it);
        } else {
            ++it;
        }
    }
}

bool PicturePrefetch::isPrepared(const QString& path, QSize area) const { return m_jobs.isFinished(keyOf(path, area)); }
