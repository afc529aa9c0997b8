#include "board/ThumbnailCacheShared.h"
#include "board/ThumbnailDecoder.h"
#include "imaging/PNGLoader.h"
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

using Source = Board::ThumbResult::Source;

QImage plain(QSize size, QColor c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The PNG's chunks in file order, with the text chunks' contents.
struct Chunk {
    QByteArray type;
    QByteArray data;
};
QList<Chunk> chunks(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    QList<Chunk> out;
    qsizetype at = 8;
    while (at + 12 <= b.size()) {
        const quint32 len = qFromBigEndian<quint32>(b.constData() + at);
        out.append({ b.mid(at + 4, 4), b.mid(at + 8, len) });
        at += 12 + len;
    }
    return out;
}

void setTime(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

}

class TestSharedThumbnails : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fileUri_data();
    void fileUri();
    void nameIsTheMd5OfTheUri();
    void sizeClasses_data();
    void sizeClasses();
    void rootFollowsXdgCacheHome();
    void storedInTheStandardForm();
    void foundOnlyForTheSameFile_data();
    void foundOnlyForTheSameFile();
    void largerClassServes();
    void boardWritesThenReads();
    void changedFileIsMadeAgain();
    void otherShapeIsNotUsed();
    void undecodableFileIsRecorded_data();
    void undecodableFileIsRecorded();
    void cacheFolderItselfIsLeftAlone();
    void pngOnlyWithItsDecoder();

private:
    Board::ThumbRequest request(const QString& path, int box = 128) const
    {
        Board::ThumbRequest r = Board::describeFile(path, box);
        r.sharedRoot = m_root;
        return r;
    }
    QString photo(const QString& name, QSize size, QColor c = Qt::darkGreen) const
    {
        const QString path = m_files->filePath(name);
        plain(size, c).save(path, "JPEG");
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_cache;
    std::unique_ptr<QTemporaryDir> m_files;
    QString m_root;
};

void TestSharedThumbnails::init()
{
    m_cache = std::make_unique<QTemporaryDir>();
    m_files = std::make_unique<QTemporaryDir>();
    m_root = m_cache->filePath(QStringLiteral("xdg/thumbnails"));
}

void TestSharedThumbnails::cleanup()
{
    m_cache.reset();
    m_files.reset();
}

void TestSharedThumbnails::fileUri_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("uri");
    QTest::newRow("plain") << "/home/jens/photos/me.png" << QByteArray("file:///home/jens/photos/me.png");
    QTest::newRow("space") << "/tmp/a b/c.jpg" << QByteArray("file:///tmp/a%20b/c.jpg");
    QTest::newRow("Japanese") << QStringLiteral("/tmp/写真/猫.jpg")
                              << QByteArray("file:///tmp/%E5%86%99%E7%9C%9F/%E7%8C%AB.jpg");
    QTest::newRow("kept punctuation") << "/tmp/a-b_c.d~e!$&'()*+,=:@.jpg"
                                      << QByteArray("file:///tmp/a-b_c.d~e!$&'()*+,=:@.jpg");
    QTest::newRow("escaped punctuation") << "/tmp/#1 50%;[x]?.jpg"
                                         << QByteArray("file:///tmp/%231%2050%25%3B%5Bx%5D%3F.jpg");
}

void TestSharedThumbnails::fileUri()
{
    QFETCH(QString, path);
    QTEST(SharedThumbnails::fileUri(path), "uri");
}

void TestSharedThumbnails::nameIsTheMd5OfTheUri()
{
    // The example the thumbnail standard gives.
    QCOMPARE(SharedThumbnails::fileName("file:///home/jens/photos/me.png"),
        QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
}

void TestSharedThumbnails::sizeClasses_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QString>("dir");
    QTest::newRow("64") << 64 << 128 << "normal";
    QTest::newRow("128") << 128 << 128 << "normal";
    QTest::newRow("129") << 129 << 256 << "large";
    QTest::newRow("512") << 512 << 512 << "x-large";
    QTest::newRow("1000") << 1000 << 1024 << "xx-large";
    QTest::newRow("too large") << 1025 << 0 << "";
}

void TestSharedThumbnails::sizeClasses()
{
    QFETCH(int, box);
    QFETCH(int, edge);
    QCOMPARE(SharedThumbnails::sizeClassFor(box), edge);
    QTEST(SharedThumbnails::sizeClassDir(edge), "dir");
}

void TestSharedThumbnails::rootFollowsXdgCacheHome()
{
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache->path()));
    QCOMPARE(SharedThumbnails::defaultRoot(), m_cache->path() + QStringLiteral("/thumbnails"));
    // The standard ignores a relative value.
    qputenv("XDG_CACHE_HOME", "relative/cache");
#ifndef Q_OS_WIN
    QCOMPARE(SharedThumbnails::defaultRoot(), QDir::homePath() + QStringLiteral("/.cache/thumbnails"));
#endif
    qputenv("XDG_CACHE_HOME", saved);
}

void TestSharedThumbnails::storedInTheStandardForm()
{
    const QString path = photo(QStringLiteral("a photo.jpg"), QSize(400, 300));
    const Board::ThumbResult r = Board::loadThumbnail(request(path, 64));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.image.size(), QSize(64, 48));

    // Written at the size class of the box: "normal", 128 pixels.
    const QByteArray uri = SharedThumbnails::fileUri(path);
    const QString thumb = m_root + QStringLiteral("/normal/")
        + QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) + QStringLiteral(".png");
    QVERIFY(QFileInfo::exists(thumb));
    QCOMPARE(QImageReader(thumb).size(), QSize(128, 96));
#ifndef Q_OS_WIN
    // The user's bits (0x0700 in Qt's layout) and none for group or others: 0600 and 0700.
    QCOMPARE(QFileInfo(thumb).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser);
    for (const QString& dir : { m_root, m_root + QStringLiteral("/normal") })
        QCOMPARE(QFileInfo(dir).permissions() & 0x0fff, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
#endif
    // Nothing left over from the write.
    QCOMPARE(QDir(m_root + QStringLiteral("/normal")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // The keys sit in plain text chunks ahead of the pixels.
    QMap<QByteArray, QByteArray> text;
    bool pixelsSeen = false;
    for (const Chunk& c : chunks(thumb)) {
        if (c.type == "IDAT")
            pixelsSeen = true;
        if (c.type == "tEXt") {
            QVERIFY(!pixelsSeen);
            const qsizetype nul = c.data.indexOf('\0');
            text.insert(c.data.left(nul), c.data.mid(nul + 1));
        }
        QVERIFY(c.type != "zTXt" && c.type != "iTXt");
    }
    QCOMPARE(text.value("Thumb::URI"), uri);
    QCOMPARE(text.value("Thumb::MTime"), QByteArray::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
    QCOMPARE(text.value("Thumb::Size"), QByteArray::number(QFileInfo(path).size()));
    QCOMPARE(text.value("Thumb::Image::Width"), QByteArray("400"));
    QCOMPARE(text.value("Thumb::Image::Height"), QByteArray("300"));
    QCOMPARE(text.value("Thumb::Mimetype"), QByteArray("image/jpeg"));
}

void TestSharedThumbnails::foundOnlyForTheSameFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("found");
    QTest::newRow("same") << "" << true;
    QTest::newRow("other time") << "mtime" << false;
    QTest::newRow("other size") << "size" << false;
    QTest::newRow("other name") << "uri" << false;
}

void TestSharedThumbnails::foundOnlyForTheSameFile()
{
    QFETCH(QString, change);
    SharedThumbnails::Original o = SharedThumbnails::describe(QStringLiteral("/tmp/x.jpg"), 1234, 1700000000500);
    QCOMPARE(o.mtime, 1700000000);
    QVERIFY(SharedThumbnails::store(m_root, 128, o, plain(QSize(128, 96), Qt::red), QSize(800, 600)));
    if (change == QLatin1String("mtime"))
        o.mtime += 1;
    else if (change == QLatin1String("size"))
        o.size += 1;
    else if (change == QLatin1String("uri"))
        o.uri = "file:///tmp/y.jpg";
    QTEST(!SharedThumbnails::find(m_root, o, 128).isNull(), "found");
}

void TestSharedThumbnails::largerClassServes()
{
    const SharedThumbnails::Original o = SharedThumbnails::describe(QStringLiteral("/tmp/x.jpg"), 10, 5000);
    QVERIFY(SharedThumbnails::store(m_root, 256, o, plain(QSize(256, 192), Qt::red), QSize(800, 600)));
    QCOMPARE(SharedThumbnails::find(m_root, o, 100).size(), QSize(256, 192));
    // A smaller class never stands in for a larger box.
    QVERIFY(SharedThumbnails::store(m_root, 128, o, plain(QSize(128, 96), Qt::red), QSize(800, 600)));
    QVERIFY(SharedThumbnails::find(m_root, o, 512).isNull());
}

void TestSharedThumbnails::boardWritesThenReads()
{
    const QString path = photo(QStringLiteral("b.jpg"), QSize(1600, 1200), Qt::blue);
    QCOMPARE(Board::loadThumbnail(request(path)).source, Source::Decoded);
    const Board::ThumbResult again = Board::loadThumbnail(request(path));
    QCOMPARE(again.source, Source::Shared);
    QCOMPARE(again.natural, QSize(1600, 1200));
    QCOMPARE(again.image.size(), QSize(128, 96));
    QVERIFY(again.image.pixelColor(60, 40).blue() > 200);
    // A smaller box takes the same thumbnail, shrunk.
    const Board::ThumbResult small = Board::loadThumbnail(request(path, 64));
    QCOMPARE(small.source, Source::Shared);
    QCOMPARE(small.image.size(), QSize(64, 48));
}

void TestSharedThumbnails::changedFileIsMadeAgain()
{
    const QString path = photo(QStringLiteral("c.jpg"), QSize(800, 600), Qt::red);
    setTime(path, QDateTime::currentDateTime().addSecs(-100));
    QCOMPARE(Board::loadThumbnail(request(path)).source, Source::Decoded);
    photo(QStringLiteral("c.jpg"), QSize(600, 800), Qt::green);
    const Board::ThumbResult r = Board::loadThumbnail(request(path));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.natural, QSize(600, 800));
    QVERIFY(r.image.pixelColor(40, 60).green() > 200);
    QCOMPARE(Board::loadThumbnail(request(path)).source, Source::Shared);
}

void TestSharedThumbnails::otherShapeIsNotUsed()
{
    // A thumbnail recorded for this file but of another shape (a program that letterboxed
    // or turned it) would change how the board shows the photo.
    const QString path = photo(QStringLiteral("d.jpg"), QSize(1600, 900), Qt::red);
    const QFileInfo fi(path);
    const SharedThumbnails::Original o
        = SharedThumbnails::describe(path, fi.size(), fi.lastModified().toMSecsSinceEpoch());
    QVERIFY(SharedThumbnails::store(m_root, 128, o, plain(QSize(128, 96), Qt::blue), QSize(1600, 900)));
    const Board::ThumbResult r = Board::loadThumbnail(request(path));
    QCOMPARE(r.source, Source::Decoded);
    QCOMPARE(r.image.size(), QSize(128, 72));
}

void TestSharedThumbnails::undecodableFileIsRecorded_data()
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

void TestSharedThumbnails::undecodableFileIsRecorded()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, recorded);
    QString path = m_files->filePath(name.isEmpty() ? QStringLiteral("gone.jpg") : name);
    if (!name.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const Board::ThumbResult r = Board::loadThumbnail(request(path));
    QVERIFY(r.image.isNull());
    const QString record = SharedThumbnails::failureDir(m_root) + QLatin1Char('/')
        + SharedThumbnails::fileName(SharedThumbnails::fileUri(path));
    QCOMPARE(QFileInfo::exists(record), recorded);
    QVERIFY(SharedThumbnails::failureDir(m_root).startsWith(m_root + QStringLiteral("/fail/pirapo-lumo-")));
    if (recorded) {
        const QFileInfo fi(path);
        const SharedThumbnails::Original o
            = SharedThumbnails::describe(path, fi.size(), fi.lastModified().toMSecsSinceEpoch());
        QVERIFY(SharedThumbnails::hasFailure(m_root, o));
        QImage failure(record);
        QCOMPARE(failure.text(QStringLiteral("Thumb::URI")).toUtf8(), o.uri);
        QCOMPARE(failure.text(QStringLiteral("Thumb::MTime")).toLongLong(), o.mtime);
        // Once mended, the file is read again.
        SharedThumbnails::Original mended = o;
        mended.mtime += 5;
        QVERIFY(!SharedThumbnails::hasFailure(m_root, mended));
    }
}

void TestSharedThumbnails::cacheFolderItselfIsLeftAlone()
{
    QDir().mkpath(m_root + QStringLiteral("/normal"));
    const QString inside = m_root + QStringLiteral("/normal/x.jpg");
    plain(QSize(400, 300), Qt::red).save(inside, "JPEG");
    QVERIFY(SharedThumbnails::isInside(m_root, inside));
    QVERIFY(!SharedThumbnails::isInside(m_root, m_root + QStringLiteral("-other/x.jpg")));
    QCOMPARE(Board::loadThumbnail(request(inside)).source, Source::Decoded);
    QCOMPARE(QDir(m_root + QStringLiteral("/normal")).entryList(QDir::Files).size(), 1);
}

void TestSharedThumbnails::pngOnlyWithItsDecoder()
{
    const QString path = m_files->filePath(QStringLiteral("p.png"));
    QVERIFY(plain(QSize(300, 200), Qt::magenta).save(path, "PNG"));
    const PNGLoader png { QStringLiteral(LUMO_BIN_DIR) };
    QVERIFY2(png.isAvailable(), "the mpng library is not beside the program");
    Board::ThumbRequest r = request(path);
    r.png = &png;
    QCOMPARE(Board::loadThumbnail(r).source, Source::Decoded);
    const Board::ThumbResult again = Board::loadThumbnail(r);
    QCOMPARE(again.source, Source::Shared);
    QCOMPARE(again.image.size(), QSize(128, 86));
    // A build without the decoder shows no PNG, even with a thumbnail in the cache.
    r.png = nullptr;
    QVERIFY(Board::loadThumbnail(r).image.isNull());
}

QTEST_GUILESS_MAIN(TestSharedThumbnails)
#include "tst_thumbnailcacheshared.moc"
