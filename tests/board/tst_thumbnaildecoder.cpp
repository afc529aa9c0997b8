#include "board/ThumbnailDecoder.h"
#include "imaging/PNGLoader.h"
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A two-colour GIF written without compression: a clear code every two pixels keeps
// every code three bits wide. Qt reads GIF but cannot write it.
QByteArray makeGif(int w, int h)
{
    QByteArray out("GIF89a");
    auto le16 = [&out](int v) {
        out.append(char(v & 0xff));
        out.append(char((v >> 8) & 0xff));
    };
    le16(w);
    le16(h);
    out.append(char(0x80)); // global colour table of two entries
    out.append(char(0));
    out.append(char(0));
    out.append(QByteArray("\x00\x00\x00\xff\xff\xff", 6));
    out.append(',');
    le16(0);
    le16(0);
    le16(w);
    le16(h);
    out.append(char(0));
    out.append(char(2)); // minimum code size

    QByteArray data;
    quint32 acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            data.append(char(acc & 0xff));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (int i = 0; i < w * h; ++i) {
        if (i % 2 == 0)
            put(4); // clear
        put((i / w + i % w) % 2);
    }
    put(5); // end of information
    if (bits > 0)
        data.append(char(acc & 0xff));
    for (int i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    out.append(';');
    return out;
}

QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    return img;
}

}

class TestThumbnailDecoder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pngNames_data();
    void pngNames();
    void decode_data();
    void decode();
    void pngThroughTheLoader_data();
    void pngThroughTheLoader();

private:
    QTemporaryDir m_dir;
    PNGLoader m_png { QStringLiteral(LUMO_BIN_DIR) };
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestThumbnailDecoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(pattern(1600, 1200).save(path("wide.jpg"), "JPEG"));
    QVERIFY(pattern(1200, 1600).save(path("tall.JPG"), "JPEG"));
    QVERIFY(pattern(64, 64).save(path("box.bmp"), "BMP"));
    QVERIFY(pattern(50, 20).save(path("photo.Png"), "PNG"));
    QVERIFY(pattern(50, 20).save(path("disguised.jpg"), "PNG"));
    QVERIFY(pattern(200, 100).save(path("wide.png"), "PNG"));
    QVERIFY(pattern(200, 100).save(path("wide.PNG"), "PNG"));
    QVERIFY(QFile::copy(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn6a08.png"), path("alpha.png")));
    QFile notPng(path("text.png"));
    QVERIFY(notPng.open(QIODevice::WriteOnly));
    notPng.write("not a picture at all");
    notPng.close();
    QFile gif(path("small.gif"));
    QVERIFY(gif.open(QIODevice::WriteOnly));
    gif.write(makeGif(40, 30));
    gif.close();
    QFile broken(path("broken.jpg"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("\xff\xd8\xff\xe0 this is not a picture");
    broken.close();
    QFile empty(path("empty.gif"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
}

void TestThumbnailDecoder::pngNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("png");
    QTest::newRow("lower") << "/a/photo.png" << true;
    QTest::newRow("upper") << "/a/photo.PNG" << true;
    QTest::newRow("mixed Png") << "/a/photo.Png" << false;
    QTest::newRow("mixed pNG") << "/a/photo.pNG" << false;
    QTest::newRow("only the extension") << ".png" << true;
    QTest::newRow("png inside") << "/a/photo.png.jpg" << false;
    QTest::newRow("no dot") << "/a/png" << false;
}

void TestThumbnailDecoder::pngNames()
{
    QFETCH(QString, name);
    QTEST(Board::isPngName(name), "png");
}

void TestThumbnailDecoder::decode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("shown");

    QTest::newRow("large JPEG read reduced") << "wide.jpg" << QSize(1600, 1200) << QSize(64, 48);
    QTest::newRow("portrait JPEG, upper-case name") << "tall.JPG" << QSize(1200, 1600) << QSize(48, 64);
    QTest::newRow("BMP the size of the box") << "box.bmp" << QSize(64, 64) << QSize(64, 64);
    QTest::newRow("small GIF not enlarged") << "small.gif" << QSize(40, 30) << QSize(40, 30);
    // The platform loader knows JPEG, BMP and GIF only.
    QTest::newRow(".Png is not for the PNG loader") << "photo.Png" << QSize() << QSize();
    QTest::newRow("PNG content behind .jpg") << "disguised.jpg" << QSize() << QSize();
    QTest::newRow("damaged") << "broken.jpg" << QSize() << QSize();
    QTest::newRow("zero bytes") << "empty.gif" << QSize() << QSize();
    QTest::newRow("missing") << "gone.jpg" << QSize() << QSize();
    QTest::newRow("missing PNG") << "none.png" << QSize() << QSize();
    QTest::newRow("PNG name, not a PNG") << "text.png" << QSize() << QSize();
}

void TestThumbnailDecoder::decode()
{
    QFETCH(QString, name);
    QFETCH(QSize, natural);
    QFETCH(QSize, shown);
    QSize got(-5, -5);
    // Whatever the build's PNG loader, none of these rows may reach it.
    const QImage image = Board::decodeThumbnail(path(name), 64, &got, &m_png);
    QCOMPARE(got, natural);
    QCOMPARE(image.size(), shown.isValid() ? shown : QSize(0, 0));
    QCOMPARE(image.isNull(), !shown.isValid());
}

void TestThumbnailDecoder::pngThroughTheLoader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("shown");
    QTest::newRow(".png reduced") << "wide.png" << QSize(200, 100) << QSize(64, 32);
    QTest::newRow(".PNG reduced") << "wide.PNG" << QSize(200, 100) << QSize(64, 32);
    QTest::newRow("small with alpha") << "alpha.png" << QSize(32, 32) << QSize(32, 32);
}

void TestThumbnailDecoder::pngThroughTheLoader()
{
    QFETCH(QString, name);
    QFETCH(QSize, natural);
    QFETCH(QSize, shown);
    QSize got;
    // Without a loader a PNG name gives no picture: never a detour through the platform loader.
    QVERIFY(Board::decodeThumbnail(path(name), 64, &got, nullptr).isNull());
    QVERIFY(!got.isValid());
    QVERIFY2(m_png.isAvailable(), "the mpng library is not beside the program");
    const QImage image = Board::decodeThumbnail(path(name), 64, &got, &m_png);
    QCOMPARE(got, natural);
    QCOMPARE(image.size(), shown);
}

QTEST_GUILESS_MAIN(TestThumbnailDecoder)
#include "tst_thumbnaildecoder.moc"
