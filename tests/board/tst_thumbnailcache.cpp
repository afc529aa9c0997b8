#include "board/ThumbnailCache.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// A distinct colour per file, so that a thumbnail shown for the wrong file is caught.
QColor colourOf(int i) { return QColor::fromHsv((i * 37) % 360, 255, 220); }

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

void writeJpeg(const QString& path, QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    QVERIFY(img.save(path, "JPEG", 95));
}

void setTime(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

QColor centre(const QImage& img) { return img.pixelColor(img.width() / 2, img.height() / 2); }

}

class TestThumbnailCache : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void changedFileIsDecodedAgain_data();
    void changedFileIsDecodedAgain();
    void refillDecodesOnlyWhatItHasNotSeen();
    void resultsBelongToTheirFiles();
    void missingFileIsNotRemembered();
    void memoryIsBoundedInBytes();
    void workFinishedAfterItsFillIsKept();
    void goingAwayWithWorkQueued();

private:
    QString file(int i) const { return m_dir->filePath(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))); }
    QStringList files(int from, int to) const
    {
        QStringList out;
        for (int i = from; i < to; ++i)
            out.append(file(i));
        return out;
    }
    std::unique_ptr<Board::ThumbnailCache> make(qsizetype bytes = 64 << 20)
    {
        Board::ThumbnailCache::Options o;
        o.memoryBytes = bytes;
        return std::make_unique<Board::ThumbnailCache>(o);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestThumbnailCache::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    for (int i = 0; i < 20; ++i)
        writeJpeg(file(i), QSize(320, 240), colourOf(i));
}

void TestThumbnailCache::cleanup() { m_dir.reset(); }

void TestThumbnailCache::changedFileIsDecodedAgain_data()
{
    QTest::addColumn<bool>("rewrite");
    QTest::newRow("rewritten, other size") << true;
    QTest::newRow("only the time changed") << false;
}

void TestThumbnailCache::changedFileIsDecodedAgain()
{
    QFETCH(bool, rewrite);
    auto cache = make();
    const QString path = file(3);
    setTime(path, QDateTime::currentDateTime().addSecs(-60));
    QVERIFY(near(centre(cache->take(path, 64).image), colourOf(3)));
    cache->take(path, 64);
    QCOMPARE(cache->stats().memory, 1);

    if (rewrite)
        writeJpeg(path, QSize(200, 300), Qt::white);
    setTime(path, QDateTime::currentDateTime());

    cache->resetStats();
    const Board::ThumbResult r = cache->take(path, 64);
    QCOMPARE(cache->stats().decoded, 1);
    QVERIFY(near(centre(r.image), rewrite ? QColor(Qt::white) : colourOf(3)));
    QCOMPARE(r.natural, rewrite ? QSize(200, 300) : QSize(320, 240));
    // Unchanged since: from memory.
    cache->take(path, 64);
    QCOMPARE(cache->stats().memory, 1);
}

void TestThumbnailCache::refillDecodesOnlyWhatItHasNotSeen()
{
    auto cache = make();
    cache->prefetch(files(0, 8), 64);
    for (const QString& p : files(0, 8))
        QVERIFY(!cache->take(p, 64).image.isNull());
    QCOMPARE(cache->stats().decoded, 8);

    // A drop took file 0 away: the refill shows 1..8, of which only 8 is new.
    cache->resetStats();
    cache->prefetch(files(1, 9), 64);
    for (const QString& p : files(1, 9))
        QVERIFY(!cache->take(p, 64).image.isNull());
    QCOMPARE(cache->stats().memory, 7);
    QCOMPARE(cache->stats().decoded, 1);

    // Another box size is another thumbnail.
    cache->resetStats();
    cache->take(file(1), 96);
    QCOMPARE(cache->stats().decoded, 1);
}

void TestThumbnailCache::resultsBelongToTheirFiles()
{
    auto cache = make();
    cache->prefetch(files(0, 20), 48);
    // Taken in another order than asked, some before their work has run.
    for (int i : { 19, 0, 7, 3, 18, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17 }) {
        const Board::ThumbResult r = cache->take(file(i), 48);
        QCOMPARE(r.natural, QSize(320, 240));
        QCOMPARE(r.image.size(), QSize(48, 36));
        QVERIFY2(near(centre(r.image), colourOf(i)), qPrintable(QString::number(i)));
    }
}

void TestThumbnailCache::missingFileIsNotRemembered()
{
    auto cache = make();
    const QString path = file(5);
    QVERIFY(QFile::remove(path));
    cache->prefetch({ path }, 64);
    QVERIFY(cache->take(path, 64).image.isNull());
    QCOMPARE(cache->stats().unreadable, 1);
    // Back again: read, not a remembered failure.
    writeJpeg(path, QSize(320, 240), Qt::yellow);
    QVERIFY(near(centre(cache->take(path, 64).image), Qt::yellow));
}

void TestThumbnailCache::memoryIsBoundedInBytes()
{
    // Room for about three thumbnails of 128 x 96 (48 KB each).
    auto cache = make(160 * 1024);
    cache->prefetch(files(0, 20), 128);
    for (const QString& p : files(0, 20))
        QVERIFY(!cache->take(p, 128).image.isNull());
    QVERIFY2(cache->memoryBytes() <= 160 * 1024, qPrintable(QString::number(cache->memoryBytes())));
    QVERIFY(cache->memoryBytes() >= 128 * 96 * 4);
    // The most recent is still held; the oldest is not.
    cache->resetStats();
    cache->take(file(19), 128);
    cache->take(file(0), 128);
    QCOMPARE(cache->stats().memory, 1);
    QCOMPARE(cache->stats().decoded, 1);
}

void TestThumbnailCache::workFinishedAfterItsFillIsKept()
{
    auto cache = make();
    cache->prefetch(files(0, 6), 64);
    // The fill ends before taking them (a full board); what ran is kept for the next fill.
    cache->cancelPending();
    QTest::qWait(0);
    cache->prefetch({}, 64);
    cache->resetStats();
    for (const QString& p : files(0, 6))
        QVERIFY(!cache->take(p, 64).image.isNull());
    QCOMPARE(cache->stats().memory + cache->stats().decoded, 6);
}

void TestThumbnailCache::goingAwayWithWorkQueued()
{
    // Destroyed with work queued and running: cancels, waits, leaks nothing.
    for (int round = 0; round < 3; ++round) {
        auto cache = make();
        cache->prefetch(files(0, 20), 256);
        if (round == 1)
            cache->take(file(0), 256);
        cache.reset();
    }
}

QTEST_GUILESS_MAIN(TestThumbnailCache)
#include "tst_thumbnailcache.moc"
