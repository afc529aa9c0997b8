#include "board/ThumbnailDecoder.h"
#include "exifjpeg.h"
#include "imaging/ExifThumbnail.h"
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestExifThumbnail : public QObject {
    Q_OBJECT
private slots:
    void usable_data();
    void usable();
    void embeddedThumbnailIsFound_data();
    void embeddedThumbnailIsFound();
    void hostileTiff_data();
    void hostileTiff();
    void hostileSegments_data();
    void hostileSegments();
    void cameraFiles();
    void boardUsesItWhenLargeEnough_data();
    void boardUsesItWhenLargeEnough();

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return QString();
        return path;
    }
};

void TestExifThumbnail::usable_data()
{
    QTest::addColumn<QSize>("thumb");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<bool>("ok");
    QTest::newRow("same shape, larger") << QSize(160, 120) << QSize(4000, 3000) << QSize(128, 96) << true;
    QTest::newRow("exactly the wanted size") << QSize(128, 96) << QSize(4000, 3000) << QSize(128, 96) << true;
    QTest::newRow("too small") << QSize(160, 120) << QSize(4000, 3000) << QSize(256, 192) << false;
    QTest::newRow("one side too small") << QSize(160, 106) << QSize(6000, 4000) << QSize(160, 107) << false;
    QTest::newRow("4:3 thumbnail of a 16:9 photo") << QSize(160, 120) << QSize(5120, 2880) << QSize(128, 72) << false;
    QTest::newRow("side rounded by one pixel") << QSize(160, 107) << QSize(6000, 4000) << QSize(128, 86) << true;
    QTest::newRow("two pixels off") << QSize(160, 109) << QSize(6000, 4000) << QSize(128, 86) << false;
    QTest::newRow("turned relative to the photo") << QSize(120, 160) << QSize(4000, 3000) << QSize(96, 72) << false;
    QTest::newRow("empty thumbnail") << QSize(0, 0) << QSize(4000, 3000) << QSize(128, 96) << false;
}

void TestExifThumbnail::usable()
{
    QFETCH(QSize, thumb);
    QFETCH(QSize, stored);
    QFETCH(QSize, wanted);
    QTEST(ExifThumbnail::usable(thumb, stored, wanted), "ok");
}

void TestExifThumbnail::embeddedThumbnailIsFound_data()
{
    QTest::addColumn<bool>("bigEndian");
    QTest::newRow("Intel byte order") << false;
    QTest::newRow("Motorola byte order") << true;
}

void TestExifThumbnail::embeddedThumbnailIsFound()
{
    QFETCH(bool, bigEndian);
    const QByteArray thumb = ExifJpeg::encode(ExifJpeg::halves(QSize(160, 120)));
    const QByteArray jpeg
        = ExifJpeg::withExif(ExifJpeg::encode(ExifJpeg::halves(QSize(400, 300))), ExifJpeg::tiff(1, thumb, bigEndian));
    QBuffer device;
    device.setData(jpeg);
    device.open(QIODevice::ReadOnly);
    QCOMPARE(ExifThumbnail::fromJpeg(&device), thumb);

    const QByteArray none
        = ExifJpeg::withExif(ExifJpeg::encode(ExifJpeg::halves(QSize(40, 30))), ExifJpeg::tiff(6, {}));
    QBuffer noThumb;
    noThumb.setData(none);
    noThumb.open(QIODevice::ReadOnly);
    QVERIFY(ExifThumbnail::fromJpeg(&noThumb).isEmpty());
}

void TestExifThumbnail::hostileTiff_data()
{
    QTest::addColumn<QByteArray>("tiff");
    const ExifJpeg::Tiff t;
    const QByteArray thumb = ExifJpeg::encode(ExifJpeg::halves(QSize(16, 12)));
    const QByteArray good = ExifJpeg::tiff(1, thumb);
    // IFD1 starts at 26: count at 26, entries at 28 (compression), 40 (offset), 52 (length).
    auto patched = [&](int at, quint32 value) {
        QByteArray b = good;
        QByteArray v;
        t.u32(v, value);
        b.replace(at, 4, v);
        return b;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not TIFF") << QByteArray("XX*\0\x08\0\0\0", 8);
    QTest::newRow("header only") << good.left(8);
    QTest::newRow("IFD0 past the end") << patched(4, 0x7fffffff);
    QTest::newRow("IFD1 is IFD0 again") << patched(22, 8);
    QTest::newRow("IFD1 past the end") << patched(22, 0xfffffff0);
    QTest::newRow("thumbnail past the end") << patched(48, quint32(good.size()));
    QTest::newRow("length that wraps round") << patched(60, 0xffffffff);
    QTest::newRow("offset into the header") << patched(48, 2);
    QTest::newRow("truncated thumbnail") << good.left(good.size() - 10);
    QByteArray manyEntries = good;
    manyEntries[26] = char(0xff);
    manyEntries[27] = char(0xff);
    QTest::newRow("65535 entries") << manyEntries;
    QByteArray notJpeg = good;
    notJpeg[int(good.size() - thumb.size())] = 'X';
    QTest::newRow("thumbnail is not a JPEG") << notJpeg;
}

void TestExifThumbnail::hostileTiff()
{
    QFETCH(QByteArray, tiff);
    QVERIFY(ExifThumbnail::fromTiff(tiff).isEmpty());
}

void TestExifThumbnail::hostileSegments_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray plain = ExifJpeg::encode(ExifJpeg::halves(QSize(40, 30)));
    const QByteArray thumb = ExifJpeg::encode(ExifJpeg::halves(QSize(16, 12)));
    const QByteArray exif = ExifJpeg::withExif(plain, ExifJpeg::tiff(1, thumb));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no start of image") << plain.mid(2);
    QTest::newRow("no EXIF") << plain;
    QTest::newRow("cut inside the EXIF block") << exif.left(60);
    QByteArray longer = exif;
    longer[4] = char(0xff); // APP1 claims 65 KB more than the file has
    QTest::newRow("segment longer than the file") << longer.left(200);
    QByteArray shortLength = exif;
    shortLength[4] = 0;
    shortLength[5] = 1; // below the two bytes of the length itself
    QTest::newRow("length below 2") << shortLength;
    QTest::newRow("only fill bytes") << QByteArray("\xff\xd8") + QByteArray(5000, char(0xff));
    QTest::newRow("EXIF after the frame header")
        << plain.left(plain.indexOf("\xff\xc0")) + QByteArray("\xff\xc0\x00\x02", 4) + exif.mid(2);
}

void TestExifThumbnail::hostileSegments()
{
    QFETCH(QByteArray, file);
    QBuffer device;
    device.setData(file);
    device.open(QIODevice::ReadOnly);
    QVERIFY(ExifThumbnail::fromJpeg(&device).isEmpty());
}

void TestExifThumbnail::cameraFiles()
{
    // Real cameras' files: whatever each carries, the reader stays in bounds, and a
    // thumbnail it finds is a JPEG Qt can read.
    const QDir photos(QStringLiteral(LUMO_TESTDATA "/photos"));
    const QStringList names = photos.entryList({ QStringLiteral("*.jpg") });
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
        QFile f(photos.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray thumb = ExifThumbnail::fromJpeg(&f);
        if (!thumb.isEmpty())
            QVERIFY2(!QImage::fromData(thumb, "JPEG").isNull(), qPrintable(name));
    }
}

void TestExifThumbnail::boardUsesItWhenLargeEnough_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("thumbSize");
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("fromExif");
    QTest::addColumn<QSize>("shown");
    QTest::newRow("large enough") << 1 << QSize(160, 120) << 128 << true << QSize(128, 96);
    QTest::newRow("too small for the box") << 1 << QSize(160, 120) << 256 << false << QSize(256, 192);
    QTest::newRow("wrong shape") << 1 << QSize(160, 90) << 128 << false << QSize(128, 96);
    // Orientation 6: the photo is shown turned a quarter clockwise.
    QTest::newRow("turned photo") << 6 << QSize(160, 120) << 128 << true << QSize(96, 128);
    QTest::newRow("turned photo, thumbnail too small") << 6 << QSize(160, 120) << 200 << false << QSize(150, 200);
}

void TestExifThumbnail::boardUsesItWhenLargeEnough()
{
    QFETCH(int, orientation);
    QFETCH(QSize, thumbSize);
    QFETCH(int, box);
    QFETCH(bool, fromExif);
    QFETCH(QSize, shown);
    // Thumbnail and photo show the same picture: red on the left, blue on the right as stored.
    const QByteArray thumb = ExifJpeg::encode(ExifJpeg::halves(thumbSize));
    const QString path = write(QStringLiteral("exif_%1.jpg").arg(QTest::currentDataTag()).replace(' ', '_'),
        ExifJpeg::withExif(ExifJpeg::encode(ExifJpeg::halves(QSize(1600, 1200))), ExifJpeg::tiff(orientation, thumb)));
    QVERIFY(!path.isEmpty());

    const Board::ThumbResult r = Board::loadThumbnail(Board::describeFile(path, box));
    QCOMPARE(r.source, fromExif ? Board::ThumbResult::Source::Exif : Board::ThumbResult::Source::Decoded);
    QCOMPARE(r.image.size(), shown);
    QCOMPARE(r.natural, orientation == 6 ? QSize(1200, 1600) : QSize(1600, 1200));
    // Turned as the photo is: a quarter clockwise brings the stored left half to the top.
    const QColor first = r.image.pixelColor(r.image.width() / 4, r.image.height() / 4);
    const QColor last = r.image.pixelColor(r.image.width() * 3 / 4, r.image.height() * 3 / 4);
    QVERIFY2(first.red() > 200 && first.blue() < 60, qPrintable(first.name()));
    QVERIFY2(last.blue() > 200 && last.red() < 60, qPrintable(last.name()));
}

QTEST_GUILESS_MAIN(TestExifThumbnail)
#include "tst_exifthumbnail.moc"
