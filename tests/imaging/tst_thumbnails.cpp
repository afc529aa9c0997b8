// Thumbnails from file to picture: decoding at reduced size, the in-memory cache with
// its invalidation, and the desktop's shared thumbnail cache on disk.
#include "../HostileFiles.h"
#include "imaging/PngDecoder.h"
#include "imaging/SharedThumbnails.h"
#include "imaging/ThumbnailCache.h"
#include "imaging/ThumbnailMaker.h"
#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <memory>

namespace {

using Source = ThumbnailMaker::ThumbResult::Source;

// A distinct colour per file, so that a thumbnail shown for the wrong file is caught.
QColor colourOf(int i) { return QColor::fromHsv((i * 37) % 360, 255, 220); }

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

QColor centre(const QImage& img) { return img.pixelColor(img.width() / 2, img.height() / 2); }

QImage plain(QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

void setTime(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

}

class TestThumbnails : public QObject {
    Q_OBJECT
private slots:
    void init();
    void decode_data();
    void decode();
    void changedFileIsDecodedAgain_data();
    void changedFileIsDecodedAgain();
    void refillDecodesOnlyWhatItHasNotSeen();
    void resultsBelongToTheirFiles();
    void missingFileIsNotRemembered();
    void memoryIsBoundedInBytes();
    void goingAwayWithWorkQueued();
    void sharedNamesAndPlaces_data();
    void sharedNamesAndPlaces();
    void sharedStoredInTheStandardForm();
    void sharedFoundOnlyForTheSameFile_data();
    void sharedFoundOnlyForTheSameFile();
    void sharedWrittenThenRead();
    void sharedChangedFileIsMadeAgain();
    void sharedOtherShapeIsNotUsed();
    void sharedFailureRecorded_data();
    void sharedFailureRecorded();
    void sharedCacheFolderItselfIsLeftAlone();

private:
    QString file(int i) const { return m_dir->filePath(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))); }
    QStringList files(int from, int to) const
    {
        QStringList out;
        for (int i = from; i < to; ++i)
            out.append(file(i));
        return out;
    }
    QString photo(const QString& name, QSize size, QColor c) const
    {
        const QString path = m_dir->filePath(name);
        plain(size, c).save(path, "JPEG", 95);
        return path;
    }
    std::unique_ptr<ThumbnailCache> cache(qsizetype bytes = 64 << 20)
    {
        ThumbnailCache::Options o;
        o.memoryBytes = bytes;
        return std::make_unique<ThumbnailCache>(o);
    }
    ThumbnailMaker::ThumbRequest request(const QString& path, int box = 128) const
    {
        ThumbnailMaker::ThumbRequest r = ThumbnailMaker::describeFile(path, box);
        r.sharedRoot = m_root;
        return r;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root; // a shared cache of this test's own
    const PngDecoder m_png { QStringLiteral(LUMO_BIN_DIR) };
};

void TestThumbnails::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = m_dir->filePath(QStringLiteral("xdg/thumbnails"));
    for (int i = 0; i < 20; ++i)
        photo(QFileInfo(file(i)).fileName(), QSize(320, 240), colourOf(i));
}

void TestThumbnails::decode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("withPng");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("shown");
    const QByteArray wide = Hostile::encoded(plain(QSize(1600, 1200), Qt::darkCyan), "JPEG");
    const QByteArray widePng = Hostile::encoded(plain(QSize(200, 100), Qt::darkCyan), "PNG");
    QTest::newRow("large JPEG read reduced") << "w.jpg" << wide << true << QSize(1600, 1200) << QSize(64, 48);
    QTest::newRow("BMP the size of the box")
        << "b.bmp" << Hostile::encoded(plain(QSize(64, 64), Qt::red), "BMP") << true << QSize(64, 64) << QSize(64, 64);
    QTest::newRow("small GIF not enlarged")
        << "s.gif" << Hostile::wellFormed(Hostile::Format::Gif) << true << QSize(40, 30) << QSize(40, 30);
    QTest::newRow(".png reduced by the PNG loader") << "p.png" << widePng << true << QSize(200, 100) << QSize(64, 32);
    QTest::newRow(".PNG too") << "p.PNG" << widePng << true << QSize(200, 100) << QSize(64, 32);
    // Without the loader a PNG name gives no picture: never a detour through the platform loader.
    QTest::newRow(".png without the loader") << "p.png" << widePng << false << QSize() << QSize();
    // Every other name goes to Qt's reader, which goes by the content, as in the viewer.
    QTest::newRow(".Png read by Qt's reader") << "p.Png" << widePng << true << QSize(200, 100) << QSize(64, 32);
    QTest::newRow("PNG content behind .jpg") << "p.jpg" << widePng << true << QSize(200, 100) << QSize(64, 32);
    QTest::newRow("damaged") << "d.jpg" << QByteArray("\xff\xd8\xff\xe0 not a picture") << true << QSize() << QSize();
    QTest::newRow("zero bytes") << "e.gif" << QByteArray() << true << QSize() << QSize();
    QTest::newRow("PNG name, not a PNG") << "x.png" << QByteArray("not a picture") << true << QSize() << QSize();
    QTest::newRow("missing") << "" << QByteArray() << true << QSize() << QSize();
}

void TestThumbnails::decode()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, withPng);
    QFETCH(QSize, natural);
    QFETCH(QSize, shown);
    QVERIFY2(m_png.isAvailable(), "the mpng library is not beside the program");
    const QString path = m_dir->filePath(name.isEmpty() ? QStringLiteral("gone.jpg") : name);
    if (!name.isEmpty())
        QVERIFY(Hostile::write(path, content));
    QSize got(-5, -5);
    const QImage image = ThumbnailMaker::decodeThumbnail(path, 64, &got, withPng ? &m_png : nullptr);
    QCOMPARE(got, natural);
    QCOMPARE(image.size(), shown.isValid() ? shown : QSize(0, 0));
}

void TestThumbnails::changedFileIsDecodedAgain_data()
{
    QTest::addColumn<bool>("rewrite");
    QTest::newRow("rewritten, other size") << true;
    QTest::newRow("only the time changed") << false;
}

void TestThumbnails::changedFileIsDecodedAgain()
{
    QFETCH(bool, rewrite);
    auto c = cache();
    const QString path = file(3);
    setTime(path, QDateTime::currentDateTime().addSecs(-60));
    QVERIFY(near(centre(c->take(path, 64).image), colourOf(3)));
    c->take(path, 64);
    QCOMPARE(c->stats().memory, 1);

    if (rewrite)
        photo(QFileInfo(path).fileName(), QSize(200, 300), Qt::white);
    setTime(path, QDateTime::currentDateTime());
    c->resetStats();
    const ThumbnailMaker::ThumbResult r = c->take(path, 64);
    QCOMPARE(c->stats().decoded, 1);
    QVERIFY(near(centre(r.image), rewrite ? QColor(Qt::white) : colourOf(3)));
    QCOMPARE(r.natural, rewrite ? QSize(200, 300) : QSize(320, 240));
    c->take(path, 64); // unchanged since: from memory
    QCOMPARE(c->stats().memory, 1);
}

void TestThumbnails::refillDecodesOnlyWhatItHasNotSeen()
{
    auto c = cache();
    c->prefetch(files(0, 8), 64);
    for (const QString& p : files(0, 8))
        QVERIFY(!c->take(p, 64).image.isNull());
    QCOMPARE(c->stats().decoded, 8);

    // A drop took file 0 away: the refill shows 1..8, of which only 8 is new.
    c->resetStats();
    c->prefetch(files(1, 9), 64);
    for (const QString& p : files(1, 9))
        QVERIFY(!c->take(p, 64).image.isNull());
    QCOMPARE(c->stats().memory, 7);
    QCOMPARE(c->stats().decoded, 1);

    // Another box size is another thumbnail.
    c->resetStats();
    QCOMPARE(c->take(file(1), 96).image.size(), QSize(96, 72));
    QCOMPARE(c->stats().decoded, 1);
}

void TestThumbnails::resultsBelongToTheirFiles()
{
    auto c = cache();
    c->prefetch(files(0, 20), 48);
    // Taken in another order than asked, some before their work has run.
    for (int i : { 19, 0, 7, 3, 18, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17 }) {
        const ThumbnailMaker::ThumbResult r = c->take(file(i), 48);
        QCOMPARE(r.image.size(), QSize(48, 36));
        QVERIFY2(near(centre(r.image), colourOf(i)), qPrintable(QString::number(i)));
    }
}

void TestThumbnails::missingFileIsNotRemembered()
{
    auto c = cache();
    const QString path = file(5);
    QVERIFY(QFile::remove(path));
    c->prefetch({ path }, 64);
    QVERIFY(c->take(path, 64).image.isNull());
    QCOMPARE(c->stats().unreadable, 1);
    photo(QFileInfo(path).fileName(), QSize(320, 240), Qt::yellow); // back again: read anew
    QVERIFY(near(centre(c->take(path, 64).image), Qt::yellow));
}

void TestThumbnails::memoryIsBoundedInBytes()
{
    // Room for about three thumbnails of 128 x 96 (48 KB each).
    auto c = cache(160 * 1024);
    c->prefetch(files(0, 20), 128);
    for (const QString& p : files(0, 20))
        QVERIFY(!c->take(p, 128).image.isNull());
    QVERIFY2(c->memoryBytes() <= 160 * 1024, qPrintable(QString::number(c->memoryBytes())));
    // The most recent is still held; the oldest is not.
    c->resetStats();
    c->take(file(19), 128);
    c->take(file(0), 128);
    QCOMPARE(c->stats().memory, 1);
    QCOMPARE(c->stats().decoded, 1);
}

void TestThumbnails::goingAwayWithWorkQueued()
{
    // Destroyed with work queued and running: cancels, waits, leaks nothing.
    for (int round = 0; round < 3; ++round) {
        auto c = cache();
        c->prefetch(files(0, 20), 256);
        if (round == 1)
            c->take(file(0), 256);
    }
}

void TestThumbnails::sharedNamesAndPlaces_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::newRow("plain") << "/home/jens/photos/me.png" << QByteArray("file:///home/jens/photos/me.png");
    QTest::newRow("Japanese") << QStringLiteral("/tmp/写真/猫.jpg")
                              << QByteArray("file:///tmp/%E5%86%99%E7%9C%9F/%E7%8C%AB.jpg");
    QTest::newRow("kept punctuation") << "/tmp/a-b_c.d~e!$&'()*+,=:@.jpg"
                                      << QByteArray("file:///tmp/a-b_c.d~e!$&'()*+,=:@.jpg");
    QTest::newRow("escaped punctuation") << "/tmp/#1 50%;[x]?.jpg"
                                         << QByteArray("file:///tmp/%231%2050%25%3B%5Bx%5D%3F.jpg");
}

void TestThumbnails::sharedNamesAndPlaces()
{
    QFETCH(QString, path);
    QTEST(SharedThumbnails::fileUri(path), "uri");
    // The example the thumbnail standard gives.
    QCOMPARE(SharedThumbnails::fileName("file:///home/jens/photos/me.png"),
        QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(128)), QStringLiteral("normal"));
    QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(129)), QStringLiteral("large"));
    QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(1000)), QStringLiteral("xx-large"));
    QCOMPARE(SharedThumbnails::sizeClassFor(1025), 0);

    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->path()));
    QCOMPARE(SharedThumbnails::defaultRoot(), m_dir->path() + QStringLiteral("/thumbnails"));
#ifndef Q_OS_WIN
    qputenv("XDG_CACHE_HOME", "relative/cache"); // the standard ignores a relative value
    QCOMPARE(SharedThumbnails::defaultRoot(), QDir::homePath() + QStringLiteral("/.cache/thumbnails"));
#endif
    qputenv("XDG_CACHE_HOME", saved);
}

void TestThumbnails::sharedStoredInTheStandardForm()
{
    const QString path = photo(QStringLiteral("a photo.jpg"), QSize(400, 300), Qt::darkGreen);
    const ThumbnailMaker::ThumbResult r = ThumbnailMaker::make(request(path, 64));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.image.size(), QSize(64, 48));

    // Written at the size class of the box ("normal", 128 pixels) under the MD5 of the URI.
    const QByteArray uri = SharedThumbnails::fileUri(path);
    const QString thumb = m_root + QStringLiteral("/normal/")
        + QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) + QStringLiteral(".png");
    QCOMPARE(QDir(m_root + QStringLiteral("/normal")).entryList(QDir::Files | QDir::Hidden),
        QStringList { QFileInfo(thumb).fileName() }); // nothing left over from the write
    QCOMPARE(QImageReader(thumb).size(), QSize(128, 96));
#ifndef Q_OS_WIN
    QCOMPARE(QFileInfo(thumb).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser);
    for (const QString& dir : { m_root, m_root + QStringLiteral("/normal") })
        QCOMPARE(QFileInfo(dir).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif
    // The keys sit in plain tEXt chunks ahead of the pixels, where other readers stop looking.
    const QByteArray b = Hostile::read(thumb);
    QMap<QByteArray, QByteArray> text;
    bool pixelsSeen = false;
    for (qsizetype at = 8; at + 12 <= b.size();) {
        const quint32 len = qFromBigEndian<quint32>(b.constData() + at);
        const QByteArray type = b.mid(at + 4, 4);
        const QByteArray data = b.mid(at + 8, len);
        pixelsSeen = pixelsSeen || type == "IDAT";
        if (type == "tEXt") {
            QVERIFY(!pixelsSeen);
            text.insert(data.left(data.indexOf('\0')), data.mid(data.indexOf('\0') + 1));
        }
        at += 12 + len;
    }
    QCOMPARE(text.value("Thumb::URI"), uri);
    QCOMPARE(text.value("Thumb::MTime"), QByteArray::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
    QCOMPARE(text.value("Thumb::Size"), QByteArray::number(QFileInfo(path).size()));
    QCOMPARE(text.value("Thumb::Image::Width"), QByteArray("400"));
    QCOMPARE(text.value("Thumb::Mimetype"), QByteArray("image/jpeg"));
}

void TestThumbnails::sharedFoundOnlyForTheSameFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("found");
    QTest::newRow("same") << "" << 128 << true;
    QTest::newRow("larger class serves a smaller box") << "" << 100 << true;
    QTest::newRow("smaller class never serves a larger box") << "" << 512 << false;
    QTest::newRow("other time") << "mtime" << 128 << false;
    QTest::newRow("other size") << "size" << 128 << false;
    QTest::newRow("other name") << "uri" << 128 << false;
}

void TestThumbnails::sharedFoundOnlyForTheSameFile()
{
    QFETCH(QString, change);
    QFETCH(int, box);
    SharedThumbnails::Source o = SharedThumbnails::describe(QStringLiteral("/tmp/x.jpg"), 1234, 1700000000500);
    QCOMPARE(o.mtime, 1700000000);
    QVERIFY(SharedThumbnails::store(m_root, 256, o, plain(QSize(256, 192), Qt::red), QSize(800, 600)));
    if (change == QLatin1String("mtime"))
        o.mtime += 1;
    else if (change == QLatin1String("size"))
        o.size += 1;
    else if (change == QLatin1String("uri"))
        o.uri = "file:///tmp/y.jpg";
    QTEST(!SharedThumbnails::find(m_root, o, box).isNull(), "found");
}

void TestThumbnails::sharedWrittenThenRead()
{
    const QString path = photo(QStringLiteral("b.jpg"), QSize(1600, 1200), Qt::blue);
    QCOMPARE(ThumbnailMaker::make(request(path)).source, Source::Decoded);
    const ThumbnailMaker::ThumbResult again = ThumbnailMaker::make(request(path));
    QCOMPARE(again.source, Source::Shared);
    QCOMPARE(again.natural, QSize(1600, 1200));
    QCOMPARE(again.image.size(), QSize(128, 96));
    QVERIFY(near(centre(again.image), Qt::blue));
    const ThumbnailMaker::ThumbResult small = ThumbnailMaker::make(request(path, 64));
    QCOMPARE(small.source, Source::Shared);
    QCOMPARE(small.image.size(), QSize(64, 48));

    // A PNG through its decoder; a build without the decoder shows none, even when cached.
    const QString png = m_dir->filePath(QStringLiteral("p.png"));
    QVERIFY(plain(QSize(300, 200), Qt::magenta).save(png, "PNG"));
    ThumbnailMaker::ThumbRequest r = request(png);
    r.png = &m_png;
    QCOMPARE(ThumbnailMaker::make(r).source, Source::Decoded);
    QCOMPARE(ThumbnailMaker::make(r).source, Source::Shared);
    r.png = nullptr;
    QVERIFY(ThumbnailMaker::make(r).image.isNull());
}

void TestThumbnails::sharedChangedFileIsMadeAgain()
{
    const QString path = photo(QStringLiteral("c.jpg"), QSize(800, 600), Qt::red);
    setTime(path, QDateTime::currentDateTime().addSecs(-100));
    QCOMPARE(ThumbnailMaker::make(request(path)).source, Source::Decoded);
    photo(QStringLiteral("c.jpg"), QSize(600, 800), Qt::green);
    const ThumbnailMaker::ThumbResult r = ThumbnailMaker::make(request(path));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.natural, QSize(600, 800));
    QVERIFY(near(centre(r.image), Qt::green));
    QCOMPARE(ThumbnailMaker::make(request(path)).source, Source::Shared);
}

void TestThumbnails::sharedOtherShapeIsNotUsed()
{
    // Recorded for this file but of another shape (letterboxed or turned by another program).
    const QString path = photo(QStringLiteral("d.jpg"), QSize(1600, 900), Qt::red);
    const QFileInfo fi(path);
    const auto o = SharedThumbnails::describe(path, fi.size(), fi.lastModified().toMSecsSinceEpoch());
    QVERIFY(SharedThumbnails::store(m_root, 128, o, plain(QSize(128, 96), Qt::blue), QSize(1600, 900)));
    const ThumbnailMaker::ThumbResult r = ThumbnailMaker::make(request(path));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.image.size(), QSize(128, 72));
}

void TestThumbnails::sharedFailureRecorded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("damaged JPEG") << "broken.jpg" << QByteArray("\xff\xd8\xff\xe0 not a picture") << true;
    QTest::newRow("not a picture at all") << "text.jpg" << QByteArray("hello") << true;
    // Without the PNG decoder a PNG name says nothing about the file.
    QTest::newRow("PNG name, no decoder") << "p.png" << QByteArray("\x89PNG") << false;
    QTest::newRow("missing") << "" << QByteArray() << false;
}

void TestThumbnails::sharedFailureRecorded()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, recorded);
    const QString path = m_dir->filePath(name.isEmpty() ? QStringLiteral("gone.jpg") : name);
    if (!name.isEmpty())
        QVERIFY(Hostile::write(path, content));
    QVERIFY(ThumbnailMaker::make(request(path)).image.isNull());
    QVERIFY(SharedThumbnails::failureDir(m_root).startsWith(m_root + QStringLiteral("/fail/pirapo-lumo-")));
    const QString record = SharedThumbnails::failureDir(m_root) + QLatin1Char('/')
        + SharedThumbnails::fileName(SharedThumbnails::fileUri(path));
    QCOMPARE(QFileInfo::exists(record), recorded);
    if (recorded) {
        const QFileInfo fi(path);
        const auto o = SharedThumbnails::describe(path, fi.size(), fi.lastModified().toMSecsSinceEpoch());
        QVERIFY(SharedThumbnails::hasFailure(m_root, o));
        const QImage failure(record);
        QCOMPARE(failure.text(QStringLiteral("Thumb::URI")).toUtf8(), o.uri);
        QCOMPARE(failure.text(QStringLiteral("Thumb::MTime")).toLongLong(), o.mtime);
        SharedThumbnails::Source mended = o; // once mended, the file is read again
        mended.mtime += 5;
        QVERIFY(!SharedThumbnails::hasFailure(m_root, mended));
    }
}

void TestThumbnails::sharedCacheFolderItselfIsLeftAlone()
{
    QDir().mkpath(m_root + QStringLiteral("/normal"));
    const QString inside = m_root + QStringLiteral("/normal/x.jpg");
    plain(QSize(400, 300), Qt::red).save(inside, "JPEG");
    QVERIFY(!SharedThumbnails::isInside(m_root, m_root + QStringLiteral("-other/x.jpg")));
    QCOMPARE(ThumbnailMaker::make(request(inside)).source, Source::Decoded);
    QCOMPARE(QDir(m_root + QStringLiteral("/normal")).entryList(QDir::Files).size(), 1);
}

QTEST_GUILESS_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
