#pragma once
#include "imaging/ThumbnailMaker.h"
#include "platform/BackgroundJobs.h"
#include <QCache>
#include <QString>
#include <QStringList>

// The board's thumbnails: made on worker threads ahead of the tile that shows them,
// and kept in memory (costed in bytes) under the file's path, size, modification time
// and the box, so that a refill makes only what it has not seen and a changed file is
// made again. Owned and called by one thread, the window's.
class ThumbnailCache {
public:
    struct Options {
        const PngDecoder* png = nullptr; // must outlive the cache
        QString sharedRoot; // the desktop's thumbnail cache; empty: none
        qsizetype memoryBytes = 96 * 1024 * 1024;
        int threads = 0; // 0: one per core
    };
    explicit ThumbnailCache(Options options);
    ~ThumbnailCache(); // drops queued work, waits for running work

    // Makes `paths` the work to do, in this order: each that is not in memory already is
    // started, and queued work for any other thumbnail is dropped.
    void prefetch(const QStringList& paths, int box);

    // The thumbnail of `path` at `box`: from memory, from its finished or running work,
    // or made here and now.
    ThumbnailMaker::ThumbResult take(const QString& path, int box);

    // Drops the work no thread has started (a page fill that ended early).
    void cancelPending();

    // Forgets every thumbnail held in memory.
    void clearMemory();

    struct Stats {
        int memory = 0; // found in memory
        int shared = 0; // from the desktop's cache
        int decoded = 0; // decoded from the file
        int unreadable = 0;
    };
    Stats stats() const { return m_stats; }
    void resetStats() { m_stats = {}; }
    qsizetype memoryBytes() const { return m_memory.totalCost(); }
    int threadCount() const { return m_jobs.threadCount(); }

private:
    struct Held {
        QImage image;
        QSize natural;
    };
    static QString keyOf(const ThumbnailMaker::ThumbRequest& r);
    ThumbnailMaker::ThumbRequest requestFor(const QString& path, int box) const;
    void keep(
        const QString& key, const ThumbnailMaker::ThumbResult& result, const ThumbnailMaker::ThumbRequest* request);
    void harvest();

    Options m_options;
    QCache<QString, Held> m_memory;
    BackgroundJobs<ThumbnailMaker::ThumbResult> m_jobs;
    Stats m_stats;
};
