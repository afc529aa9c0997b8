#include "ViewerFixture.h"
#include "viewer/PicturePrefetch.h"
#include "viewer/ViewerLogic.h"
#include <QDateTime>

namespace {

QColor colourOf(int i) { return QColor::fromHsv((i * 53) % 360, 255, 230); }

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

QColor shownColour(Form4* v)
{
    const QImage img = v->Image1->pixmap().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

}

class TestViewerPrefetch : public QObject {
    Q_OBJECT
private slots:
    void neighboursArePrepared();
    void stepShowsThePreparedPicture_data();
    void stepShowsThePreparedPicture();
    void changedFileIsNotShownStale();
    void deletedFileIsStillReported();
    void repeatingSlideshowPreparesTheFirst();
    void resizeDropsPicturesOfTheOldSize();
    void preparedPng();
    void fiftyMegapixels();

private:
    static void makeFolder(ViewerFixture& f, int count)
    {
        for (int i = 0; i < count; ++i)
            QVERIFY(
                ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("p%1.jpg").arg(i)), QSize(640, 480), colourOf(i)));
    }
    static QString pathOf(ViewerFixture& f, int i)
    {
        return ViewerLogic::joinPath(f.m.SourceFolder, f.form->File1->entry(i));
    }
};

void TestViewerPrefetch::neighboursArePrepared()
{
    ViewerFixture f;
    makeFolder(f, 5);
    f.openMain();
    Form4* v = f.open(2);
    QVERIFY(v);
    const QSize area = v->Picture1->size();
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 3), area));
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 1), area));
    // The one on screen is kept for a step back; nothing else is.
    QVERIFY(v->prefetch().isPrepared(pathOf(f, 2), area));
    QVERIFY(!v->prefetch().isPrepared(pathOf(f, 0), area));
    QVERIFY(!v->prefetch().isPrepared(pathOf(f, 4), area));
}

void TestViewerPrefetch::stepShowsThePreparedPicture_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("shown");
    QTest::newRow("next") << 7 << 3;
    QTest::newRow("previous") << 5 << 1;
    QTest::newRow("first") << 4 << 0;
}

void TestViewerPrefetch::stepShowsThePreparedPicture()
{
    QFETCH(int, button);
    QFETCH(int, shown);
    ViewerFixture f;
    makeFolder(f, 5);
    f.openMain();
    Form4* v = f.open(2);
    QVERIFY(v);
    const QSize area = v->Picture1->size();
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 3), area) && v->prefetch().isPrepared(pathOf(f, 1), area));
    v->Toolbar1_ButtonClick(button);
    QCOMPARE(f.m.ViewerIndex, shown);
    QCOMPARE(v->windowTitle(), ViewerLogic::titleText(0, f.form->File1->entry(shown), shown, 5));
    QCOMPARE(panel(v, 3), QStringLiteral(" 640X480 Pixel "));
    QVERIFY2(near(shownColour(v), colourOf(shown)), qPrintable(shownColour(v).name()));
    QVERIFY(v->Image1->isVisible());
    QCOMPARE(v->Image1->size(), QSize(640, 480));
    // The picture stepped from is the one a step back finds ready.
    QVERIFY(v->prefetch().isPrepared(pathOf(f, 2), area) || shown == 0);
}

void TestViewerPrefetch::changedFileIsNotShownStale()
{
    ViewerFixture f;
    makeFolder(f, 3);
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    const QSize area = v->Picture1->size();
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 1), area));
    // Rewritten after it was prepared: another size and colour, a later time.
    QVERIFY(ViewerFixture::writeJpeg(pathOf(f, 1), QSize(300, 400), Qt::white));
    QFile file(pathOf(f, 1));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(3), QFileDevice::FileModificationTime));
    file.close();
    v->Form_KeyDown(32, 0);
    QCOMPARE(f.m.ViewerIndex, 1);
    QCOMPARE(panel(v, 3), QStringLiteral(" 300X400 Pixel "));
    QVERIFY(near(shownColour(v), Qt::white));
}

void TestViewerPrefetch::deletedFileIsStillReported()
{
    ViewerFixture f;
    makeFolder(f, 3);
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 1), v->Picture1->size()));
    QVERIFY(QFile::remove(pathOf(f, 1)));
    MessageCatcher box;
    v->Toolbar1_ButtonClick(7);
    QCOMPARE(box.text, QStringLiteral("ファイルが見つかりません。"));
    QVERIFY(!v->Image1->isVisible());
}

void TestViewerPrefetch::repeatingSlideshowPreparesTheFirst()
{
    ViewerFixture f;
    makeFolder(f, 4);
    f.m.SlideRepeat = 1;
    f.openMain();
    Form4* v = f.open(3);
    QVERIFY(v);
    const QSize area = v->Picture1->size();
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 0), area));
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 2), area));
}

void TestViewerPrefetch::resizeDropsPicturesOfTheOldSize()
{
    ViewerFixture f;
    makeFolder(f, 3);
    f.openMain();
    Form4* v = f.open(1);
    QVERIFY(v);
    const QSize before = v->Picture1->size();
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 2), before));
    ViewerFixture::setArea(v, QSize(320, 200));
    QVERIFY(!v->prefetch().isPrepared(pathOf(f, 2), before));
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 2), QSize(320, 200)));
    v->Toolbar1_ButtonClick(7);
    QCOMPARE(v->Image1->pixmap().size(), QSize(267, 200));
    QCOMPARE(panel(v, 6), QStringLiteral(" 縮小表示中 "));
}

void TestViewerPrefetch::preparedPng()
{
    ViewerFixture f;
    QVERIFY(QFile::copy(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png"), f.inFolder(QStringLiteral("b.png"))));
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("a.jpg")), QSize(64, 48)));
    const QDir bin(QStringLiteral(LUMO_BIN_DIR));
    for (const QString& lib : bin.entryList({ QStringLiteral("*mpng*") }, QDir::Files))
        QFile::copy(bin.filePath(lib), QDir(f.appDir).filePath(lib));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QTRY_VERIFY(v->prefetch().isPrepared(pathOf(f, 1), v->Picture1->size()));
    v->Toolbar1_ButtonClick(7);
    QVERIFY(v->Image1->hasPicture());
    QCOMPARE(panel(v, 3), QStringLiteral(" 32X32 Pixel "));
    QVERIFY(!v->lastDecodeBox().isValid());
}

void TestViewerPrefetch::fiftyMegapixels()
{
    // Over Qt's 128 MB limit when decoded whole: shown through reduced decoding,
    // both when displayed at once and when prepared ahead.
    ViewerFixture f;
    {
        QImage big(8660, 5773, QImage::Format_Grayscale8);
        for (int y = 0; y < big.height(); ++y)
            memset(big.scanLine(y), (y / 97) % 2 ? 200 : 40, size_t(big.width()));
        QVERIFY(big.save(f.inFolder(QStringLiteral("a_big.jpg")), "JPEG", 30));
        QVERIFY(QFile::copy(f.inFolder(QStringLiteral("a_big.jpg")), f.inFolder(QStringLiteral("b_big.jpg"))));
    }
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    v->resize(1280, 1000);
    const QSize area = v->Picture1->size();
    for (int step = 0; step < 2; ++step) {
        QVERIFY(v->Image1->hasPicture());
        QCOMPARE(panel(v, 3), QStringLiteral(" 8660X5773 Pixel "));
        QCOMPARE(panel(v, 6), QStringLiteral(" 縮小表示中 "));
        QCOMPARE(v->Image1->pixmap().size(), fitSize(QSize(8660, 5773), area));
        if (step == 0) {
            QTRY_VERIFY_WITH_TIMEOUT(v->prefetch().isPrepared(pathOf(f, 1), area), 30000);
            v->Toolbar1_ButtonClick(7);
            QCOMPARE(f.m.ViewerIndex, 1);
        }
    }
}

QTEST_MAIN(TestViewerPrefetch)
#include "tst_viewerprefetch.moc"
