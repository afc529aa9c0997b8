#include "imaging/ThumbnailCache.h"
#include <QSet>

using ThumbnailMaker::ThumbRequest;
using ThumbnailMaker::ThumbResult;

namespace {

// What a held thumbnail costs besides its pixels.
constexpr qsizetype kOverhead = 256;
}

ThumbnailCache::ThumbnailCache(Options options)
    : m_options(std::move(options))
    , m_jobs(m_options.threads)
{
    m_memory.setMaxCost(std::max<qsizetype>(1, m_options.memoryBytes));
}

ThumbnailCache::~ThumbnailCache() = default;

QString ThumbnailCache::keyOf(const ThumbRequest& r)
{
    return r.path + QLatin1Char('\n') + QString::number(r.fileSize) + QLatin1Char('\n') + QString::number(r.mtimeMs)
        + QLatin1Char('\n') + QString::number(r.box);
}

ThumbRequest ThumbnailCache::requestFor(const QString& path, int box) const
{
    ThumbRequest r = ThumbnailMaker::describeFile(path, box);
    r.png = m_options.png;
    r.sharedRoot = m_options.sharedRoot;
    return r;
}

void ThumbnailCache::prefetch(const QStringList& paths, int box)
{
    harvest();
    QList<ThumbRequest> requests;
    QSet<QString> wanted;
    for (const QString& path : paths) {
        ThumbRequest request = requestFor(path, box);
        if (request.fileSize < 0)
            continue; // nothing to read; the tile asks again and gets its placeholder
        const QString key = keyOf(request);
        if (m_memory.contains(key))
            continue;
        wanted.insert(key);
        requests.append(std::move(request));
    }
    // Work for another folder or page must not hold up this one.
    m_jobs.cancelQueued([&wanted](const QString& key) { return wanted.contains(key); });
    for (const ThumbRequest& request : std::as_const(requests))
        m_jobs.start(keyOf(request), [request]() { return ThumbnailMaker::make(request); });
}

ThumbResult ThumbnailCache::take(const QString& path, int box)
{
    ThumbRequest request = requestFor(path, box);
    const QString key = keyOf(request);
    ThumbResult result;
    if (const Held* held = m_memory.object(key)) {
        result.image = held->image;
        result.natural = held->natural;
        result.source = ThumbResult::Source::Memory;
    } else if (std::optional<ThumbResult> done = m_jobs.take(key)) {
        result = std::move(*done);
    } else {
        result = ThumbnailMaker::make(request);
    }
    switch (result.source) {
    case ThumbResult::Source::Memory:
        ++m_stats.memory;
        break;
    case ThumbResult::Source::Shared:
        ++m_stats.shared;
        break;
    case ThumbResult::Source::Decoded:
        ++m_stats.decoded;
        break;
    case ThumbResult::Source::None:
        ++m_stats.unreadable;
        break;
    }
    if (result.source != ThumbResult::Source::Memory)
        keep(key, result, &request);
    return result;
}

void ThumbnailCache::keep(const QString& key, const ThumbResult& result, const ThumbRequest* request)
{
    // A missing file has nothing to remember; a damaged one is remembered as such, so a
    // reload does not try it again until it changes.
    if (request && request->fileSize < 0)
        return;
    auto* held = new Held { result.image, result.image.isNull() ? QSize() : result.natural };
    m_memory.insert(key, held, result.image.sizeInBytes() + kOverhead + key.size() * 2);
}

void ThumbnailCache::harvest()
{
    // Work finished after its fill ended is not thrown away.
    m_jobs.takeFinished([this](const QString& key, ThumbResult result) { keep(key, result, nullptr); });
}

void ThumbnailCache::cancelPending() { m_jobs.cancelQueued(); }

void ThumbnailCache::clearMemory() { m_memory.clear(); }
