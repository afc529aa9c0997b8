#include "ViewerFixture.h"
#include "viewer/ViewerLogic.h"
#include <QImageReader>

class TestViewerDisplay : public QObject {
    Q_OBJECT
private slots:
    void photoTitleAndPanels();
    void fitsAndCentres_data();
    void fitsAndCentres();
    void steppingButtonsFollowThePosition_data();
    void steppingButtonsFollowThePosition();
    void undecodableShowsFallback_data();
    void undecodableShowsFallback();
    void missingFallbackLeavesAreaBlank();
    void missingFileIsReported_data();
    void missingFileIsReported();
    void damagedPngLeavesAreaBlank();
    void validPngIsShown();
    void largePhotoIsDecodedReduced();
    void windowFillsWorkArea();
};

void TestViewerDisplay::photoTitleAndPanels()
{
    ViewerFixture f;
    const QString photos = QStringLiteral(LUMO_TESTDATA "/photos");
    f.openMain(photos);
    const int count = f.form->File1->entryCount();
    QVERIFY(count >= 3);
    Form4* v = f.open(2);
    QVERIFY(v);
    const QString name = f.form->File1->entry(2);
    const QString path = QDir(f.m.SourceFolder).filePath(name);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (3/%2)").arg(name).arg(count));
    QCOMPARE(panel(v, 1), " " + f.m.SourceFolder + " ");
    QCOMPARE(panel(v, 2), " " + name + " ");

    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize natural = reader.read().size();
    QCOMPARE(panel(v, 3), QStringLiteral(" %1X%2 Pixel ").arg(natural.width()).arg(natural.height()));
    const QFileInfo info(path);
    QCOMPARE(panel(v, 4), QStringLiteral(" %1KB ").arg((info.size() + 1023) / 1024));
    QCOMPARE(panel(v, 5), ViewerLogic::modifiedText(info.lastModified()));
    // The test photos are smaller than the area: natural size, centred, no reduction.
    QCOMPARE(panel(v, 6), QString());
    QVERIFY(v->Image1->isVisible());
    QCOMPARE(v->Image1->size(), natural);
    const QSize area = v->Picture1->size();
    QVERIFY(qAbs(v->Image1->x() * 2 + natural.width() - area.width()) <= 1);
    QVERIFY(qAbs(v->Image1->y() * 2 + natural.height() - area.height()) <= 1);
    QCOMPARE(panel(v, 7), QString());
    QCOMPARE(v->StatusBar1->panelCount(), 11);
}

void TestViewerDisplay::fitsAndCentres_data()
{
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("reduced");
    QTest::newRow("3000x1000") << QSize(3000, 1000) << QRect(0, 167, 800, 267) << true;
    QTest::newRow("1000x3000") << QSize(1000, 3000) << QRect(300, 0, 200, 600) << true;
    QTest::newRow("800x600") << QSize(800, 600) << QRect(0, 0, 800, 600) << false;
    QTest::newRow("100x50") << QSize(100, 50) << QRect(350, 275, 100, 50) << false;
}

void TestViewerDisplay::fitsAndCentres()
{
    QFETCH(QSize, natural);
    QFETCH(QRect, geometry);
    QFETCH(bool, reduced);
    ViewerFixture f;
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("pic.jpg")), natural));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    ViewerFixture::setArea(v, QSize(800, 600)); // the resize displays again

    QCOMPARE(v->Image1->geometry(), geometry);
    QVERIFY(v->Image1->isVisible());
    QCOMPARE(v->Image1->stretch(), reduced);
    QCOMPARE(panel(v, 6), reduced ? QStringLiteral(" 縮小表示中 ") : QString());
    QCOMPARE(panel(v, 3), QStringLiteral(" %1X%2 Pixel ").arg(natural.width()).arg(natural.height()));
    // Decoded no larger than it is shown.
    QVERIFY(v->Image1->pixmap().width() <= geometry.width() + 1);
    QVERIFY(v->Image1->pixmap().height() <= geometry.height() + 1);
}

void TestViewerDisplay::steppingButtonsFollowThePosition_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("backEnabled"); // 4, 5
    QTest::addColumn<bool>("forwardEnabled"); // 6, 7, 8
    QTest::newRow("first of three") << 3 << 0 << false << true;
    QTest::newRow("middle of three") << 3 << 1 << true << true;
    QTest::newRow("last of three") << 3 << 2 << true << false;
    QTest::newRow("only one") << 1 << 0 << false << false;
}

void TestViewerDisplay::steppingButtonsFollowThePosition()
{
    QFETCH(int, files);
    QFETCH(int, index);
    QFETCH(bool, backEnabled);
    QFETCH(bool, forwardEnabled);
    ViewerFixture f;
    for (int i = 0; i < files; ++i)
        QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("p%1.jpg").arg(i)), QSize(32, 24)));
    f.openMain();
    Form4* v = f.open(index);
    QVERIFY(v);
    for (int b : { 4, 5 })
        QCOMPARE(v->ToolbarButtons[b]->isEnabled(), backEnabled);
    for (int b : { 6, 7, 8 })
        QCOMPARE(v->ToolbarButtons[b]->isEnabled(), forwardEnabled);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());
    QVERIFY(v->ToolbarButtons[2]->isEnabled());
    QVERIFY(v->ToolbarButtons[3]->isSeparator());
}

void TestViewerDisplay::undecodableShowsFallback_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("broken JPEG") << QStringLiteral("broken.jpg");
    // Not exactly .png/.PNG: the picture loader gets it, and falls back like any other.
    QTest::newRow("broken .Png") << QStringLiteral("broken.Png");
}

void TestViewerDisplay::undecodableShowsFallback()
{
    QFETCH(QString, name);
    ViewerFixture f;
    f.writeErrorJpg();
    QVERIFY(ViewerFixture::writeBytes(f.inFolder(name), QByteArray(2000, 'x')));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  %1   (1/1)").arg(name));
    QCOMPARE(panel(v, 2), " " + name + " ");
    QCOMPARE(panel(v, 3), QStringLiteral(" 40X30 Pixel ")); // the fallback's own size
    QCOMPARE(panel(v, 4), QStringLiteral(" 2KB ")); // the requested file's
    QVERIFY(!panel(v, 5).trimmed().isEmpty());
    QVERIFY(v->Image1->isVisible());
    QVERIFY(v->Image1->hasPicture());
    QCOMPARE(v->Image1->size(), QSize(40, 30));
}

void TestViewerDisplay::missingFallbackLeavesAreaBlank()
{
    ViewerFixture f; // no Error.jpg in the program's folder
    QVERIFY(ViewerFixture::writeBytes(f.inFolder(QStringLiteral("broken.jpg")), QByteArray(10, 'x')));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  broken.jpg   (1/1)"));
    QVERIFY(!v->Image1->hasPicture());
    QCOMPARE(panel(v, 3), QStringLiteral(" 0X0 Pixel "));
    QCOMPARE(panel(v, 4), QStringLiteral(" 1KB "));
}

void TestViewerDisplay::missingFileIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("JPEG") << QStringLiteral("gone.jpg");
    QTest::newRow("PNG") << QStringLiteral("gone.png");
}

void TestViewerDisplay::missingFileIsReported()
{
    QFETCH(QString, name);
    ViewerFixture f;
    f.writeErrorJpg();
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("a.jpg")), QSize(32, 24)));
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("b.jpg")), QSize(32, 24)));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    // The file goes away behind the list's back.
    f.m.ViewerIndex = 1;
    f.m.ViewerFile = name;
    MessageCatcher box;
    v->ShowImage();
    QCOMPARE(box.text, QStringLiteral("ファイルが見つかりません。"));
    QCOMPARE(box.title, QStringLiteral("ピラポくんLumo"));
    QVERIFY(!v->Image1->isVisible());
    QCOMPARE(panel(v, 4).isEmpty(), false); // left from the last display
}

void TestViewerDisplay::damagedPngLeavesAreaBlank()
{
    ViewerFixture f;
    f.writeErrorJpg();
    QFile good(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray head = good.read(60); // signature and header, the image data cut off
    QVERIFY(ViewerFixture::writeBytes(f.inFolder(QStringLiteral("cut.png")), head));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  cut.png   (1/1)"));
    QVERIFY(!v->Image1->hasPicture()); // no fallback for PNG
    QCOMPARE(panel(v, 1), " " + f.m.SourceFolder + " ");
    QCOMPARE(panel(v, 2), QStringLiteral(" cut.png "));
    QCOMPARE(panel(v, 3), QStringLiteral(" 0X0 Pixel "));
    QCOMPARE(panel(v, 4), QStringLiteral(" 1KB "));
    QVERIFY(!panel(v, 5).trimmed().isEmpty());
}

void TestViewerDisplay::validPngIsShown()
{
    ViewerFixture f;
    QVERIFY(QFile::copy(QStringLiteral(LUMO_TESTDATA "/pngsuite/basn2c08.png"), f.inFolder(QStringLiteral("ok.PNG"))));
    // The decoder library lives in the program's folder.
    const QDir bin(QStringLiteral(LUMO_BIN_DIR));
    for (const QString& lib : bin.entryList({ QStringLiteral("*mpng*") }, QDir::Files))
        QFile::copy(bin.filePath(lib), QDir(f.appDir).filePath(lib));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    QVERIFY(v->Image1->hasPicture());
    QCOMPARE(panel(v, 3), QStringLiteral(" 32X32 Pixel "));
    QVERIFY(!v->lastDecodeBox().isValid()); // not through the picture loader
}

void TestViewerDisplay::largePhotoIsDecodedReduced()
{
    ViewerFixture f;
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("big.jpg")), QSize(5120, 2880), Qt::darkGreen));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    v->resize(1280, 1000);
    const QSize area = v->Picture1->size();
    QCOMPARE(area, QSize(1280, 960));
    QCOMPARE(v->lastDecodeBox(), area); // the loader was asked for the area
    QCOMPARE(v->Image1->pixmap().size(), QSize(1280, 720)); // and handed back that much
    QCOMPARE(panel(v, 3), QStringLiteral(" 5120X2880 Pixel "));
    QCOMPARE(panel(v, 6), QStringLiteral(" 縮小表示中 "));
    QCOMPARE(v->Image1->geometry(), QRect(0, 120, 1280, 720));
}

void TestViewerDisplay::windowFillsWorkArea()
{
    ViewerFixture f;
    QVERIFY(ViewerFixture::writeJpeg(f.inFolder(QStringLiteral("a.jpg")), QSize(32, 24)));
    f.openMain();
    Form4* v = f.open(0);
    QVERIFY(v);
    const QRect wa = workArea();
    QCOMPARE(v->frameGeometry().topLeft(), QPoint(0, 0));
    QCOMPARE(v->frameGeometry().size(), QSize(wa.x() + wa.width(), wa.y() + wa.height()));
    QCOMPARE(v->Picture1->geometry(), QRect(0, 25, v->width(), v->height() - 40));
    QVERIFY(!(v->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(v->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(v->slideIcon(), 5);
    QCOMPARE(v->Picture1->toolTip(), Form4::normalTip());
    QCOMPARE(v->Image1->toolTip(), Form4::normalTip());
}

QTEST_MAIN(TestViewerDisplay)
#include "tst_viewerdisplay.moc"
