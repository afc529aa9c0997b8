// The loader's side of the decoder protocol, against stand-in libraries, and the
// device-independent bitmap reader on hand-made bitmaps.
#include "TestFiles.h"
#include "imaging/PNGLoader.h"
#include <QDirIterator>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cstring>
#include <vector>

namespace {

enum FakeMode { Succeed, LoadFails, LoadReturnsTwo, ZeroSize, NegativeSize, GetFails, GetReturnsMinusOne, BadInfo };

void putU32(uint8_t* p, uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// A BITMAPINFO header with its colour table, given as R G B triples.
std::array<uint8_t, 1064> dibInfo(int32_t width, int32_t height, int bits, const QList<QRgb>& colours = {})
{
    std::array<uint8_t, 1064> info {};
    putU32(&info[0], 40);
    putU32(&info[4], uint32_t(width));
    putU32(&info[8], uint32_t(height));
    putU32(&info[12], 1 | uint32_t(bits) << 16);
    putU32(&info[32], uint32_t(colours.size()));
    for (int i = 0; i < colours.size(); ++i)
        putU32(&info[40 + 4 * size_t(i)], colours[i] & 0xFFFFFF); // B G R 0
    return info;
}

}

class TestPngLoader : public QObject {
    Q_OBJECT

    QLibrary m_fake;
    void (*m_setMode)(int32_t) = nullptr;
    int32_t (*m_calls)(int32_t) = nullptr;
    const char* (*m_lastPath)() = nullptr;

private slots:
    void initTestCase()
    {
        // The file the loader opens, so both share one set of counters.
        m_fake.setFileName(QStringLiteral(FAKE_MPNG_DIR "/mpng"));
        QVERIFY2(m_fake.load(), qPrintable(m_fake.errorString()));
        m_setMode = reinterpret_cast<decltype(m_setMode)>(m_fake.resolve("fakeMpngSetMode"));
        m_calls = reinterpret_cast<decltype(m_calls)>(m_fake.resolve("fakeMpngCalls"));
        m_lastPath = reinterpret_cast<decltype(m_lastPath)>(m_fake.resolve("fakeMpngLastPath"));
        QVERIFY(m_setMode && m_calls && m_lastPath);
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
        PNGLoader loader(QStringLiteral(FAKE_MPNG_DIR));
        QVERIFY(loader.isAvailable());
        m_setMode(mode);
        const QString path = QStringLiteral("/写真/さくら.png");
        for (int round = 1; round <= 2; ++round) {
            const QImage image = loader.LoadPNG(path);
            QCOMPARE(m_calls(0), round);
            QCOMPARE(m_calls(1), round * gets);
            QCOMPARE(m_calls(2), round * ends);
            QCOMPARE(m_calls(3), 0); // zeroed outputs, the right handle, no double release
            QCOMPARE(image.isNull(), mode != Succeed);
            if (!image.isNull()) {
                QCOMPARE(image.format(), QImage::Format_ARGB32);
                QCOMPARE(image.size(), QSize(2, 2));
                const QRgb expected[] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), 0x80FFFFFF };
                for (int i = 0; i < 4; ++i)
                    QCOMPARE(image.pixel(i % 2, i / 2), expected[i]);
            }
        }
        QCOMPARE(QByteArray(m_lastPath()), QFile::encodeName(path));
    }

    void unavailable_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("no library") << "";
        QTest::newRow("no such folder") << "no/such/folder";
        QTest::newRow("a text file under the library's name") << "text";
        QTest::newRow("library without mEndPNG") << FAKE_MPNG_PARTIAL_DIR;
    }
    void unavailable()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        if (folder == QLatin1String("text"))
            TestFiles::writeFile(dir.filePath(QStringLiteral("libmpng.so")), "not a library");
        PNGLoader loader(folder.startsWith(u'/') ? folder : dir.filePath(folder));
        QVERIFY(!loader.isAvailable());
        QVERIFY(loader.LoadPNG(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png")).isNull());
    }

    void dib_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height"); // negative: top-down
        QTest::addColumn<int>("bits");
        QTest::addColumn<QList<QRgb>>("colours");
        QTest::addColumn<QByteArray>("pixels");
        QTest::addColumn<QList<QRgb>>("expected"); // from the top left, row by row
        const QRgb r = 0xFFFF0000, g = 0xFF00FF00, b = 0xFF0000FF, k = 0xFF000000, w = 0xFFFFFFFF;
        // Rows padded to four bytes, the bottom row first.
        QTest::newRow("8 bits") << 3 << 2 << 8 << QList<QRgb> { r, g, b } << QByteArray("\2\1\0\xEE\0\1\2\xEE", 8)
                                << QList<QRgb> { r, g, b, b, g, r };
        QTest::newRow("24 bits") << 3 << 2 << 24 << QList<QRgb> {}
                                 << QByteArray("\x0A\x14\x1E\x28\x32\x3C\x46\x50\x5A\xEE\xEE\xEE"
                                               "\1\2\3\4\5\6\7\x08\x09\xEE\xEE\xEE", 24)
                                 << QList<QRgb> { qRgb(3, 2, 1), qRgb(6, 5, 4), qRgb(9, 8, 7), qRgb(30, 20, 10),
                                                  qRgb(60, 50, 40), qRgb(90, 80, 70) };
        QTest::newRow("1 bit") << 10 << -1 << 1 << QList<QRgb> { k, w } << QByteArray("\xA0\x40\0\0", 4)
                               << QList<QRgb> { w, k, w, k, k, k, k, k, k, w };
        QTest::newRow("4 bits") << 3 << -1 << 4 << QList<QRgb> { k, r, g } << QByteArray("\x12\x10\0\0", 4)
                                << QList<QRgb> { r, g, r };
        QTest::newRow("32 bits keep alpha") << 1 << -2 << 32 << QList<QRgb> {}
                                            << QByteArray("\x1E\x14\x0A\0\3\2\1\xC8", 8)
                                            << QList<QRgb> { qRgba(10, 20, 30, 0), qRgba(1, 2, 3, 200) };
        QTest::newRow("index past a short table") << 2 << 1 << 8 << QList<QRgb> { g } << QByteArray("\0\xFF\0\0", 4)
                                                  << QList<QRgb> { g, k };
        QTest::newRow("one byte short") << 3 << 2 << 24 << QList<QRgb> {} << QByteArray(23, 0) << QList<QRgb> {};
        QTest::newRow("last row unpadded") << 5 << -3 << 8 << QList<QRgb> {} << QByteArray(21, 0) << QList<QRgb> {};
    }
    void dib()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bits);
        QFETCH(QList<QRgb>, colours);
        QFETCH(QByteArray, pixels);
        QFETCH(QList<QRgb>, expected);
        const auto info = dibInfo(width, height, bits, colours);
        const auto* data = reinterpret_cast<const uint8_t*>(pixels.constData());
        const QImage image = PictureFromDIB(data, pixels.size(), info.data());
        QVERIFY(PictureFromDIB(nullptr, pixels.size(), info.data()).isNull());
        QVERIFY(PictureFromDIB(data, pixels.size(), nullptr).isNull());
        QVERIFY(PictureFromDIB(data, -pixels.size(), info.data()).isNull());
        QCOMPARE(image.isNull(), expected.isEmpty());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(image.pixel(i % width, i / width), expected[i]);
    }

    void rejectedHeaders_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("bytes");
        QTest::newRow("header size 12") << 0 << 12u << 4;
        QTest::newRow("header pushes the table out") << 0 << 1024u << 4;
        QTest::newRow("width 0") << 4 << 0u << 4;
        QTest::newRow("width negative") << 4 << 0xFFFFFFFFu << 4;
        QTest::newRow("width 2^31-1") << 4 << 0x7FFFFFFFu << 4;
        QTest::newRow("height -2^31") << 8 << 0x80000000u << 4;
        QTest::newRow("planes 2") << 12 << 2u << 2;
        QTest::newRow("16 bits") << 14 << 16u << 2;
        QTest::newRow("BI_RLE8") << 16 << 1u << 4;
        QTest::newRow("300 colours") << 32 << 300u << 4;
    }
    void rejectedHeaders()
    {
        QFETCH(int, offset);
        QFETCH(quint32, value);
        QFETCH(int, bytes);
        auto info = dibInfo(4, 4, 8);
        const std::vector<uint8_t> pixels(16, 0);
        QVERIFY(!PictureFromDIB(pixels.data(), 16, info.data()).isNull());
        putU32(&info[size_t(offset)], value, bytes);
        QVERIFY(PictureFromDIB(pixels.data(), 16, info.data()).isNull());
    }

    // The DIB fuzzer's inputs: 40 header bytes, a count n, n colour entries, then the
    // pixels in a buffer of exactly their size.
    void fuzzInputs_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* folder : { "corpus/dib", "regressions/dib" }) {
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
        const QByteArray bytes = TestFiles::readFile(path);
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

QTEST_GUILESS_MAIN(TestPngLoader)
#include "tst_pngloader.moc"
