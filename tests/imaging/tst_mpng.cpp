// The real decoder library: pictures against Qt's own PNG reader, the bitmap
// information it writes, and files damaged on purpose.
#include "imaging/PNGLoader.h"
#include "imaging/mpng/mpng.h"
#include "pngbytes.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cstdlib>
#include <vector>

using namespace pngbytes;

namespace {

using LoadFn = int32_t (*)(const char*, void**, uint8_t*, int32_t*);
using GetDataFn = int32_t (*)(void**, uint8_t*);
using EndFn = void (*)(void**);

uint32_t u32le(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isSixteenBit(const QByteArray& png)
{
    // The bit depth byte of IHDR always sits at offset 24.
    return png.size() > 24 && uchar(png[24]) == 16;
}

int channelDistance(QRgb a, QRgb b)
{
    return qMax(qMax(std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b))),
                qMax(std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))));
}

// The first pixel that differs by more than `tolerance` per channel, or an empty string.
QString firstDifference(const QImage& got, const QImage& want, int tolerance = 0)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(got.width()).arg(got.height()).arg(want.width()).arg(want.height());
    for (int y = 0; y < want.height(); ++y) {
        const auto* g = reinterpret_cast<const QRgb*>(got.constScanLine(y));
        const auto* w = reinterpret_cast<const QRgb*>(want.constScanLine(y));
        for (int x = 0; x < want.width(); ++x) {
            // The colour of an invisible pixel is nobody's business.
            if (qAlpha(g[x]) == 0 && qAlpha(w[x]) == 0)
                continue;
            if (channelDistance(g[x], w[x]) > tolerance)
                return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                    .arg(x).arg(y).arg(g[x], 8, 16, QLatin1Char('0')).arg(w[x], 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}

// Qt 6.4 gets the tRNS key of 16-bit files wrong (pixels turn half transparent
// and tinted), so those are checked against the same file without its tRNS
// chunk: every pixel keeps its colour, and only pixels of the key colour may
// turn transparent, at least one of them.
QString keyedDifference(const QImage& got, const QByteArray& png)
{
    const int at = int(png.indexOf("tRNS")) - 4;
    if (at < 0)
        return QStringLiteral("no tRNS chunk");
    const uint32_t length = (uint32_t(uchar(png[at])) << 24) | (uint32_t(uchar(png[at + 1])) << 16)
                          | (uint32_t(uchar(png[at + 2])) << 8) | uchar(png[at + 3]);
    const QByteArray key = png.mid(at + 8, int(length));
    QByteArray withoutKey = png;
    withoutKey.remove(at, int(length) + 12);
    const QImage opaque = QImage::fromData(withoutKey, "PNG").convertToFormat(QImage::Format_ARGB32);

    // Grey keys are one 16-bit sample, colour keys three.
    auto sample = [&](int i) { return int(uchar(key[2 * i])) * 256 + uchar(key[2 * i + 1]); };
    auto to8 = [](int v) { return (v * 255 + 32895) >> 16; };
    const QRgb keyColour = key.size() == 2 ? qRgb(to8(sample(0)), to8(sample(0)), to8(sample(0)))
                                           : qRgb(to8(sample(0)), to8(sample(1)), to8(sample(2)));
    if (got.size() != opaque.size())
        return QStringLiteral("size differs");
    int transparent = 0;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const QRgb g = got.pixel(x, y);
            const QRgb w = opaque.pixel(x, y);
            if (channelDistance(g | 0xFF000000u, w) > 1 || (qAlpha(g) != 255 && qAlpha(g) != 0))
                return QStringLiteral("pixel (%1,%2) is %3, expected the colour of %4")
                    .arg(x).arg(y).arg(g, 8, 16, QLatin1Char('0')).arg(w, 8, 16, QLatin1Char('0'));
            if (qAlpha(g) == 0) {
                if (channelDistance(w, keyColour) > 1)
                    return QStringLiteral("pixel (%1,%2) is transparent but not the key").arg(x).arg(y);
                ++transparent;
            }
        }
    return transparent > 0 ? QString() : QStringLiteral("the key colour did not turn transparent");
}

bool hasSeeThroughPixel(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) < 255)
                return true;
    return false;
}

} // namespace

class TestMpng : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void pngSuite_data();
    void pngSuite();

    void bitmapInfoDescribesPixels();
    void handleLifecycle();
    void resolutionFromPhys();

    void handMadeFiles_data();
    void handMadeFiles();
    void brokenFiles_data();
    void brokenFiles();

    void hugeHeaderRefusedAtOnce_data();
    void hugeHeaderRefusedAtOnce();
    void largestAcceptedHeader();

    void jpegNamedPng();
    void emptyMissingAndFolder();
    void japaneseFileName();
    void twoLoadsAreIndependent();

    void fuzzInputs_data();
    void fuzzInputs();

private:
    QString writeTemp(const QString& name, const QByteArray& bytes);

    QTemporaryDir m_dir;
    std::unique_ptr<PNGLoader> m_loader;
    QLibrary m_library;
    LoadFn m_load = nullptr;
    GetDataFn m_getData = nullptr;
    EndFn m_end = nullptr;
};

void TestMpng::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_loader = std::make_unique<PNGLoader>(QStringLiteral(LUMO_BIN_DIR));
    QVERIFY2(m_loader->isAvailable(), "mpng was not built into " LUMO_BIN_DIR);

    m_library.setFileName(QStringLiteral(LUMO_BIN_DIR "/mpng"));
    QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
    m_load = reinterpret_cast<LoadFn>(m_library.resolve("mLoadPNG"));
    m_getData = reinterpret_cast<GetDataFn>(m_library.resolve("mGetPNGData"));
    m_end = reinterpret_cast<EndFn>(m_library.resolve("mEndPNG"));
    QVERIFY(m_load && m_getData && m_end);
    // The fuzzer's memory entry stays private to the library.
    QVERIFY(!m_library.resolve("mpngLoadMemory"));
}

QString TestMpng::writeTemp(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    return writeFile(path, bytes) ? path : QString();
}

void TestMpng::pngSuite_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator it(QStringLiteral(LUMO_TESTDATA "/pngsuite"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    QStringList paths;
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    for (const QString& path : paths) {
        const QString rel = QDir(QStringLiteral(LUMO_TESTDATA "/pngsuite")).relativeFilePath(path);
        QTest::newRow(qPrintable(rel)) << path;
    }
    QVERIFY2(paths.size() >= 50, "the PNG test suite is missing");
}

void TestMpng::pngSuite()
{
    QFETCH(QString, path);
    const QImage got = m_loader->LoadPNG(path);
    const QImage reference(path);

    // PngSuite names its deliberately broken files x*.png.
    if (QFileInfo(path).fileName().startsWith(QLatin1Char('x'))) {
        QVERIFY(got.isNull());
        return;
    }
    if (reference.isNull()) {
        QVERIFY(got.isNull());
        return;
    }
    QVERIFY(!got.isNull());
    QCOMPARE(got.format(), QImage::Format_ARGB32);
    const QByteArray bytes = fileBytes(path);
    if (isSixteenBit(bytes) && bytes.contains("tRNS")) {
        const QString diff = keyedDifference(got, bytes);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        return;
    }
    // Both sides reduce 16-bit samples to 8 bits, and may round differently.
    const QString diff = firstDifference(got, reference.convertToFormat(QImage::Format_ARGB32),
                                         isSixteenBit(bytes) ? 1 : 0);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    if (hasSeeThroughPixel(reference))
        QVERIFY(hasSeeThroughPixel(got));
}

void TestMpng::bitmapInfoDescribesPixels()
{
    const QString path = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn6a08.png");
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    info.fill(0xAB);
    QCOMPARE(m_load(QFile::encodeName(path).constData(), &handle, info.data(), &dataSize), 1);
    QVERIFY(handle);
    QCOMPARE(dataSize, 32 * 32 * 4);
    QCOMPARE(u32le(&info[0]), 40u);                 // biSize
    QCOMPARE(int32_t(u32le(&info[4])), 32);         // biWidth
    QCOMPARE(int32_t(u32le(&info[8])), -32);        // top-down
    QCOMPARE(info[12] | (info[13] << 8), 1);        // biPlanes
    QCOMPARE(info[14] | (info[15] << 8), 32);       // biBitCount
    QCOMPARE(u32le(&info[16]), 0u);                 // BI_RGB
    QCOMPARE(u32le(&info[20]), uint32_t(dataSize)); // biSizeImage
    QCOMPARE(u32le(&info[32]), 0u);                 // no colour table
    for (size_t i = 40; i < info.size(); ++i)
        QCOMPARE(info[i], uint8_t(0));

    // Exactly dataSize bytes, not one more.
    std::vector<uint8_t> pixels(size_t(dataSize) + 64, 0xCD);
    QCOMPARE(m_getData(&handle, pixels.data()), 1);
    for (size_t i = size_t(dataSize); i < pixels.size(); ++i)
        QCOMPARE(pixels[i], uint8_t(0xCD));
    m_end(&handle);
    QVERIFY(!handle);

    const QImage fromDib = PictureFromDIB(pixels.data(), dataSize, info.data());
    const QString diff = firstDifference(fromDib, QImage(path).convertToFormat(QImage::Format_ARGB32));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestMpng::handleLifecycle()
{
    const QByteArray path = QFile::encodeName(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png"));
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    QCOMPARE(m_load(path.constData(), &handle, info.data(), &dataSize), 1);
    std::vector<uint8_t> pixels(static_cast<size_t>(dataSize));
    QCOMPARE(m_getData(&handle, pixels.data()), 1);
    QVERIFY(m_getData(&handle, pixels.data()) != 1);  // once per open
    m_end(&handle);
    QVERIFY(!handle);
    m_end(&handle);
    m_end(nullptr);
    QVERIFY(m_getData(&handle, pixels.data()) != 1);

    // Freed without reading the pixels.
    QCOMPARE(m_load(path.constData(), &handle, info.data(), &dataSize), 1);
    m_end(&handle);
    QVERIFY(!handle);

    // Bad arguments.
    QVERIFY(m_load(nullptr, &handle, info.data(), &dataSize) != 1);
    QVERIFY(m_load(path.constData(), nullptr, info.data(), &dataSize) != 1);
    QVERIFY(m_load(path.constData(), &handle, nullptr, &dataSize) != 1);
    QVERIFY(m_load(path.constData(), &handle, info.data(), nullptr) != 1);
    QVERIFY(!handle);
}

void TestMpng::resolutionFromPhys()
{
    const QByteArray good = smallRgba();
    for (int unit : {1, 0}) {
        const QByteArray phys = chunk("pHYs", be32(2835) + be32(3780) + QByteArray(1, char(unit)));
        const QString path = writeTemp(QStringLiteral("phys.png"), good.left(33) + phys + good.mid(33));
        void* handle = nullptr;
        int32_t dataSize = 0;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
        QCOMPARE(m_load(QFile::encodeName(path).constData(), &handle, info.data(), &dataSize), 1);
        m_end(&handle);
        // Pixels per metre only; an aspect ratio without unit says nothing about size.
        QCOMPARE(u32le(&info[24]), unit == 1 ? 2835u : 0u);
        QCOMPARE(u32le(&info[28]), unit == 1 ? 3780u : 0u);
    }
}

// The undamaged twins of the broken files below, so that those fail for the
// damage and not for the way the test builds them.
void TestMpng::handMadeFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = smallRgba();
    const QByteArray head = good.left(8 + 25);
    const QByteArray tail = good.mid(8 + 25);
    QTest::newRow("plain") << good;
    QTest::newRow("with tEXt") << head + chunk("tEXt", QByteArray("Comment\0hello", 13)) + tail;
    QTest::newRow("with pHYs") << head + chunk("pHYs", be32(2835) + be32(2835) + QByteArray(1, '\1')) + tail;
    QTest::newRow("with a private chunk") << head + chunk("prVt", QByteArray(5000, 'p')) + tail;
    QTest::newRow("with data after IEND") << good + QByteArray(10, 'x');
}

void TestMpng::handMadeFiles()
{
    QFETCH(QByteArray, bytes);
    const QString path = writeTemp(QStringLiteral("good.png"), bytes);
    const QImage got = m_loader->LoadPNG(path);
    QVERIFY(!got.isNull());
    QCOMPARE(got.size(), QSize(16, 12));
    QCOMPARE(got.pixel(15, 11), qRgba(255, 255, 26, 240));
    const QString diff = firstDifference(got, QImage(path).convertToFormat(QImage::Format_ARGB32));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestMpng::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = smallRgba();
    const int size = int(good.size());
    const int idatStart = 8 + 25;
    const int iendStart = size - 12;

    for (int length : {1, 7, 8, 12, 20, 32, idatStart, idatStart + 8, idatStart + 20, iendStart - 1,
                       iendStart, size - 4, size - 1})
        QTest::addRow("truncated to %d bytes", length) << good.left(length);

    auto flipped = [&](int at) {
        QByteArray bytes = good;
        bytes[at] = char(bytes[at] ^ 0x01);
        return bytes;
    };
    QTest::newRow("IHDR CRC flipped") << flipped(idatStart - 1);
    QTest::newRow("IHDR data flipped") << flipped(8 + 8 + 3);
    QTest::newRow("IDAT CRC flipped") << flipped(iendStart - 1);
    QTest::newRow("IDAT data flipped") << flipped(idatStart + 8 + 20);
    QTest::newRow("IEND CRC flipped") << flipped(good.size() - 1);
    QTest::newRow("signature flipped") << flipped(1);

    const QByteArray head = good.left(idatStart);
    const QByteArray tail = good.mid(idatStart);
    QByteArray badText = chunk("tEXt", "Comment\0hello");
    badText[badText.size() - 1] = char(badText[badText.size() - 1] ^ 0x40);
    QTest::newRow("tEXt CRC flipped") << head + badText + tail;
    QByteArray badPhys = chunk("pHYs", be32(2835) + be32(2835) + QByteArray(1, '\1'));
    badPhys[badPhys.size() - 1] = char(badPhys[badPhys.size() - 1] ^ 0x40);
    QTest::newRow("pHYs CRC flipped") << head + badPhys + tail;

    QTest::newRow("tEXt claims 2 GiB") << head + lyingChunkHeader("tEXt", 0x7FFFFFFF) + tail;
    QTest::newRow("zTXt claims 1 GiB") << head + lyingChunkHeader("zTXt", 0x40000000) + tail;
    QTest::newRow("private chunk claims 1 GiB") << head + lyingChunkHeader("prVt", 0x40000000) + tail;
    QTest::newRow("length past 2^31") << head + lyingChunkHeader("tEXt", 0xFFFFFFF0u) + tail;
    QByteArray hugeIdat = good;
    hugeIdat.replace(idatStart, 4, be32(0x7FFFFFF0));
    QTest::newRow("IDAT claims 2 GiB") << hugeIdat;

    QTest::newRow("signature only") << signature();
    QTest::newRow("no IHDR") << signature() + iend();
    QTest::newRow("no IDAT") << signature() + ihdr(16, 12) + iend();
    QTest::newRow("bad colour type") << signature() + ihdr(16, 12, 8, 5) + idatRgba(16, 12) + iend();
    QTest::newRow("bad bit depth") << signature() + ihdr(16, 12, 3, 2) + idatRgba(16, 12) + iend();
    QTest::newRow("bad interlace method") << signature() + ihdr(16, 12, 8, 6, 2) + idatRgba(16, 12) + iend();
    QTest::newRow("width 0") << signature() + ihdr(0, 12) + idatRgba(16, 12) + iend();
    QTest::newRow("palette without PLTE") << signature() + ihdr(16, 12, 8, 3) + idatRgba(16, 12) + iend();
    QTest::newRow("too few rows") << signature() + ihdr(16, 12) + idatRgba(16, 6) + iend();
    QTest::newRow("IDAT not zlib") << signature() + ihdr(16, 12) + chunk("IDAT", QByteArray(100, 'z')) + iend();
    QTest::newRow("garbage after signature") << signature() + QByteArray(200, '\x5a');
}

void TestMpng::brokenFiles()
{
    QFETCH(QByteArray, bytes);
    const QString path = writeTemp(QStringLiteral("broken.png"), bytes);
    QVERIFY(!path.isEmpty());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(m_loader->LoadPNG(path).isNull());
    QVERIFY(timer.elapsed() < 2000);
}

void TestMpng::hugeHeaderRefusedAtOnce_data()
{
    QTest::addColumn<quint32>("width");
    QTest::addColumn<quint32>("height");
    QTest::newRow("100000 x 100000") << 100000u << 100000u;
    QTest::newRow("32768 x 1") << 32768u << 1u;
    QTest::newRow("1 x 32768") << 1u << 32768u;
    QTest::newRow("32767 x 32767") << 32767u << 32767u;
    QTest::newRow("20000 x 20000") << 20000u << 20000u;
    QTest::newRow("2^31-1 x 1") << 0x7FFFFFFFu << 1u;
    QTest::newRow("2^32-1 x 1") << 0xFFFFFFFFu << 1u;
}

void TestMpng::hugeHeaderRefusedAtOnce()
{
    QFETCH(quint32, width);
    QFETCH(quint32, height);
    const QString path = writeTemp(QStringLiteral("huge.png"),
                                   signature() + ihdr(width, height) + idatRgba(4, 4) + iend());
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    // Refused by the header alone, so the caller never gets to allocate.
    QVERIFY(m_load(QFile::encodeName(path).constData(), &handle, info.data(), &dataSize) != 1);
    QVERIFY(!handle);
    QCOMPARE(dataSize, 0);
    QVERIFY(m_loader->LoadPNG(path).isNull());
}

void TestMpng::largestAcceptedHeader()
{
    // 2^28 pixels is the most the decoder describes; nothing is read past the header here.
    const QString path = writeTemp(QStringLiteral("large.png"),
                                   signature() + ihdr(16384, 16384) + idatRgba(4, 4) + iend());
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    QCOMPARE(m_load(QFile::encodeName(path).constData(), &handle, info.data(), &dataSize), 1);
    QCOMPARE(dataSize, int32_t(1) << 30);
    QCOMPARE(int32_t(u32le(&info[8])), -16384);
    m_end(&handle);
    QVERIFY(!handle);
}

void TestMpng::jpegNamedPng()
{
    QFile jpeg(QStringLiteral(LUMO_TESTDATA "/photos/Canon_40D.jpg"));
    QVERIFY(jpeg.open(QIODevice::ReadOnly));
    const QString path = writeTemp(QStringLiteral("photo.png"), jpeg.readAll());
    QVERIFY(!QImage(path).isNull());  // a real picture, only misnamed
    QVERIFY(m_loader->LoadPNG(path).isNull());
}

void TestMpng::emptyMissingAndFolder()
{
    QVERIFY(m_loader->LoadPNG(writeTemp(QStringLiteral("empty.png"), QByteArray())).isNull());
    QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("missing.png"))).isNull());
    QVERIFY(m_loader->LoadPNG(m_dir.path()).isNull());
    QVERIFY(m_loader->LoadPNG(QString()).isNull());
    // A NUL in the name must not open the file named by the part before it.
    QVERIFY(writeFile(m_dir.filePath(QStringLiteral("a")), smallRgba()));
    QVERIFY(!m_loader->LoadPNG(m_dir.filePath(QStringLiteral("a"))).isNull());
    QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("a") + QChar(0) + QStringLiteral("b.png"))).isNull());
}

void TestMpng::japaneseFileName()
{
    const QString original = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn6a08.png");
    const QString path = m_dir.filePath(QStringLiteral("写真・テスト.png"));
    QVERIFY(QFile::copy(original, path));
    const QImage got = m_loader->LoadPNG(path);
    QVERIFY(!got.isNull());
    QCOMPARE(got, m_loader->LoadPNG(original));
}

void TestMpng::twoLoadsAreIndependent()
{
    const QString path = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png");
    QImage first = m_loader->LoadPNG(path);
    const QImage second = m_loader->LoadPNG(path);
    QVERIFY(!first.isNull());
    QCOMPARE(first, second);
    first.setPixel(0, 0, qRgba(1, 2, 3, 4));
    QVERIFY(second.pixel(0, 0) != first.pixel(0, 0));
    QCOMPARE(second, m_loader->LoadPNG(path));
}

void TestMpng::fuzzInputs_data()
{
    QTest::addColumn<QString>("path");
    for (const char* folder : {"/corpus/png", "/regressions/png"}) {
        QDirIterator it(QStringLiteral(LUMO_FUZZ_DIR) + QLatin1String(folder), QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            QTest::newRow(qPrintable(QLatin1String(folder + 1) + QLatin1Char('/') + QFileInfo(path).fileName()))
                << path;
        }
    }
}

// Whatever the verdict, the picture and the decoder's own description agree.
void TestMpng::fuzzInputs()
{
    QFETCH(QString, path);
    const QImage got = m_loader->LoadPNG(path);
    if (got.isNull())
        return;
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    QCOMPARE(m_load(QFile::encodeName(path).constData(), &handle, info.data(), &dataSize), 1);
    m_end(&handle);
    QCOMPARE(qint64(got.width()) * got.height() * 4, qint64(dataSize));
}

QTEST_GUILESS_MAIN(TestMpng)
#include "tst_mpng.moc"
