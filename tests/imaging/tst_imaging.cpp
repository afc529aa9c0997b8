// Pictures from files: the PNG decoder against Qt's own reader and damaged files, what a JPEG's header asks for, the
// bitmap reader on lying headers, and the fuzzers' inputs; the loader's side of the decoder protocol, against stand-in
// libraries that count calls and fail on request: no leaked handle, no double release, failures stay failures.
#include "../../fuzz/reduced_reference.h"
#include "TestFiles.h"
#include "imaging/HeaderCheck.h"
#include "imaging/PngDecoder.h"
#include <QtTest>
#include <array>
#include <cstring>
#include <vector>

using Hostile::be32;
using TestFiles::readFile;

namespace {

// Qt's own PNG of a 16 x 12 picture, its IHDR claiming `width` x `height` (with a right CRC). The IHDR ends at byte 33.
QByteArray png(uint32_t width = 16, uint32_t height = 12)
{
    QImage img(16, 12, QImage::Format_ARGB32);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            img.setPixel(x, y, qRgba(x * 17, y * 23, x + y, 255 - x));
    const QByteArray bytes = Hostile::encoded(img, "PNG");
    return bytes.left(8) + Hostile::pngChunk("IHDR", be32(width) + be32(height) + bytes.mid(24, 5)) + bytes.mid(33);
}

int distance(QRgb a, QRgb b)
{
    return qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
        qMax(qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b))));
}

// The first pixel that differs from Qt's reading of the file, or an empty string. 16-bit samples may round differently
// by one; a 16-bit file with a tRNS key is compared with its opaque twin (Qt 6.4 reads those keys wrongly): colours
// agree, and only pixels of the key colour turn transparent.
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
            const bool ok = keyed
                ? (qAlpha(g) == 255 || (qAlpha(g) == 0 && distance(w, key) <= 1)) && distance(g | 0xFF000000u, w) <= 1
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
    for (const auto& [at, v] : { std::pair<size_t, uint32_t>(0, 40), { 4, uint32_t(width) }, { 8, uint32_t(height) },
             { 12, 1 | uint32_t(bits) << 16 }, { 32, uint32_t(colours.size()) } })
        put(at, v);
    for (int i = 0; i < colours.size(); ++i)
        put(40 + 4 * size_t(i), colours[i] & 0xFFFFFF); // B G R 0
    return info;
}

} // namespace

enum FakeMode { Succeed, LoadFails, LoadReturnsTwo, ZeroSize, NegativeSize, GetFails, GetReturnsMinusOne, BadInfo };

class TestImaging : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const std::unique_ptr<PngDecoder> m_loader = std::make_unique<PngDecoder>(LUMO_BIN_DIR);
    QLibrary m_fake { FAKE_MPNG_DIR "/mpng" }; // the file the loader opens: both share one set of counters
    void (*m_setMode)(int32_t) = nullptr;
    int32_t (*m_calls)(int32_t) = nullptr;
    const char* (*m_lastPath)() = nullptr;
    TestFiles::FifoGuard m_fifo { m_dir.filePath("fifo.png") }; // never waited on for a writer

    QString write(const QByteArray& bytes, const QString& name = "t.png")
    {
        const QString path = m_dir.filePath(name);
        TestFiles::writeFile(path, bytes);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_loader->isAvailable(), "mpng was not built into " LUMO_BIN_DIR);
        QVERIFY2(m_fake.load(), qPrintable(m_fake.errorString()));
        m_setMode = reinterpret_cast<decltype(m_setMode)>(m_fake.resolve("fakeMpngSetMode"));
        m_calls = reinterpret_cast<decltype(m_calls)>(m_fake.resolve("fakeMpngCalls"));
        m_lastPath = reinterpret_cast<decltype(m_lastPath)>(m_fake.resolve("fakeMpngLastPath"));
        QVERIFY(m_setMode);
        QVERIFY(m_calls);
        QVERIFY(m_lastPath);
    }

    // PngSuite as Qt reads it (it names its broken files x*.png), whole and read row by row into
    // half the size; damaged files are refused, their twins with chunks a reader may skip are not.
    void pngFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("good");
        const QDir suite(LUMO_TESTDATA "/pngsuite");
        const QStringList names = suite.entryList({ "*.png" }, QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 50, "the PNG test suite is missing");
        for (const QString& name : names)
            QTest::newRow(qPrintable(name))
                << suite.filePath(name) << !(name.startsWith(u'x') || QImage(suite.filePath(name)).isNull());
        const QByteArray good = png();
        const int idat = int(good.indexOf("IDAT")) - 4, iendAt = int(good.size()) - 12;
        const QByteArray head = good.left(33), tail = good.mid(33);
        QByteArray flipped = good;
        flipped[idat + 28] = char(flipped[idat + 28] ^ 1);
        QTest::newRow("private chunk") << write(head + Hostile::pngChunk("prVt", QByteArray(5000, 'p')) + tail,
            "prVt.png") << true;
        QTest::newRow("data after IEND") << write(good + QByteArray(10, 'x'), "after.png") << true;
        const std::pair<const char*, QByteArray> damaged[] = { { "truncated to 20 bytes", good.left(20) },
            { "truncated in IDAT", good.left(idat + 20) }, { "truncated before IEND", good.left(iendAt) },
            { "IDAT data flipped", flipped }, { "tEXt claims 2 GiB", head + be32(0x7FFFFFFF) + "tEXt" + tail },
            { "length past 2^31", head + be32(0xFFFFFFF0u) + "prVt" + tail }, { "IHDR claims more rows", png(16, 24) },
            { "100000 x 100000 claimed", png(100000, 100000) }, { "2^32-1 x 1 claimed", png(0xFFFFFFFFu, 1) },
            { "a JPEG named .png", readFile(LUMO_TESTDATA "/photos/Canon_40D.jpg") } };
        for (const auto& [tag, bytes] : damaged)
            QTest::newRow(tag) << write(bytes, QString(tag) + ".png") << false;
        // Never the file named by the part before a NUL; callCounts checks how a Japanese path is handed over.
        const QString beforeNul = write(good, "a");
        QTest::newRow("NUL in the name") << beforeNul + QChar(0) + "b.png" << false;
        QTest::newRow("missing") << m_dir.filePath("missing.png") << false;
        QTest::newRow("a folder") << m_dir.path() << false;
        QTest::newRow("a FIFO") << m_dir.filePath("fifo.png") << false;
    }
    void pngFiles()
    {
        QFETCH(QString, path);
        QFETCH(bool, good);
        const QImage got = m_loader->decode(path);
        QVERIFY(!m_fifo.rescued());
        QCOMPARE(!got.isNull(), good);
        if (!good)
            return;
        QCOMPARE(got.format(), QImage::Format_ARGB32);
        const QString diff = difference(got, path);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        const Picture half = m_loader->decodeReduced(path, (got.size() + QSize(1, 1)) / 2);
        QCOMPARE(half.naturalSize, got.size());
        QVERIFY(sameWithin(half.image, reducedReference(got, half.image.size()), 0));
    }

    // A progressive JPEG keeps every coefficient whatever the scale it is read at, within a budget of 1 GB; a baseline
    // one keeps a few rows.
    void jpegCoefficients()
    {
        for (const auto& [kind, edge, bytes, fits] :
            { std::tuple(0xC0, 15000, 0LL, true), std::tuple(0xC2, 13000, 13000LL * 13000 * 6, true),
                std::tuple(0xC2, 15000, 15000LL * 15000 * 6, false) }) {
            QByteArray jpeg = Hostile::claimingSize(Hostile::Format::Jpeg, QSize(edge, edge));
            jpeg[jpeg.indexOf("\xFF\xC0") + 1] = char(kind);
            QBuffer device(&jpeg);
            QVERIFY(device.open(QIODevice::ReadOnly));
            QCOMPARE(HeaderCheck::jpegCoefficientBytes(&device), bytes);
            QCOMPARE(HeaderCheck::fitsBudget(&device, "jpeg", HeaderCheck::MaxPicturePixels), fits);
        }
    }

    void dib()
    {
        // 3 x 2 at 8 bits: rows padded to four bytes, the bottom row first; index 2 lies
        // past the two-colour table and reads as black.
        const QRgb r = 0xFFFF0000, g = 0xFF00FF00, k = 0xFF000000;
        const auto info = dibInfo(3, 2, 8, { r, g });
        const auto* pixels = reinterpret_cast<const uint8_t*>("\2\1\0\xEE\0\1\2\xEE");
        const QImage image = imageFromDib(pixels, 8, info.data());
        const QRgb expected[] = { r, g, k, k, g, r };
        for (int i = 0; i < 6; ++i)
            QCOMPARE(image.pixel(i % 3, i / 3), expected[i]);
        // The last row without its padding is too short.
        QVERIFY(imageFromDib(pixels, 7, info.data()).isNull());
        QVERIFY(imageFromDib(pixels, -8, info.data()).isNull());
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
        QVERIFY(!imageFromDib(pixels.data(), 16, info.data()).isNull());
        for (int i = 0; i < 4; ++i)
            info[size_t(offset + i)] = uint8_t(value >> (8 * i));
        QVERIFY(imageFromDib(pixels.data(), 16, info.data()).isNull());
    }

    // The fuzzers' seeds and the inputs that once crashed them, on every run.
    void fuzzInputs_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* folder : { "corpus/png", "regressions/png", "corpus/dib", "regressions/dib" }) {
            QDirIterator it(QStringLiteral(LUMO_FUZZ_DIR "/") + QLatin1String(folder), QDir::Files);
            while (it.hasNext())
                QTest::newRow(qPrintable(QString(folder) + u'/' + QFileInfo(it.next()).fileName())) << it.filePath();
        }
    }
    void fuzzInputs()
    {
        QFETCH(QString, path);
        if (path.contains(QLatin1String("/png/"))) {
            if (const QImage got = m_loader->decode(path); !got.isNull())
                QCOMPARE(got.format(), QImage::Format_ARGB32);
            return;
        }
        // 40 header bytes, a count n, n colour entries, then the pixels in a buffer of exactly their size: the
        // sanitizers see any read past them.
        const QByteArray bytes = readFile(path);
        if (bytes.size() < 41)
            return;
        std::array<uint8_t, 1064> info {};
        std::memcpy(info.data(), bytes.constData(), 40);
        const qsizetype table = qMin<qsizetype>(uchar(bytes[40]) * 4, bytes.size() - 41);
        std::memcpy(info.data() + 40, bytes.constData() + 41, size_t(table));
        const std::vector<uint8_t> pixels(bytes.begin() + 41 + table, bytes.end());
        imageFromDib(pixels.data(), qint64(pixels.size()), info.data());
    }

    // Exactly one mEndPNG for every mLoadPNG that returned 1, and none otherwise.
    void callCounts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("gets");
        QTest::addColumn<int>("ends");
        QTest::newRow("success") << int(Succeed) << 1 << 1;
        QTest::newRow("mLoadPNG fails") << int(LoadFails) << 0 << 0;
        QTest::newRow("mLoadPNG returns 2") << int(LoadReturnsTwo) << 0 << 0;
        QTest::newRow("data size 0") << int(ZeroSize) << 0 << 1;
        QTest::newRow("data size negative") << int(NegativeSize) << 0 << 1;
        QTest::newRow("mGetPNGData fails") << int(GetFails) << 1 << 1;
        QTest::newRow("mGetPNGData returns -1") << int(GetReturnsMinusOne) << 1 << 1;
        QTest::newRow("unusable bitmap info") << int(BadInfo) << 1 << 1;
    }
    void callCounts()
    {
        QFETCH(int, mode);
        QFETCH(int, gets);
        QFETCH(int, ends);
        PngDecoder loader(FAKE_MPNG_DIR);
        QVERIFY(loader.isAvailable());
        m_setMode(mode);
        const QString path = "/写真/さくら.png";
        for (int round = 1; round <= 2; ++round) {
            const QImage image = loader.decode(path);
            // Calls to each, and misuses: outputs not zeroed, a wrong handle, a double release.
            QCOMPARE(QList<int>({ m_calls(0), m_calls(1), m_calls(2), m_calls(3) }),
                QList<int>({ round, round * gets, round * ends, 0 }));
            QCOMPARE(image.isNull(), mode != Succeed);
            const QRgb expected[] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), 0x80FFFFFF };
            for (int i = 0; !image.isNull() && i < 4; ++i)
                QCOMPARE(image.pixel(i % 2, i / 2), expected[i]);
            QVERIFY(image.isNull() || image.size() == QSize(2, 2));
        }
        QCOMPARE(QByteArray(m_lastPath()), QFile::encodeName(path));
    }

    void unavailable_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("no library") << "";
        QTest::newRow("a text file under the library's name") << "text";
        QTest::newRow("library without mEndPNG") << FAKE_MPNG_PARTIAL_DIR;
    }
    void unavailable()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        if (folder == "text")
            TestFiles::writeFile(dir.filePath("libmpng.so"), "not a library");
        PngDecoder loader(folder.startsWith(u'/') ? folder : dir.filePath(folder));
        QVERIFY(!loader.isAvailable());
        QVERIFY(loader.decode(LUMO_TESTDATA "/pngsuite/basn2c08.png").isNull());
    }
};

QTEST_GUILESS_MAIN(TestImaging)
#include "tst_imaging.moc"
