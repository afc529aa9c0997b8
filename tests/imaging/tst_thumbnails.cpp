// Thumbnails from file to picture: decoding at reduced size, the in-memory cache with
// its invalidation, and the desktop's shared thumbnail cache on disk.
#include "TestFiles.h"
#include "imaging/PngDecoder.h"
#include "imaging/SharedThumbnails.h"
#include "imaging/ThumbnailCache.h"
#include "imaging/ThumbnailMaker.h"
#include <QImageReader>
#include <memory>

using Hostile::plain;
using Source = ThumbnailMaker::ThumbResult::Source;
Q_DECLARE_METATYPE(Source)

namespace {

// A distinct colour per file, so that a thumbnail shown for the wrong file is caught.
QColor colourOf(int i) { return QColor::fromHsv((i * 37) % 360, 255, 220); }

bool near(const QImage& img, QColor b)
{
    const QColor a = img.pixelColor(img.width() / 2, img.height() / 2);
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

}

class TestThumbnails : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root; // a shared cache of this test's own
    const PngDecoder m_png { QStringLiteral(LUMO_BIN_DIR) };

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
    static std::unique_ptr<ThumbnailCache> cache(qsizetype bytes = 64 << 20)
    {
        ThumbnailCache::Options o;
        o.memoryBytes = bytes;
        return std::make_unique<ThumbnailCache>(o);
    }
    ThumbnailMaker::ThumbResult make(const QString& path, int box = 128, const PngDecoder* png = nullptr) const
    {
        ThumbnailMaker::ThumbRequest r = ThumbnailMaker::describeFile(path, box);
        r.sharedRoot = m_root;
        r.png = png;
        return ThumbnailMaker::make(r);
    }
    SharedThumbnails::Source describe(const QString& path) const
    {
        const QFileInfo fi(path);
        return SharedThumbnails::describe(path, fi.size(), fi.lastModified().toMSecsSinceEpoch());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->filePath("xdg/thumbnails");
        for (int i = 0; i < 20; ++i)
            photo(QFileInfo(file(i)).fileName(), QSize(320, 240), colourOf(i));
    }

    // Decoded reduced with its PNG decoder, and the size the file claims. Then, without that decoder, damaged files
    // are recorded as failures in the shared cache until they change; a PNG name and a missing file say nothing.
    void decode_data()
    {
        QTest::addColumn<QString>("name"); // empty: missing
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("recorded");
        const QByteArray png = Hostile::encoded(plain(QSize(200, 100), Qt::darkCyan), "PNG");
        const QByteArray jpeg = Hostile::encoded(plain(QSize(1600, 1200), Qt::darkCyan), "JPEG");
        auto row
            = [](const char* tag, const char* name, const QByteArray& content, QSize natural = {}, QSize shown = {},
                  bool recorded = false) { QTest::newRow(tag) << name << content << natural << shown << recorded; };
        row("large JPEG read reduced", "w.jpg", jpeg, QSize(1600, 1200), QSize(64, 48));
        row("BMP the size of the box", "b.bmp", Hostile::encoded(plain(QSize(64, 64), Qt::red), "BMP"), QSize(64, 64),
            QSize(64, 64));
        row("small GIF not enlarged", "s.gif", Hostile::wellFormed(Hostile::Format::Gif), QSize(40, 30), QSize(40, 30));
        row(".png reduced by the PNG loader", "p.png", png, QSize(200, 100), QSize(64, 32));
        row(".PNG too", "p.PNG", png, QSize(200, 100), QSize(64, 32));
        // Every other name goes to Qt's reader, which goes by the content, as in the viewer.
        row(".Png read by Qt's reader, by content", "p.Png", jpeg, QSize(1600, 1200), QSize(64, 48));
        row("PNG content behind .jpg", "p.jpg", png, QSize(200, 100), QSize(64, 32));
        row("JPEG content behind .png", "j.png", jpeg, QSize(1600, 1200), QSize(64, 48));
        row("PNG name, not a PNG", "x.png", "not a picture");
        // Judged too large by its header alone; without the decoder that says nothing of the file.
        row("PNG claiming 400 MP", "big.png", Hostile::claimingSize(Hostile::Format::Png, QSize(20000, 20000)));
        row("damaged JPEG", "broken.jpg", "\xff\xd8\xff\xe0 not a picture", {}, {}, true);
        row("not a picture at all", "text.jpg", "hello", {}, {}, true);
        row("missing", "", "");
    }
    void decode()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QSize, shown);
        QFETCH(bool, recorded);
        QVERIFY2(m_png.isAvailable(), "the mpng library is not beside the program");
        const QString path = m_dir->filePath(name.isEmpty() ? "gone.jpg" : name);
        QVERIFY(name.isEmpty() || Hostile::write(path, content));
        QSize got(-5, -5);
        const QImage image = ThumbnailMaker::decodeThumbnail(path, 64, &got, &m_png);
        QTEST(got, "natural");
        QCOMPARE(image.size(), shown.isValid() ? shown : QSize(0, 0));

        make(path);
        const QString failures = SharedThumbnails::failureDir(m_root);
        QVERIFY(failures.startsWith(m_root + "/fail/pirapo-lumo-"));
        const QString record = failures + '/' + SharedThumbnails::fileName(SharedThumbnails::fileUri(path));
        QCOMPARE(QFileInfo::exists(record), recorded);
        if (!recorded)
            return;
        SharedThumbnails::Source o = describe(path);
        QVERIFY(SharedThumbnails::hasFailure(m_root, o));
        const QImage failure(record);
        QCOMPARE(failure.text("Thumb::URI").toUtf8(), o.uri);
        QCOMPARE(failure.text("Thumb::MTime").toLongLong(), o.mtime);
        o.mtime += 5;
        QVERIFY(!SharedThumbnails::hasFailure(m_root, o));
    }

    // A file only touched, or missing and then made, is decoded again, then held until it changes again.
    void changedFileIsDecodedAgain_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("only the time changed") << "touch";
        QTest::newRow("missing, then made") << "make";
    }
    void changedFileIsDecodedAgain()
    {
        QFETCH(QString, change);
        auto c = cache();
        const QString path = file(3);
        TestFiles::setModified(path, QDateTime::currentDateTime().addSecs(-60));
        if (change == "make")
            QVERIFY(QFile::remove(path));
        c->prefetch({ path }, 64);
        const QImage first = c->take(path, 64).image;
        QCOMPARE(first.isNull(), change == "make");
        QCOMPARE(c->stats().unreadable, int(change == "make"));
        QVERIFY(first.isNull() || near(first, colourOf(3)));
        c->take(path, 64);
        QCOMPARE(c->stats().memory, int(change != "make"));
        if (change != "touch")
            photo(QFileInfo(path).fileName(), QSize(200, 300), Qt::white);
        TestFiles::setModified(path, QDateTime::currentDateTime());
        c->resetStats();
        const ThumbnailMaker::ThumbResult r = c->take(path, 64);
        QCOMPARE(c->stats().decoded, 1);
        QVERIFY(near(r.image, change == "touch" ? colourOf(3) : QColor(Qt::white)));
        QCOMPARE(r.natural, change == "touch" ? QSize(320, 240) : QSize(200, 300));
        c->take(path, 64);
        QCOMPARE(c->stats().memory, 1);
    }

    // A refill after a drop took file 0 away decodes only file 8; another box size is another thumbnail.
    // Then, taken in another order than asked, some before their work has run, each for its own file;
    // room for about three of 128 x 96 (48 KB each): the newest is held, the oldest not.
    void resultsBelongToTheirFilesInBoundedMemory()
    {
        auto c = cache(160 * 1024);
        for (int from : { 0, 1 }) {
            c->resetStats();
            c->prefetch(files(from, from + 8), 64);
            for (const QString& p : files(from, from + 8))
                QVERIFY(!c->take(p, 64).image.isNull());
            QCOMPARE(c->stats().decoded, from ? 1 : 8);
            QCOMPARE(c->stats().memory, from ? 7 : 0);
        }
        c->resetStats();
        QCOMPARE(c->take(file(1), 96).image.size(), QSize(96, 72));
        QCOMPARE(c->stats().decoded, 1);
        c->prefetch(files(0, 20), 128);
        for (int i : { 19, 0, 7, 3, 18, 1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17 }) {
            const ThumbnailMaker::ThumbResult r = c->take(file(i), 128);
            QCOMPARE(r.image.size(), QSize(128, 96));
            QVERIFY2(near(r.image, colourOf(i)), qPrintable(QString::number(i)));
        }
        QVERIFY2(c->memoryBytes() <= 160 * 1024, qPrintable(QString::number(c->memoryBytes())));
        c->resetStats();
        c->take(file(17), 128);
        c->take(file(19), 128);
        QCOMPARE(c->stats().memory, 1);
        QCOMPARE(c->stats().decoded, 1);
    }

    // A file's URI, escaped as the desktop's thumbnailers escape it; the size classes; the cache's place.
    void sharedNamesAndPlaces()
    {
        for (const auto& [path, uri] : std::initializer_list<std::pair<QString, QByteArray>> {
                 { "/home/jens/photos/me.png", "file:///home/jens/photos/me.png" },
                 { "/tmp/写真/猫.jpg", "file:///tmp/%E5%86%99%E7%9C%9F/%E7%8C%AB.jpg" },
                 { "/tmp/a-b_c.d~e!$&'()*+,=:@.jpg", "file:///tmp/a-b_c.d~e!$&'()*+,=:@.jpg" },
                 { "/tmp/#1 50%;[x]?.jpg", "file:///tmp/%231%2050%25%3B%5Bx%5D%3F.jpg" } })
            QCOMPARE(SharedThumbnails::fileUri(path), uri);
        QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(128)), QString("normal"));
        QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(129)), QString("large"));
        QCOMPARE(SharedThumbnails::sizeClassDir(SharedThumbnails::sizeClassFor(1000)), QString("xx-large"));
        QCOMPARE(SharedThumbnails::sizeClassFor(1025), 0);
        const QByteArray saved = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->path()));
        QCOMPARE(SharedThumbnails::defaultRoot(), m_dir->path() + "/thumbnails");
#ifndef Q_OS_WIN
        qputenv("XDG_CACHE_HOME", "relative/cache"); // the standard ignores a relative value
        QCOMPARE(SharedThumbnails::defaultRoot(), QDir::homePath() + "/.cache/thumbnails");
#endif
        qputenv("XDG_CACHE_HOME", saved);
    }

    // At the size class of the box, under the MD5 of the URI, private, nothing left over from
    // the write; the keys in tEXt chunks ahead of the pixels, where other readers stop looking.
    void sharedStoredInTheStandardForm()
    {
        const QString path = photo("a photo.jpg", QSize(400, 300), Qt::darkGreen);
        const ThumbnailMaker::ThumbResult r = make(path, 64);
        QCOMPARE(r.source, Source::Decoded);
        QCOMPARE(r.image.size(), QSize(64, 48));
        const QByteArray uri = SharedThumbnails::fileUri(path);
        const QString name
            = QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png");
        QCOMPARE(QDir(m_root + "/normal").entryList(QDir::Files | QDir::Hidden), QStringList { name });
        const QString thumb = m_root + "/normal/" + name;
        QCOMPARE(QImageReader(thumb).size(), QSize(128, 96));
#ifndef Q_OS_WIN
        QCOMPARE(QFileInfo(thumb).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser);
        for (const QString& dir : { m_root, m_root + "/normal" })
            QCOMPARE(QFileInfo(dir).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif
        const QByteArray b = Hostile::read(thumb);
        QCOMPARE_LT(b.lastIndexOf("tEXt"), b.indexOf("IDAT"));
        const QFileInfo fi(path);
        const QImage stored(thumb);
        QCOMPARE(stored.textKeys().size(), 7);
        for (const auto& [key, value] : std::initializer_list<std::pair<const char*, QByteArray>> {
                 { "Thumb::URI", uri }, { "Thumb::MTime", QByteArray::number(fi.lastModified().toSecsSinceEpoch()) },
                 { "Thumb::Size", QByteArray::number(fi.size()) }, { "Thumb::Image::Width", "400" },
                 { "Thumb::Image::Height", "300" }, { "Thumb::Mimetype", "image/jpeg" } })
            QCOMPARE(stored.text(key).toUtf8(), value);
    }

    void sharedFoundOnlyForTheSameFile_data()
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
        // A file planted under the name, whose text chunk claims 1 GiB: not read at all.
        QTest::newRow("chunk claiming 1 GiB") << "chunk" << 128 << false;
    }
    void sharedFoundOnlyForTheSameFile()
    {
        QFETCH(QString, change);
        QFETCH(int, box);
        SharedThumbnails::Source o = SharedThumbnails::describe("/tmp/x.jpg", 1234, 1700000000500);
        QCOMPARE(o.mtime, 1700000000);
        QVERIFY(SharedThumbnails::store(m_root, 256, o, plain(QSize(256, 192), Qt::red), QSize(800, 600)));
        o.mtime += change == "mtime";
        o.size += change == "size";
        if (change == "uri")
            o.uri = "file:///tmp/y.jpg";
        if (change == "chunk") {
            QDirIterator it(m_root, { "*.png" }, QDir::Files, QDirIterator::Subdirectories);
            const QString stored = it.next();
            QByteArray bytes = Hostile::read(stored);
            bytes.insert(8 + 25, QByteArray("\x40\x00\x00\x00tEXtKey\0", 12));
            QVERIFY(Hostile::write(stored, bytes));
        }
        TestFiles::restartPeakMemory();
        const qint64 before = TestFiles::peakMemoryKb();
        QTEST(!SharedThumbnails::find(m_root, o, box).isNull(), "found");
        QCOMPARE_LT(TestFiles::peakMemoryKb() - before, 100 * 1024);
    }

    // A thumbnail is decoded and stored, then what happens between decides the second one; after that the shared one
    // serves, except inside the shared cache itself. A PNG goes through its decoder; without it, none shows.
    void sharedReuse_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<int>("box");
        QTest::addColumn<Source>("source");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("natural");
        const QSize big(1600, 1200);
        auto row = [](const char* tag, const char* between, int box, Source s, QSize size, QSize natural) {
            QTest::newRow(tag) << between << box << s << size << natural;
        };
        row("read back", "", 128, Source::Shared, QSize(128, 96), big);
        row("read back for a smaller box", "", 64, Source::Shared, QSize(64, 48), big);
        row("file changed", "rewrite", 128, Source::Decoded, QSize(96, 128), QSize(600, 800));
        // Recorded for this file but of another shape (letterboxed or turned by another program).
        row("other shape recorded", "shape", 128, Source::Decoded, QSize(128, 96), big);
        row("PNG read back", "png", 128, Source::Shared, QSize(128, 96), big);
        row("PNG without its decoder", "no png", 128, Source::None, QSize(0, 0), QSize());
        // Pictures inside the shared cache are never given thumbnails of their own there.
        row("inside the cache", "/normal/", 128, Source::Decoded, QSize(128, 96), big);
        row("beside the cache", "-other/", 128, Source::Shared, QSize(128, 96), big);
    }
    void sharedReuse()
    {
        QFETCH(QString, between);
        QFETCH(int, box);
        const bool png = between.contains("png");
        const QString path
            = between.endsWith(u'/') ? m_root + between + "b.jpg" : m_dir->filePath(png ? "p.png" : "b.jpg");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(plain(QSize(1600, 1200), Qt::blue).save(path, png ? "PNG" : "JPEG"));
        TestFiles::setModified(path, QDateTime::currentDateTime().addSecs(-100));
        QCOMPARE(make(path, 128, &m_png).source, Source::Decoded);
        if (between == "rewrite")
            photo("b.jpg", QSize(600, 800), Qt::green);
        if (between == "shape")
            QVERIFY(SharedThumbnails::store(
                m_root, 128, describe(path), plain(QSize(128, 72), Qt::red), QSize(1600, 1200)));
        const PngDecoder* decoder = between == "no png" ? nullptr : &m_png;
        const ThumbnailMaker::ThumbResult r = make(path, box, decoder);
        QTEST(r.source, "source");
        QTEST(r.image.size(), "size");
        QTEST(r.natural, "natural");
        QVERIFY(r.image.isNull() || near(r.image, between == "rewrite" ? Qt::green : Qt::blue));
        QCOMPARE(make(path, box, decoder).source,
            !decoder                    ? Source::None
                : between == "/normal/" ? Source::Decoded
                                        : Source::Shared);
    }
};

QTEST_GUILESS_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
