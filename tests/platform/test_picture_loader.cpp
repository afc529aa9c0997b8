#include "../imaging/exifjpeg.h"
#include "board/ThumbnailDecoder.h"
#include "platform/PictureLoader.h"
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

class TestPictureLoader : public QObject {
    Q_OBJECT
private slots:
    void reduction_data();
    void reduction();
    void decodeSize_data();
    void decodeSize();
    void turnedPhotoIsScaledBeforeTurning();
    void fiftyMegapixelsDecodeReduced();
};

void TestPictureLoader::reduction_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<int>("reduction");
    QTest::newRow("thumbnail") << QSize(5120, 2880) << QSize(128, 72) << 8;
    QTest::newRow("exactly a quarter") << QSize(5120, 2880) << QSize(1280, 720) << 4;
    QTest::newRow("a pixel more than a quarter") << QSize(5120, 2880) << QSize(1281, 721) << 2;
    QTest::newRow("only the height needs more") << QSize(5120, 2880) << QSize(640, 721) << 2;
    QTest::newRow("viewer area, 4:3 photo") << QSize(4000, 3000) << QSize(1280, 960) << 2;
    QTest::newRow("more than half") << QSize(2600, 1500) << QSize(1300, 751) << 1;
    QTest::newRow("whole") << QSize(800, 600) << QSize(800, 600) << 1;
}

void TestPictureLoader::reduction()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, wanted);
    QTEST(jpegReduction(stored, wanted), "reduction");
}

void TestPictureLoader::decodeSize_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("request");
    // Qt's own pick, ceil(8 / factor) / 8, is already 1/8 or 1/4 here: Qt scales on to the size.
    QTest::newRow("thumbnail: Qt picks 1/8") << QSize(5120, 2880) << QSize(128, 72) << QSize(128, 72);
    QTest::newRow("quarter: Qt picks 1/4") << QSize(5120, 2880) << QSize(1280, 720) << QSize(1280, 720);
    // Qt would pick 3/8: ask for the half, shrink afterwards.
    QTest::newRow("viewer area, 4:3 photo") << QSize(4000, 3000) << QSize(1280, 960) << QSize(2000, 1500);
    // Rounded down: 2001 x 1501 would make Qt's ratio just under 2 and its pick 5/8.
    QTest::newRow("odd size") << QSize(4001, 3001) << QSize(1280, 960) << QSize(2000, 1500);
    // Qt would pick 6/8: decode whole, shrink afterwards.
    QTest::newRow("slightly smaller") << QSize(2000, 1500) << QSize(1400, 1050) << QSize(2000, 1500);
    QTest::newRow("nothing to reduce") << QSize(800, 600) << QSize(800, 600) << QSize();
}

void TestPictureLoader::decodeSize()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, wanted);
    QFETCH(QSize, request);
    const QSize got = jpegDecodeSize(stored, wanted);
    QCOMPARE(got, request);
    if (!got.isValid() || got == stored)
        return;
    // The factor Qt derives from the request is the power of two, or the request is the size wanted.
    const double f = std::min(double(stored.width()) / got.width(), double(stored.height()) / got.height());
    const int num = std::clamp(int(std::ceil(8.0 / f)), 1, 8);
    QVERIFY2(num == 1 || num == 2 || num == 4 || num == 8, qPrintable(QString::number(num)));
}

void TestPictureLoader::turnedPhotoIsScaledBeforeTurning()
{
    // Stored 1600 x 1200, shown a quarter turned: 1200 x 1600. The reader wants the
    // scaled size as stored, so the box's width and height trade places.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("turned.jpg"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ExifJpeg::withExif(ExifJpeg::encode(ExifJpeg::halves(QSize(1600, 1200))), ExifJpeg::tiff(6, {})));
    f.close();

    const Picture p = LoadPicture(path, QSize(300, 300));
    QVERIFY(p.ok());
    QCOMPARE(p.naturalSize, QSize(1200, 1600));
    QCOMPARE(p.image.size(), QSize(225, 300));
    // The stored left half (red) is on top.
    QVERIFY(p.image.pixelColor(112, 40).red() > 200);
    QVERIFY(p.image.pixelColor(112, 260).blue() > 200);

    // A viewer-sized box: 1/2 of the stored picture, then shrunk and turned.
    const Picture v = LoadPicture(path, QSize(800, 700));
    QCOMPARE(v.image.size(), QSize(525, 700));
}

void TestPictureLoader::fiftyMegapixelsDecodeReduced()
{
    // 8660 x 5773 = 50 MP: as 32-bit pixels 200 MB, over Qt's 128 MB allocation limit.
    // Grey and coarse, so that making it is cheap; the decoder's work is the same.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("50mp.jpg"));
    {
        QImage big(8660, 5773, QImage::Format_Grayscale8);
        for (int y = 0; y < big.height(); ++y)
            memset(big.scanLine(y), (y / 97) % 2 ? 200 : 40, size_t(big.width()));
        QVERIFY(big.save(path, "JPEG", 30));
    }
    QImageReader whole(path);
    QCOMPARE(whole.size(), QSize(8660, 5773));
    QVERIFY(whole.read().isNull()); // decoding it whole is refused

    const Picture viewer = LoadPicture(path, QSize(1280, 960));
    QVERIFY(viewer.ok());
    QCOMPARE(viewer.naturalSize, QSize(8660, 5773));
    QCOMPARE(viewer.image.size(), fitSize(QSize(8660, 5773), QSize(1280, 960)));

    QSize natural;
    const QImage thumb = Board::decodeThumbnail(path, 128, &natural, nullptr);
    QCOMPARE(natural, QSize(8660, 5773));
    QCOMPARE(thumb.size(), QSize(128, 86));
}

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "test_picture_loader.moc"
