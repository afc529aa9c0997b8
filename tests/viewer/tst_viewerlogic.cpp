#include "app/Module1.h"
#include "viewer/ViewerLogic.h"
#include <QDir>
#include <QtTest>

using namespace ViewerLogic;

class TestViewerLogic : public QObject {
    Q_OBJECT
private slots:
    void joinPath_data();
    void joinPath();
    void pngTest_data();
    void pngTest();
    void title_data();
    void title();
    void kilobytes_data();
    void kilobytes();
    void texts();
    void fit_data();
    void fit();
    void slideInterval_data();
    void slideInterval();

    void stepping_data();
    void stepping();
    void toolbarStepsStopTheSlideshow_data();
    void toolbarStepsStopTheSlideshow();
    void nonRepeatingShowStopsAfterLast();
    void repeatingShowWrapsAtLast();
    void pauseKeepsToolbarThenButtonStopsAndRestarts();
    void survivingSlideRunningOnlyResets();
    void startPastTheEndClampsAndStops();
    void repeatIsReadAtEveryTick();
};

void TestViewerLogic::joinPath_data()
{
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("root") << sep << sep + "a.jpg";
    QTest::newRow("folder") << sep + "photos" << sep + "photos" + sep + "a.jpg";
    QTest::newRow("nested") << sep + "p" + sep + "q" << sep + "p" + sep + "q" + sep + "a.jpg";
}

void TestViewerLogic::joinPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(ViewerLogic::joinPath(folder, QStringLiteral("a.jpg")), expected);
}

void TestViewerLogic::pngTest_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("png");
    QTest::newRow("lower") << "/x/a.png" << true;
    QTest::newRow("upper") << "/x/A.PNG" << true;
    QTest::newRow("mixed Png") << "/x/a.Png" << false;
    QTest::newRow("mixed pnG") << "/x/a.pnG" << false;
    QTest::newRow("jpg") << "/x/a.jpg" << false;
    QTest::newRow("png inside") << "/x/a.png.jpg" << false;
    QTest::newRow("no dot") << "/x/apng" << false;
}

void TestViewerLogic::pngTest()
{
    QFETCH(QString, path);
    QFETCH(bool, png);
    QCOMPARE(isPngPath(path), png);
}

void TestViewerLogic::title_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full, third of twelve") << 0 << 2 << 12 << QStringLiteral("ピラポくんViewer  a.jpg   (3/12)");
    QTest::newRow("one-point") << 1 << 6 << 9 << QStringLiteral("ピラポくんViewer（ワンポイントViewer）  a.jpg   (7/9)");
    QTest::newRow("other mode is full") << 2 << 0 << 1 << QStringLiteral("ピラポくんViewer  a.jpg   (1/1)");
}

void TestViewerLogic::title()
{
    QFETCH(int, mode);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(QString, expected);
    QCOMPARE(titleText(int16_t(mode), QStringLiteral("a.jpg"), index, count), expected);
}

void TestViewerLogic::kilobytes_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("kb");
    QTest::newRow("empty") << qint64(0) << qint64(0);
    QTest::newRow("one byte") << qint64(1) << qint64(1);
    QTest::newRow("exactly 1 KB") << qint64(1024) << qint64(1);
    QTest::newRow("one over") << qint64(1025) << qint64(2);
    QTest::newRow("largest 32-bit") << qint64(2147483647) << qint64(2097152);
    QTest::newRow("5 GB") << qint64(5368709121) << qint64(5242881);
}

void TestViewerLogic::kilobytes()
{
    QFETCH(qint64, length);
    QFETCH(qint64, kb);
    QCOMPARE(ViewerLogic::kilobytes(length), kb);
}

void TestViewerLogic::texts()
{
    QCOMPARE(sizeText(1025), QStringLiteral(" 2KB "));
    QCOMPARE(naturalSizeText(QSize(640, 480)), QStringLiteral(" 640X480 Pixel "));
    QCOMPARE(naturalSizeText(QSize()), QStringLiteral(" 0X0 Pixel "));
    const QDateTime when(QDate(2002, 10, 10), QTime(15, 44, 5));
    QCOMPARE(modifiedText(when, QLocale::c()), QStringLiteral(" 2002/10/10 15:44:05 "));
}

void TestViewerLogic::fit_data()
{
    QTest::addColumn<QSizeF>("natural");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<bool>("reduced");
    QTest::addColumn<QRect>("pixels");
    // Area 800 x 600 throughout.
    QTest::newRow("wide") << QSizeF(3000, 1000) << 0.f << 166.66667f << 800.f << 266.66667f << true
                          << QRect(0, 167, 800, 267);
    QTest::newRow("tall, both fits") << QSizeF(1000, 3000) << 300.f << 0.f << 200.f << 600.f << true
                                     << QRect(300, 0, 200, 600);
    QTest::newRow("exactly the area") << QSizeF(800, 600) << 0.f << 0.f << 800.f << 600.f << false
                                      << QRect(0, 0, 800, 600);
    QTest::newRow("small, centred") << QSizeF(100, 50) << 350.f << 275.f << 100.f << 50.f << false
                                    << QRect(350, 275, 100, 50);
    QTest::newRow("one pixel too wide") << QSizeF(801, 600) << 0.f << 0.37451f << 800.f << 599.25098f << true
                                        << QRect(0, 0, 800, 599);
    QTest::newRow("one pixel too tall") << QSizeF(800, 601) << 0.66556f << 0.f << 798.66889f << 600.f << true
                                        << QRect(1, 0, 799, 600);
    QTest::newRow("half pixel to even") << QSizeF(101, 51) << 349.5f << 274.5f << 101.f << 51.f << false
                                        << QRect(350, 274, 101, 51);
    QTest::newRow("empty picture") << QSizeF(0, 0) << 400.f << 300.f << 0.f << 0.f << false
                                   << QRect(400, 300, 0, 0);
}

void TestViewerLogic::fit()
{
    QFETCH(QSizeF, natural);
    QFETCH(float, left);
    QFETCH(float, top);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(bool, reduced);
    QFETCH(QRect, pixels);
    const Fit f = fitToArea(float(natural.width()), float(natural.height()), 800.f, 600.f);
    QCOMPARE(f.left, left);
    QCOMPARE(f.top, top);
    QCOMPARE(f.width, width);
    QCOMPARE(f.height, height);
    QCOMPARE(f.reduced, reduced);
    QCOMPARE(toPixels(f), pixels);
    // Whatever happened, the picture lies inside the area.
    QVERIFY(QRect(0, 0, 800, 600).contains(toPixels(f)) || toPixels(f).isEmpty());
}

void TestViewerLogic::slideInterval_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("ms");
    QTest::newRow("negative") << -5 << 1000;
    QTest::newRow("zero") << 0 << 1000;
    QTest::newRow("one") << 1 << 1000;
    QTest::newRow("three") << 3 << 3000;
    QTest::newRow("32") << 32 << 32000;
    QTest::newRow("33") << 33 << 32000;
    QTest::newRow("int16 max") << 32767 << 32000;
}

void TestViewerLogic::slideInterval()
{
    QFETCH(int, seconds);
    QFETCH(int, ms);
    QCOMPARE(slideIntervalMs(seconds), ms);
}

// Steps that pause (Space, clicks) or stop (toolbar) the slideshow, from every edge.
enum class Op { First, Previous, Next, Last, Forward, Back };
Q_DECLARE_METATYPE(Op)

static bool apply(ViewerStepper& s, Op op, int count)
{
    switch (op) {
    case Op::First:
        return s.first(count);
    case Op::Previous:
        return s.previous(count);
    case Op::Next:
        return s.next(count);
    case Op::Last:
        return s.last(count);
    case Op::Forward:
        return s.forward(count);
    case Op::Back:
        return s.back(count);
    }
    return false;
}

void TestViewerLogic::stepping_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<bool>("show");

    QTest::newRow("next in the middle") << Op::Next << 1 << 4 << 2 << true;
    QTest::newRow("next at last") << Op::Next << 3 << 4 << 3 << false;
    QTest::newRow("Space at last") << Op::Forward << 3 << 4 << 3 << false;
    QTest::newRow("Space before last") << Op::Forward << 2 << 4 << 3 << true;
    QTest::newRow("previous at first") << Op::Previous << 0 << 4 << 0 << false;
    QTest::newRow("Shift+Space at first") << Op::Back << 0 << 4 << 0 << false;
    QTest::newRow("Shift+Space in the middle") << Op::Back << 2 << 4 << 1 << true;
    QTest::newRow("first at first") << Op::First << 0 << 4 << 0 << false;
    QTest::newRow("first from the middle") << Op::First << 2 << 4 << 0 << true;
    QTest::newRow("last at last") << Op::Last << 3 << 4 << 3 << false;
    QTest::newRow("last from the first") << Op::Last << 0 << 4 << 3 << true;
    QTest::newRow("one entry, next") << Op::Next << 0 << 1 << 0 << false;
    QTest::newRow("one entry, back") << Op::Back << 0 << 1 << 0 << false;
    QTest::newRow("one entry, last") << Op::Last << 0 << 1 << 0 << false;
    // The list shrank behind the viewer (files moved away on the board).
    QTest::newRow("next past a shrunk list") << Op::Next << 7 << 4 << 3 << false;
    QTest::newRow("last past a shrunk list") << Op::Last << 7 << 4 << 3 << false;
    QTest::newRow("back past a shrunk list") << Op::Back << 7 << 4 << 6 << true;
    // An empty list never leaves index 0.
    QTest::newRow("empty, next") << Op::Next << 0 << 0 << 0 << false;
    QTest::newRow("empty, last") << Op::Last << 0 << 0 << 0 << false;
    QTest::newRow("empty, Space") << Op::Forward << 0 << 0 << 0 << false;
}

void TestViewerLogic::stepping()
{
    QFETCH(Op, op);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(int, expectedIndex);
    QFETCH(bool, show);
    Module1 m;
    m.ViewerIndex = index;
    ViewerStepper s(m);
    QCOMPARE(apply(s, op, count), show);
    QCOMPARE(m.ViewerIndex, expectedIndex);
}

void TestViewerLogic::toolbarStepsStopTheSlideshow_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<bool>("stops"); // false: only pauses
    QTest::newRow("first") << Op::First << true;
    QTest::newRow("previous") << Op::Previous << true;
    QTest::newRow("next") << Op::Next << true;
    QTest::newRow("last") << Op::Last << true;
    QTest::newRow("Space") << Op::Forward << false;
    QTest::newRow("Shift+Space") << Op::Back << false;
}

void TestViewerLogic::toolbarStepsStopTheSlideshow()
{
    QFETCH(Op, op);
    QFETCH(bool, stops);
    Module1 m;
    m.SlideSeconds = 2;
    m.ViewerIndex = 1;
    ViewerStepper s(m);
    s.slideButton(4);
    QCOMPARE(s.interval(), 2000);
    apply(s, op, 4);
    QCOMPARE(s.interval(), 0);
    QCOMPARE(m.SlideRunning, int16_t(stops ? 0 : 1));
    QCOMPARE(s.slideIcon(), stops ? 5 : 8);
    QCOMPARE(s.optionsEnabled(), stops);
}

void TestViewerLogic::nonRepeatingShowStopsAfterLast()
{
    Module1 m;
    m.SlideSeconds = 1;
    m.SlideRepeat = 0;
    m.ViewerIndex = 2;
    ViewerStepper s(m);
    s.slideButton(4);
    QCOMPARE(m.ViewerIndex, 2); // starting shows nothing at once
    QCOMPARE(s.tick(4), ViewerStepper::Tick::Show);
    QCOMPARE(m.ViewerIndex, 3);
    QCOMPARE(s.tick(4), ViewerStepper::Tick::Stop);
    QCOMPARE(m.ViewerIndex, 3);
    s.stopSlideshow();
    QCOMPARE(s.tick(4), ViewerStepper::Tick::Nothing);
    QCOMPARE(m.ViewerIndex, 3);
    QCOMPARE(m.SlideRunning, int16_t(0));
}

void TestViewerLogic::repeatingShowWrapsAtLast()
{
    Module1 m;
    m.SlideSeconds = 1;
    m.SlideRepeat = 1;
    m.ViewerIndex = 3;
    ViewerStepper s(m);
    s.slideButton(4);
    QCOMPARE(s.tick(4), ViewerStepper::Tick::Show);
    QCOMPARE(m.ViewerIndex, 0);
    QCOMPARE(s.interval(), 1000);
}

void TestViewerLogic::pauseKeepsToolbarThenButtonStopsAndRestarts()
{
    Module1 m;
    m.SlideSeconds = 3;
    m.ViewerIndex = 0;
    ViewerStepper s(m);
    s.slideButton(4);
    QVERIFY(s.forward(4));
    QCOMPARE(s.interval(), 0);
    QCOMPARE(s.tick(4), ViewerStepper::Tick::Nothing);
    QCOMPARE(m.ViewerIndex, 1);
    QCOMPARE(m.SlideRunning, int16_t(1));
    QCOMPARE(s.slideIcon(), 8);
    QVERIFY(!s.optionsEnabled());
    s.slideButton(4); // paused -> stopped
    QCOMPARE(m.SlideRunning, int16_t(0));
    QCOMPARE(s.slideIcon(), 5);
    QVERIFY(s.optionsEnabled());
    QCOMPARE(s.interval(), 0);
    m.SlideSeconds = 5; // read at the start only
    s.slideButton(4);
    QCOMPARE(s.interval(), 5000);
    QCOMPARE(m.SlideRunning, int16_t(1));
}

void TestViewerLogic::survivingSlideRunningOnlyResets()
{
    Module1 m;
    m.SlideSeconds = 1;
    m.SlideRunning = 1; // left by a viewer closed during its slideshow
    ViewerStepper s(m);
    QCOMPARE(s.interval(), 0);
    QCOMPARE(s.slideIcon(), 5);
    QVERIFY(s.optionsEnabled());
    s.slideButton(4);
    QCOMPARE(m.SlideRunning, int16_t(0));
    QCOMPARE(s.interval(), 0);
    s.slideButton(4);
    QCOMPARE(m.SlideRunning, int16_t(1));
    QCOMPARE(s.interval(), 1000);
}

void TestViewerLogic::startPastTheEndClampsAndStops()
{
    Module1 m;
    m.SlideSeconds = 1;
    m.ViewerIndex = 9;
    ViewerStepper s(m);
    s.slideButton(4);
    QCOMPARE(m.ViewerIndex, 3);
    QCOMPARE(m.SlideRunning, int16_t(0));
    QCOMPARE(s.interval(), 0);
}

void TestViewerLogic::repeatIsReadAtEveryTick()
{
    Module1 m;
    m.SlideSeconds = 1;
    m.SlideRepeat = 0;
    m.ViewerIndex = 2;
    ViewerStepper s(m);
    s.slideButton(3);
    m.SlideRepeat = 1;
    QCOMPARE(s.tick(3), ViewerStepper::Tick::Show);
    QCOMPARE(m.ViewerIndex, 0);
}

QTEST_GUILESS_MAIN(TestViewerLogic)
#include "tst_viewerlogic.moc"
