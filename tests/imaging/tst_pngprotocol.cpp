// The loader's side of the decoder protocol, against stand-in libraries that count
// calls and fail on request: no leaked handle, no double release, failures stay failures.
#include "TestFiles.h"
#include "imaging/PngDecoder.h"
#include <QLibrary>
#include <QTemporaryDir>
#include <QtTest>

enum FakeMode { Succeed, LoadFails, LoadReturnsTwo, ZeroSize, NegativeSize, GetFails, GetReturnsMinusOne, BadInfo };

class TestPngProtocol : public QObject {
    Q_OBJECT
    QLibrary m_fake { FAKE_MPNG_DIR "/mpng" }; // the file the loader opens: both share one set of counters
    void (*m_setMode)(int32_t) = nullptr;
    int32_t (*m_calls)(int32_t) = nullptr;
    const char* (*m_lastPath)() = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_fake.load(), qPrintable(m_fake.errorString()));
        m_setMode = reinterpret_cast<decltype(m_setMode)>(m_fake.resolve("fakeMpngSetMode"));
        m_calls = reinterpret_cast<decltype(m_calls)>(m_fake.resolve("fakeMpngCalls"));
        m_lastPath = reinterpret_cast<decltype(m_lastPath)>(m_fake.resolve("fakeMpngLastPath"));
        QVERIFY(m_setMode);
        QVERIFY(m_calls);
        QVERIFY(m_lastPath);
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

QTEST_GUILESS_MAIN(TestPngProtocol)
#include "tst_pngprotocol.moc"
