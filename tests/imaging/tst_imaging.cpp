// Pictures from files: the PNG decoder against Qt's own reader and damaged files, the
// bitmap reader on lying headers, the camera's EXIF thumbnail, and the fuzzers' inputs.
#include "../../fuzz/reduced_reference.h"
#include "TestFiles.h"
#include "exifjpeg.h"
#include "board/ThumbnailDecoder.h"
#include "imaging/ExifThumbnail.h"
#include "imaging/PNGLoader.h"
#include <QBuffer>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cstring>
#include <vector>

using TestFiles::readFile;

namespace {

QByteArray be32(uint32_t v)
{
    const char bytes[] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
    return QByteArray(bytes, 4);
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : typed) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return be32(uint32_t(data.size())) + typed + be32(crc ^ 0xFFFFFFFFu);
}

// Qt's own PNG of a 16 x 12 picture, its IHDR claiming `width` x `height` (with a right CRC).
// The IHDR ends at byte 33.
QByteArray png(uint32_t width = 16, uint32_t height = 12)
{
    QImage img(16, 12, QImage::Format_ARGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixel(x, y, qRgba(x * 17, y * 23, x + y, 255 - x));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes.left(8) + chunk("IHDR", be32(width) + be32(height) + bytes.mid(24, 5)) + bytes.mid(33);
}

int distance(QRgb a, QRgb b)
{
    return qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
                qMax(qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b))));
}

// The first pixel that differs from Qt's reading of the file, or an empty string. 16-bit
// samples may round differently by one; a 16-bit file with a tRNS key is compared with its
// opaque twin (Qt 6.4 reads those keys wrongly): colours agree, and only pixels of the key
// colour turn transparent.
QString difference(const QImage& got, const QString& path)
{
    const QByteArray png = readFile(path);
    QImage want(path);
    QRgb key = 0;
    const int tolerance = uchar(png.at(24)) == 16 ? 1 : 0;
    const int at = int(png.indexOf("tRNS")) - 4;
    const bool keyed = tolerance > 0 && at > 0;
    if (keyed) {
        const QByteArray k = png.mid(at + 8, uchar(png[at + 3]));
        auto to8 = [&](int i) { return (int(uchar(k[2 * i]) << 8 | uchar(k[2 * i + 1])) * 255 + 32895) >> 16; };
        key = k.size() == 2 ? qRgb(to8(0), to8(0), to8(0)) : qRgb(to8(0), to8(1), to8(2));
        want = QImage::fromData(QByteArray(png).remove(at, uchar(png[at + 3]) + 12), "PNG");
    }
    want = want.convertToFormat(QImage::Format_ARGB32);
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2").arg(got.width()).arg(got.height());
    int keyedOut = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const QRgb g = got.pixel(x, y), w = want.pixel(x, y);
            const bool ok = keyed ? (qAlpha(g) == 255 || (qAlpha(g) == 0 && distance(w, key) <= 1))
                                        && distance(g | 0xFF000000u, w) <= 1
                                  : (qAlpha(g) == 0 && qAlpha(w) == 0) || distance(g, w) <= tolerance;
            keyedOut += qAlpha(g) == 0;
            if (!ok)
                return QStringLiteral("pixel (%1,%2) is %3, expected %4").arg(x).arg(y).arg(g, 8, 16).arg(w, 8, 16);
        }
    return keyed && keyedOut == 0 ? QStringLiteral("the key colour stayed opaque") : QString();
}

// A BITMAPINFO header with its colour table.
std::array<uint8_t, 1064> dibInfo(int32_t width, int32_t height, int bits, const QList<QRgb>& colours = {})
{
    std::array<uint8_t, 1064> info {};
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            info[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(0, 40);
    put(4, uint32_t(width));
    put(8, uint32_t(height));
    put(12, 1 | uint32_t(bits) << 16);
    put(32, uint32_t(colours.size()));
    for (int i = 0; i < colours.size(); ++i)
        put(40 + 4 * size_t(i), colours[i] & 0xFFFFFF); // B G R 0
    return info;
}

QByteArray halves(QSize size) { return ExifJpeg::encode(ExifJpeg::halves(size)); }
QByteArray withExif(const QByteArray& jpeg, int orientation, const QByteArray& thumb, bool bigEndian = false)
{
    return ExifJpeg::withExif(jpeg, ExifJpeg::tiff(orientation, thumb, bigEndian));
}

QByteArray thumbnailOf(const QByteArray& file)
{
    QBuffer device;
    device.setData(file);
    device.open(QIODevice::ReadOnly);
    return ExifThumbnail::fromJpeg(&device);
}

} // namespace

class TestImaging : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<PNGLoader> m_loader;

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("t.png"))
    {
        const QString path = m_dir.filePath(name);
        TestFiles::writeFile(path, bytes);
        return path;
    }

private slots:
    void initTestCase()
    {
        m_loader = std::make_unique<PNGLoader>(QStringLiteral(LUMO_BIN_DIR));
        QVERIFY2(m_loader->isAvailable(), "mpng was not built into " LUMO_BIN_DIR);
    }

    void pngSuite_data()
    {
        QTest::addColumn<QString>("path");
        const QDir suite(QStringLiteral(LUMO_TESTDATA "/pngsuite"));
        const QStringList names = suite.entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 50, "the PNG test suite is missing");
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << suite.filePath(name);
    }
    void pngSuite()
    {
        QFETCH(QString, path);
        const QImage got = m_loader->LoadPNG(path);
        // PngSuite names its broken files x*.png.
        if (QFileInfo(path).fileName().startsWith(u'x') || QImage(path).isNull()) {
            QVERIFY(got.isNull());
            return;
        }
        QCOMPARE(got.format(), QImage::Format_ARGB32);
        const QString diff = difference(got, path);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // Read row by row into half the size, interlaced or not: what the whole averages to.
        const Picture half = m_loader->LoadReduced(path, (got.size() + QSize(1, 1)) / 2);
        QCOMPARE(half.naturalSize, got.size());
        QVERIFY(sameWithin(half.image, reducedReference(got, half.image.size()), 0));
    }

    // Damaged files are refused; their twins with chunks a reader may skip are not.
    void damagedPng_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("good");
        const QByteArray good = png();
        const int idat = int(good.indexOf("IDAT")) - 4, iendAt = int(good.size()) - 12;
        const QByteArray head = good.left(33), tail = good.mid(33);
        QTest::newRow("private chunk") << head + chunk("prVt", QByteArray(5000, 'p')) + tail << true;
        QTest::newRow("data after IEND") << good + QByteArray(10, 'x') << true;
        for (int length : { 20, idat + 20, iendAt })
            QTest::addRow("truncated to %d bytes", length) << good.left(length) << false;
        QByteArray flipped = good;
        flipped[idat + 28] = char(flipped[idat + 28] ^ 1);
        QTest::newRow("IDAT data flipped") << flipped << false;
        QTest::newRow("tEXt claims 2 GiB") << head + be32(0x7FFFFFFF) + "tEXt" + tail << false;
        QTest::newRow("length past 2^31") << head + be32(0xFFFFFFF0u) + "prVt" + tail << false;
        QTest::newRow("IHDR claims more rows") << png(16, 24) << false;
        QTest::newRow("100000 x 100000 claimed") << png(100000, 100000) << false;
        QTest::newRow("2^32-1 x 1 claimed") << png(0xFFFFFFFFu, 1) << false;
        QTest::newRow("a JPEG named .png") << readFile(QStringLiteral(LUMO_TESTDATA "/photos/Canon_40D.jpg")) << false;
    }
    void damagedPng()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        const QString path = write(bytes);
        const QImage got = m_loader->LoadPNG(path);
        QCOMPARE(!got.isNull(), good);
        if (good) {
            const QString diff = difference(got, path);
            QVERIFY2(diff.isEmpty(), qPrintable(diff));
        }
    }

    void oddPaths()
    {
        QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("missing.png"))).isNull());
        QVERIFY(m_loader->LoadPNG(m_dir.path()).isNull());
        // A NUL in the name must not open the file named by the part before it.
        write(png(), QStringLiteral("a"));
        QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("a") + QChar(0) + QStringLiteral("b.png"))).isNull());
        const QString original = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn6a08.png");
        const QString japanese = m_dir.filePath(QStringLiteral("写真・テスト.png"));
        QVERIFY(QFile::copy(original, japanese));
        QImage first = m_loader->LoadPNG(japanese);
        QVERIFY(!first.isNull());
        QCOMPARE(first, m_loader->LoadPNG(original));
        // A FIFO, or a link to one, is refused at once: opening it to read waits for a writer.
        TestFiles::FifoGuard fifo(m_dir.filePath(QStringLiteral("fifo.png")));
        QVERIFY(fifo.made()
            && QFile::link(m_dir.filePath(QStringLiteral("fifo.png")), m_dir.filePath(QStringLiteral("link.png"))));
        QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("fifo.png"))).isNull());
        QVERIFY(m_loader->LoadReduced(m_dir.filePath(QStringLiteral("link.png")), QSize(8, 8)).image.isNull());
        QVERIFY(!fifo.rescued());
    }

    void dib()
    {
        // 3 x 2 at 8 bits: rows padded to four bytes, the bottom row first; index 2 lies
        // past the two-colour table and reads as black.
        const QRgb r = 0xFFFF0000, g = 0xFF00FF00, k = 0xFF000000;
        const auto info = dibInfo(3, 2, 8, { r, g });
        const auto* pixels = reinterpret_cast<const uint8_t*>("\2\1\0\xEE\0\1\2\xEE");
        const QImage image = PictureFromDIB(pixels, 8, info.data());
        const QRgb expected[] = { r, g, k, k, g, r };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(image.pixel(i % 3, i / 3), expected[i]);
        // The last row without its padding is too short.
        QVERIFY(PictureFromDIB(pixels, 7, info.data()).isNull());
        QVERIFY(PictureFromDIB(pixels, -8, info.data()).isNull());
    }

    // Headers that lie are refused before anything is read or allocated.
    void dibLyingHeader_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<quint32>("value");
        QTest::newRow("header size 12") << 0 << 12u;
        QTest::newRow("header pushes the table out") << 0 << 1024u;
        QTest::newRow("width 0") << 4 << 0u;
        QTest::newRow("width negative") << 4 << 0xFFFFFFFFu;
        QTest::newRow("width 2^31-1") << 4 << 0x7FFFFFFFu;
        QTest::newRow("height -2^31") << 8 << 0x80000000u;
        QTest::newRow("planes 2") << 12 << 0x00080002u;
        QTest::newRow("16 bits") << 12 << 0x00100001u;
        QTest::newRow("BI_RLE8") << 16 << 1u;
        QTest::newRow("300 colours") << 32 << 300u;
    }
    void dibLyingHeader()
    {
        QFETCH(int, offset);
        QFETCH(quint32, value);
        auto info = dibInfo(4, 4, 8);
        const std::vector<uint8_t> pixels(16, 0);
        QVERIFY(!PictureFromDIB(pixels.data(), 16, info.data()).isNull());
        for (int i = 0; i < 4; ++i)
            info[size_t(offset + i)] = uint8_t(value >> (8 * i));
        QVERIFY(PictureFromDIB(pixels.data(), 16, info.data()).isNull());
    }

    void exifThumbnail_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("found");
        const QByteArray plain = halves(QSize(40, 30)), thumb = halves(QSize(16, 12));
        const QByteArray good = withExif(plain, 1, thumb);
        QTest::newRow("Intel byte order") << good << true;
        QTest::newRow("Motorola byte order") << withExif(plain, 1, thumb, true) << true;
        QTest::newRow("no thumbnail") << withExif(plain, 6, {}) << false;
        QTest::newRow("no EXIF") << plain << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("no start of image") << good.mid(2) << false;
        // The TIFF starts at 12 in the file.
        auto patched = [&](int at, quint32 value) {
            QByteArray b = good;
            for (int i = 0; i < 4; ++i)
                b[12 + at + i] = char(value >> (8 * i));
            return b;
        };
        QTest::newRow("not TIFF") << patched(0, 0x002A5858) << false;
        QTest::newRow("IFD0 past the end") << patched(4, 0x7fffffff) << false;
        QTest::newRow("IFD1 is IFD0 again") << patched(22, 8) << false;
        QTest::newRow("IFD1 past the end") << patched(22, 0xfffffff0) << false;
        QTest::newRow("thumbnail past the end") << patched(48, 0xffff) << false;
        QTest::newRow("length that wraps round") << patched(60, 0xffffffff) << false;
        QTest::newRow("offset into the header") << patched(48, 2) << false;
        QTest::newRow("65535 entries") << patched(26, 0x0103ffff) << false;
        QTest::newRow("thumbnail is not a JPEG") << withExif(plain, 1, QByteArray("X") + thumb.mid(1)) << false;
        QTest::newRow("cut inside the EXIF block") << good.left(60) << false;
        QByteArray longer = good;
        longer[4] = char(0xff); // APP1 claims 65 KB more than the file has
        QTest::newRow("segment longer than the file") << longer.left(200) << false;
        QTest::newRow("length below 2") << QByteArray(good).replace(4, 2, QByteArray("\0\1", 2)) << false;
        QTest::newRow("only fill bytes") << QByteArray("\xff\xd8") + QByteArray(5000, char(0xff)) << false;
        QTest::newRow("EXIF after the frame header")
            << plain.left(plain.indexOf("\xff\xc0")) + QByteArray("\xff\xc0\x00\x02", 4) + good.mid(2) << false;
    }
    void exifThumbnail()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, found);
        QCOMPARE(thumbnailOf(file), found ? halves(QSize(16, 12)) : QByteArray());
    }

    void cameraFiles()
    {
        // Whatever a real camera's file carries, a thumbnail found is a JPEG Qt can read.
        const QDir photos(QStringLiteral(LUMO_TESTDATA "/photos"));
        int found = 0;
        for (const QString& name : photos.entryList({ QStringLiteral("*.jpg") })) {
            const QByteArray thumb = thumbnailOf(readFile(photos.filePath(name)));
            found += !thumb.isEmpty();
            QVERIFY2(thumb.isEmpty() || !QImage::fromData(thumb, "JPEG").isNull(), qPrintable(name));
        }
        QVERIFY(found > 0);
    }

    void boardUsesThumbnailWhenLargeEnough_data()
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
    void boardUsesThumbnailWhenLargeEnough()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, thumbSize);
        QFETCH(int, box);
        QFETCH(bool, fromExif);
        QFETCH(QSize, shown);
        const QString path = write(withExif(halves(QSize(1600, 1200)), orientation, halves(thumbSize)),
                                   QStringLiteral("exif%1.jpg").arg(QTest::currentDataTag()));
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

    // The fuzzers' seeds and the inputs that once crashed them, on every run.
    void fuzzInputs_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* folder : { "corpus/png", "regressions/png", "corpus/dib", "regressions/dib" }) {
            QDirIterator it(QStringLiteral(LUMO_FUZZ_DIR "/") + QLatin1String(folder), QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + it.fileName())) << path;
            }
        }
    }
    void fuzzInputs()
    {
        QFETCH(QString, path);
        if (path.contains(QLatin1String("/png/"))) {
            const QImage got = m_loader->LoadPNG(path);
            QVERIFY(got.isNull() || (got.width() > 0 && got.height() > 0 && got.format() == QImage::Format_ARGB32));
            return;
        }
        // 40 header bytes, a count n, n colour entries, then the pixels in a buffer of exactly their size.
        const QByteArray bytes = readFile(path);
        if (bytes.size() < 41)
            return;
        std::array<uint8_t, 1064> info {};
        std::memcpy(info.data(), bytes.constData(), 40);
        const qsizetype table = qMin<qsizetype>(uchar(bytes[40]) * 4, bytes.size() - 41);
        std::memcpy(info.data() + 40, bytes.constData() + 41, size_t(table));
        const std::vector<uint8_t> pixels(bytes.begin() + 41 + table, bytes.end());
        const QImage image = PictureFromDIB(pixels.data(), qint64(pixels.size()), info.data());
        QVERIFY(image.isNull() || (image.width() > 0 && image.height() > 0));
    }
};

QTEST_GUILESS_MAIN(TestImaging)
#include "tst_imaging.moc"
