// The loader's side of the decoder protocol, against stand-in libraries, and
// the device-independent bitmap reader on hand-made bitmaps.
#include "imaging/PNGLoader.h"
#include "pngbytes.h"

#include <QDirIterator>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cstring>
#include <vector>

namespace {

enum FakeMode {
    Succeed = 0,
    LoadFails = 1,
    LoadReturnsTwo = 2,
    ZeroSize = 3,
    NegativeSize = 4,
    GetFails = 5,
    GetReturnsMinusOne = 6,
    BadBitmapInfo = 7,
};

void putU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void putU32(uint8_t* p, uint32_t v)
{
    putU16(p, v);
    putU16(p + 2, v >> 16);
}

struct Dib {
    std::array<uint8_t, 1064> info {};
    std::vector<uint8_t> pixels;

    Dib(int32_t width, int32_t height, int bits, uint32_t coloursUsed = 0)
    {
        putU32(&info[0], 40);
        putU32(&info[4], uint32_t(width));
        putU32(&info[8], uint32_t(height));
        putU16(&info[12], 1);
        putU16(&info[14], uint32_t(bits));
        putU32(&info[32], coloursUsed);
    }
    void setColour(int index, uint8_t r, uint8_t g, uint8_t b)
    {
        uint8_t* quad = &info[40 + 4 * size_t(index)];
        quad[0] = b;
        quad[1] = g;
        quad[2] = r;
        quad[3] = 0;
    }
    QImage picture() const { return PictureFromDIB(pixels.data(), qint64(pixels.size()), info.data()); }
};

} // namespace

class TestPngLoader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void callCounts_data();
    void callCounts();
    void pathGoesInLocalEncoding();
    void folderWithoutLibrary();
    void libraryMissingAFunction();
    void notALibrary();

    void palette8BottomUp();
    void rgb24RowPadding();
    void bits1And4();
    void rgba32TopDownKeepsAlpha();
    void shortColourTableShowsBlack();
    void truncatedBuffer();
    void rejectedHeaders_data();
    void rejectedHeaders();
    void fuzzInputs_data();
    void fuzzInputs();

private:
    QLibrary m_fake;
    void (*m_setMode)(int32_t) = nullptr;
    int32_t (*m_calls)(int32_t) = nullptr;
    const char* (*m_lastPath)() = nullptr;
};

void TestPngLoader::initTestCase()
{
    // The same file as the loader's, so both share one copy of the counters.
    m_fake.setFileName(QStringLiteral(FAKE_MPNG_DIR "/mpng"));
    QVERIFY2(m_fake.load(), qPrintable(m_fake.errorString()));
    m_setMode = reinterpret_cast<void (*)(int32_t)>(m_fake.resolve("fakeMpngSetMode"));
    m_calls = reinterpret_cast<int32_t (*)(int32_t)>(m_fake.resolve("fakeMpngCalls"));
    m_lastPath = reinterpret_cast<const char* (*)()>(m_fake.resolve("fakeMpngLastPath"));
    QVERIFY(m_setMode && m_calls && m_lastPath);
}

void TestPngLoader::callCounts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("gets");
    QTest::addColumn<int>("ends");
    QTest::addColumn<bool>("picture");
    QTest::newRow("success") << int(Succeed) << 1 << 1 << true;
    QTest::newRow("mLoadPNG fails") << int(LoadFails) << 0 << 0 << false;
    QTest::newRow("mLoadPNG returns 2") << int(LoadReturnsTwo) << 0 << 0 << false;
    QTest::newRow("data size 0") << int(ZeroSize) << 0 << 1 << false;
    QTest::newRow("data size negative") << int(NegativeSize) << 0 << 1 << false;
    QTest::newRow("mGetPNGData fails") << int(GetFails) << 1 << 1 << false;
    QTest::newRow("mGetPNGData returns -1") << int(GetReturnsMinusOne) << 1 << 1 << false;
    QTest::newRow("unusable bitmap info") << int(BadBitmapInfo) << 1 << 1 << false;
}

void TestPngLoader::callCounts()
{
    QFETCH(int, mode);
    QFETCH(int, gets);
    QFETCH(int, ends);
    QFETCH(bool, picture);

    PNGLoader loader(QStringLiteral(FAKE_MPNG_DIR));
    QVERIFY(loader.isAvailable());
    m_setMode(mode);
    const QImage image = loader.LoadPNG(QStringLiteral("/nowhere/picture.png"));
    QCOMPARE(m_calls(0), 1);
    QCOMPARE(m_calls(1), gets);
    QCOMPARE(m_calls(2), ends);
    QCOMPARE(m_calls(3), 0);  // zeroed outputs, the right handle, no double release
    QCOMPARE(!image.isNull(), picture);
    if (picture) {
        QCOMPARE(image.size(), QSize(2, 2));
        QCOMPARE(image.format(), QImage::Format_ARGB32);
        QCOMPARE(image.pixel(0, 0), qRgba(255, 0, 0, 255));
        QCOMPARE(image.pixel(1, 0), qRgba(0, 255, 0, 255));
        QCOMPARE(image.pixel(0, 1), qRgba(0, 0, 255, 255));
        QCOMPARE(image.pixel(1, 1), qRgba(255, 255, 255, 128));
    }

    // A second call opens and closes afresh.
    loader.LoadPNG(QStringLiteral("/nowhere/picture.png"));
    QCOMPARE(m_calls(0), 2);
    QCOMPARE(m_calls(2), 2 * ends);
    QCOMPARE(m_calls(3), 0);
}

void TestPngLoader::pathGoesInLocalEncoding()
{
    PNGLoader loader(QStringLiteral(FAKE_MPNG_DIR));
    m_setMode(Succeed);
    const QString path = QStringLiteral("/写真/さくら.png");
    loader.LoadPNG(path);
    QCOMPARE(QByteArray(m_lastPath()), QFile::encodeName(path));
}

void TestPngLoader::folderWithoutLibrary()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    PNGLoader loader(empty.path());
    QVERIFY(!loader.isAvailable());
    const QString png = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png");
    QVERIFY(loader.LoadPNG(png).isNull());
    QVERIFY(!QImage(png).isNull());

    PNGLoader nowhere(empty.filePath(QStringLiteral("no/such/folder")));
    QVERIFY(!nowhere.isAvailable());
    QVERIFY(nowhere.LoadPNG(png).isNull());
}

void TestPngLoader::libraryMissingAFunction()
{
    PNGLoader loader(QStringLiteral(FAKE_MPNG_PARTIAL_DIR));
    QVERIFY(!loader.isAvailable());
    QVERIFY(loader.LoadPNG(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png")).isNull());
}

void TestPngLoader::notALibrary()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Whatever name this platform gives the library, a text file sits there instead.
    const QString name = QStringLiteral(
#ifdef Q_OS_WIN
        "mpng.dll"
#elif defined(Q_OS_MACOS)
        "libmpng.dylib"
#else
        "libmpng.so"
#endif
    );
    QVERIFY(pngbytes::writeFile(dir.filePath(name), "not a library"));
    PNGLoader loader(dir.path());
    QVERIFY(!loader.isAvailable());
    QVERIFY(loader.LoadPNG(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png")).isNull());
}

void TestPngLoader::palette8BottomUp()
{
    // 3 x 2, rows padded from 3 to 4 bytes, last row in the buffer first.
    Dib dib(3, 2, 8, 3);
    dib.setColour(0, 255, 0, 0);
    dib.setColour(1, 0, 255, 0);
    dib.setColour(2, 0, 0, 255);
    dib.pixels = {2, 1, 0, 0xEE, /* top row: */ 0, 1, 2, 0xEE};
    const QImage image = dib.picture();
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(3, 2));
    QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(2, 1), qRgb(255, 0, 0));
}

void TestPngLoader::rgb24RowPadding()
{
    // 3 pixels = 9 bytes, padded to 12; bottom-up.
    Dib dib(3, 2, 24);
    dib.pixels = {
        10, 20, 30, 40, 50, 60, 70, 80, 90, 0xEE, 0xEE, 0xEE,  // bottom row
        1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,           // top row
    };
    const QImage image = dib.picture();
    QVERIFY(!image.isNull());
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image.pixel(0, 0), qRgb(3, 2, 1));
    QCOMPARE(image.pixel(2, 0), qRgb(9, 8, 7));
    QCOMPARE(image.pixel(0, 1), qRgb(30, 20, 10));
    QCOMPARE(image.pixel(2, 1), qRgb(90, 80, 70));
}

void TestPngLoader::bits1And4()
{
    Dib mono(10, -1, 1);
    mono.setColour(0, 0, 0, 0);
    mono.setColour(1, 255, 255, 255);
    mono.pixels = {0b10100000, 0b01000000, 0, 0};
    QImage image = mono.picture();
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(2, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(9, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(8, 0), qRgb(0, 0, 0));

    Dib nibbles(3, -1, 4);
    nibbles.setColour(5, 50, 60, 70);
    nibbles.setColour(10, 100, 110, 120);
    nibbles.pixels = {0x5A, 0x50, 0, 0};
    image = nibbles.picture();
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(0, 0), qRgb(50, 60, 70));
    QCOMPARE(image.pixel(1, 0), qRgb(100, 110, 120));
    QCOMPARE(image.pixel(2, 0), qRgb(50, 60, 70));
}

void TestPngLoader::rgba32TopDownKeepsAlpha()
{
    Dib dib(1, -2, 32);
    dib.pixels = {30, 20, 10, 0, /* second row: */ 3, 2, 1, 200};
    const QImage image = dib.picture();
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    QCOMPARE(image.pixel(0, 0), qRgba(10, 20, 30, 0));
    QCOMPARE(image.pixel(0, 1), qRgba(1, 2, 3, 200));
}

void TestPngLoader::shortColourTableShowsBlack()
{
    Dib dib(2, 1, 8, 1);
    dib.setColour(0, 9, 9, 9);
    dib.pixels = {0, 255, 0, 0};
    const QImage image = dib.picture();
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(0, 0), qRgb(9, 9, 9));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
}

void TestPngLoader::truncatedBuffer()
{
    Dib dib(3, 2, 24);
    dib.pixels.assign(23, 0);  // two padded rows need 24
    QVERIFY(dib.picture().isNull());
    dib.pixels.assign(24, 0);
    QVERIFY(!dib.picture().isNull());

    Dib palette(5, -3, 8);
    palette.pixels.assign(8 * 2 + 5, 0);  // last row unpadded is still short
    QVERIFY(palette.picture().isNull());

    QVERIFY(PictureFromDIB(nullptr, 24, dib.info.data()).isNull());
    QVERIFY(PictureFromDIB(dib.pixels.data(), 24, nullptr).isNull());
    QVERIFY(PictureFromDIB(dib.pixels.data(), 0, dib.info.data()).isNull());
    QVERIFY(PictureFromDIB(dib.pixels.data(), -24, dib.info.data()).isNull());
}

void TestPngLoader::rejectedHeaders_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("width");  // bytes of the field
    QTest::newRow("header size 12") << 0 << 12u << 4;
    QTest::newRow("header size past the block") << 0 << 1065u << 4;
    QTest::newRow("width 0") << 4 << 0u << 4;
    QTest::newRow("width negative") << 4 << 0xFFFFFFFFu << 4;
    QTest::newRow("width 2^31-1") << 4 << 0x7FFFFFFFu << 4;
    QTest::newRow("height 0") << 8 << 0u << 4;
    QTest::newRow("height -2^31") << 8 << 0x80000000u << 4;
    QTest::newRow("height 2^31-1") << 8 << 0x7FFFFFFFu << 4;
    QTest::newRow("planes 2") << 12 << 2u << 2;
    QTest::newRow("16 bits") << 14 << 16u << 2;
    QTest::newRow("0 bits") << 14 << 0u << 2;
    QTest::newRow("BI_RLE8") << 16 << 1u << 4;
    QTest::newRow("BI_BITFIELDS") << 16 << 3u << 4;
    QTest::newRow("300 colours") << 32 << 300u << 4;
    QTest::newRow("header pushes table out") << 0 << 1024u << 4;
}

void TestPngLoader::rejectedHeaders()
{
    QFETCH(int, offset);
    QFETCH(quint32, value);
    QFETCH(int, width);
    Dib dib(4, 4, 8);
    dib.pixels.assign(16, 0);
    QVERIFY(!dib.picture().isNull());
    if (width == 2)
        putU16(&dib.info[size_t(offset)], value);
    else
        putU32(&dib.info[size_t(offset)], value);
    QVERIFY(dib.picture().isNull());
}

void TestPngLoader::fuzzInputs_data()
{
    QTest::addColumn<QString>("path");
    for (const char* folder : {"/corpus/dib", "/regressions/dib"}) {
        QDirIterator it(QStringLiteral(LUMO_FUZZ_DIR) + QLatin1String(folder), QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            QTest::newRow(qPrintable(QLatin1String(folder + 1) + QLatin1Char('/') + QFileInfo(path).fileName()))
                << path;
        }
    }
}

// Same input layout as the DIB fuzzer: 40 header bytes, a count n, n colour
// entries, then the pixels, which stay in a buffer of exactly their size.
void TestPngLoader::fuzzInputs()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 41)
        return;
    std::array<uint8_t, 1064> info {};
    std::memcpy(info.data(), bytes.constData(), 40);
    const qsizetype tableBytes = qMin<qsizetype>(uchar(bytes[40]) * 4, bytes.size() - 41);
    std::memcpy(info.data() + 40, bytes.constData() + 41, size_t(tableBytes));
    const std::vector<uint8_t> pixels(bytes.begin() + 41 + tableBytes, bytes.end());
    const QImage image = PictureFromDIB(pixels.data(), qint64(pixels.size()), info.data());
    if (!image.isNull())
        QVERIFY(image.width() > 0 && image.height() > 0);
}

QTEST_GUILESS_MAIN(TestPngLoader)
#include "tst_pngloader.moc"
