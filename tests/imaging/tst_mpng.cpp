// The real decoder library: pictures against Qt's own PNG reader, the bitmap
// information it writes, and files damaged on purpose.
#include "TestFiles.h"
#include "imaging/PNGLoader.h"
#include "imaging/mpng/mpng.h"
#include "pngbytes.h"
#include <QDirIterator>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>
#include <array>

using namespace pngbytes;
using TestFiles::readFile;

namespace {

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

} // namespace

class TestMpng : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<PNGLoader> m_loader;
    QLibrary m_library;
    int32_t (*m_load)(const char*, void**, uint8_t*, int32_t*) = nullptr;
    void (*m_end)(void**) = nullptr;

    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("t.png"));
        TestFiles::writeFile(path, bytes);
        return path;
    }
    // mLoadPNG on a file, released at once; the result, the size and the bitmap information.
    int32_t describe(const QString& path, int32_t* dataSize, std::array<uint8_t, MPNG_BITMAPINFO_SIZE>& info)
    {
        void* handle = nullptr;
        *dataSize = 0;
        const int32_t r = m_load(QFile::encodeName(path).constData(), &handle, info.data(), dataSize);
        if (r == 1)
            m_end(&handle);
        return handle ? -99 : r;
    }

private slots:
    void initTestCase()
    {
        m_loader = std::make_unique<PNGLoader>(QStringLiteral(LUMO_BIN_DIR));
        QVERIFY2(m_loader->isAvailable(), "mpng was not built into " LUMO_BIN_DIR);
        m_library.setFileName(QStringLiteral(LUMO_BIN_DIR "/mpng"));
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        m_load = reinterpret_cast<decltype(m_load)>(m_library.resolve("mLoadPNG"));
        m_end = reinterpret_cast<decltype(m_end)>(m_library.resolve("mEndPNG"));
        QVERIFY(m_load && m_end);
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
        QVERIFY(!got.isNull());
        QCOMPARE(got.format(), QImage::Format_ARGB32);
        const QString diff = difference(got, path);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    // Damaged files are refused; their undamaged twins, with chunks a reader may skip, are not.
    void files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("good");
        const QByteArray good = smallRgba();
        const int idat = 33, iendAt = int(good.size()) - 12;
        const QByteArray head = good.left(idat), tail = good.mid(idat);
        QTest::newRow("plain") << good << true;
        QTest::newRow("tEXt") << head + chunk("tEXt", QByteArray("Comment\0hi", 10)) + tail << true;
        QTest::newRow("private chunk") << head + chunk("prVt", QByteArray(5000, 'p')) + tail << true;
        QTest::newRow("data after IEND") << good + QByteArray(10, 'x') << true;
        for (int length : { 0, 8, 20, idat + 20, iendAt })
            QTest::addRow("truncated to %d bytes", length) << good.left(length) << false;
        auto flipped = [&](int at) { return QByteArray(good).replace(at, 1, QByteArray(1, char(good[at] ^ 1))); };
        QTest::newRow("signature flipped") << flipped(1) << false;
        QTest::newRow("IHDR CRC flipped") << flipped(idat - 1) << false;
        QTest::newRow("IDAT data flipped") << flipped(idat + 28) << false;
        QTest::newRow("IDAT CRC flipped") << flipped(iendAt - 1) << false;
        QTest::newRow("tEXt claims 2 GiB") << head + be32(0x7FFFFFFF) + "tEXt" + tail << false;
        QTest::newRow("length past 2^31") << head + be32(0xFFFFFFF0u) + "prVt" + tail << false;
        QTest::newRow("IDAT claims 2 GiB") << QByteArray(good).replace(idat, 4, be32(0x7FFFFFF0)) << false;
        QTest::newRow("no IHDR") << signature() + iend() << false;
        QTest::newRow("no IDAT") << signature() + ihdr(16, 12) + iend() << false;
        QTest::newRow("bad colour type") << signature() + ihdr(16, 12, 8, 5) + idatRgba(16, 12) + iend() << false;
        QTest::newRow("bad bit depth") << signature() + ihdr(16, 12, 3, 2) + idatRgba(16, 12) + iend() << false;
        QTest::newRow("bad interlace") << signature() + ihdr(16, 12, 8, 6, 2) + idatRgba(16, 12) + iend() << false;
        QTest::newRow("width 0") << signature() + ihdr(0, 12) + idatRgba(16, 12) + iend() << false;
        QTest::newRow("palette without PLTE") << signature() + ihdr(16, 12, 8, 3) + idatRgba(16, 12) + iend() << false;
        QTest::newRow("too few rows") << signature() + ihdr(16, 12) + idatRgba(16, 6) + iend() << false;
        QTest::newRow("IDAT not zlib") << signature() + ihdr(16, 12) + chunk("IDAT", "zzzz") + iend() << false;
        QTest::newRow("a JPEG named .png") << readFile(QStringLiteral(LUMO_TESTDATA "/photos/Canon_40D.jpg")) << false;
    }
    void files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        const QString path = write(bytes);
        const QImage got = m_loader->LoadPNG(path);
        QCOMPARE(!got.isNull(), good);
        if (good) {
            QCOMPARE(got.pixel(15, 11), qRgba(255, 255, 26, 240));
            const QString diff = difference(got, path);
            QVERIFY2(diff.isEmpty(), qPrintable(diff));
        }
    }

    // Refused by the header alone, so that nobody allocates for it.
    void hugeHeader_data()
    {
        QTest::addColumn<quint32>("width");
        QTest::addColumn<quint32>("height");
        QTest::addColumn<int>("result");
        QTest::newRow("100000 x 100000") << 100000u << 100000u << 0;
        QTest::newRow("32768 x 1") << 32768u << 1u << 0;
        QTest::newRow("2^32-1 x 1") << 0xFFFFFFFFu << 1u << 0;
        QTest::newRow("16384 x 16384, the largest") << 16384u << 16384u << 1;
    }
    void hugeHeader()
    {
        QFETCH(quint32, width);
        QFETCH(quint32, height);
        QFETCH(int, result);
        const QString path = write(signature() + ihdr(width, height) + idatRgba(4, 4) + iend());
        int32_t dataSize = 0;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
        QCOMPARE(describe(path, &dataSize, info) == 1, result == 1);
        QCOMPARE(dataSize, result ? int32_t(1) << 30 : 0);
        if (!result)
            QVERIFY(m_loader->LoadPNG(path).isNull());
    }

    void oddPaths()
    {
        QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("missing.png"))).isNull());
        QVERIFY(m_loader->LoadPNG(m_dir.path()).isNull());
        QVERIFY(m_loader->LoadPNG(QString()).isNull());
        // A NUL in the name must not open the file named by the part before it.
        TestFiles::writeFile(m_dir.filePath(QStringLiteral("a")), smallRgba());
        QVERIFY(m_loader->LoadPNG(m_dir.filePath(QStringLiteral("a") + QChar(0) + QStringLiteral("b.png"))).isNull());

        const QString original = QStringLiteral(LUMO_TESTDATA "/pngsuite/basn6a08.png");
        const QString japanese = m_dir.filePath(QStringLiteral("写真・テスト.png"));
        QVERIFY(QFile::copy(original, japanese));
        QImage first = m_loader->LoadPNG(japanese);
        const QImage second = m_loader->LoadPNG(original);
        QVERIFY(!first.isNull());
        QCOMPARE(first, second);
        // Each picture owns its pixels.
        first.setPixel(0, 0, qRgba(1, 2, 3, 4));
        QCOMPARE(second, m_loader->LoadPNG(original));
    }

    // Fuzzer seeds and the inputs that once crashed: whatever the verdict, the picture
    // agrees with the decoder's own description.
    void fuzzInputs_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* folder : { "corpus/png", "regressions/png" }) {
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
        const QImage got = m_loader->LoadPNG(path);
        int32_t dataSize = 0;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
        if (!got.isNull()) {
            QCOMPARE(describe(path, &dataSize, info), 1);
            QCOMPARE(qint64(got.width()) * got.height() * 4, qint64(dataSize));
        }
    }
};

QTEST_GUILESS_MAIN(TestMpng)
#include "tst_mpng.moc"
