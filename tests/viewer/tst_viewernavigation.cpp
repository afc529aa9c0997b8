#include "ViewerFixture.h"
#include "board/BoardWidgets.h"
#include <QPushButton>

// Whether a step displayed: every display clears panel 6 first, so a mark left there
// survives exactly the steps that display nothing.
static const QString kMark = QStringLiteral("mark");

class TestViewerNavigation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void steps_data();
    void steps();
    void oneEntryNeverMoves();
    void nonRepeatingShowStopsAfterTheLast();
    void repeatingShowWrapsToTheFirst();
    void spacePausesThenButtonStopsAndRestarts();
    void clickPausesLikeSpace();
    void intervalFromSettings_data();
    void intervalFromSettings();
    void optionsDisabledWhileRunning();
    void slideRunningSurvivesClose();
    void closeRestoresStartButton_data();
    void closeRestoresStartButton();
    void onePointClickCloses_data();
    void onePointClickCloses();
    void onePointSpaceSteps();
    void onePointSwitchesToAnotherPicture();
    void openRequestOnlyBringsForward();
    void fullRequestTurnsOnePointIntoFullViewer();

private:
    Form4* openOn(int index, int16_t mode = 0);
    std::unique_ptr<ViewerFixture> f;
    static constexpr int kFiles = 4;
};

void TestViewerNavigation::init()
{
    f = std::make_unique<ViewerFixture>();
    for (int i = 0; i < kFiles; ++i)
        QVERIFY(ViewerFixture::writeJpeg(f->inFolder(QStringLiteral("p%1.jpg").arg(i)), QSize(64, 48)));
    f->m.SlideSeconds = 1;
    f->openMain();
    QCOMPARE(f->form->File1->entryCount(), kFiles);
}

void TestViewerNavigation::cleanup() { f.reset(); }

Form4* TestViewerNavigation::openOn(int index, int16_t mode)
{
    Form4* v = f->open(index, mode);
    if (v)
        v->StatusBar1->setPanelText(6, kMark);
    return v;
}

static QString titleOf(int index)
{
    return QStringLiteral("ピラポくんViewer  p%1.jpg   (%2/4)").arg(index).arg(index + 1);
}

enum class Input { Space, ShiftSpace, CtrlSpace, Left, Right, Middle, B4, B5, B7, B8 };
Q_DECLARE_METATYPE(Input)

static void send(Form4* v, Input in)
{
    switch (in) {
    case Input::Space:
        QTest::keyClick(v, Qt::Key_Space);
        break;
    case Input::ShiftSpace:
        QTest::keyClick(v, Qt::Key_Space, Qt::ShiftModifier);
        break;
    case Input::CtrlSpace:
        QTest::keyClick(v, Qt::Key_Space, Qt::ControlModifier);
        break;
    case Input::Left:
        QTest::mouseClick(v->Image1, Qt::LeftButton);
        break;
    case Input::Right:
        QTest::mouseClick(v->Picture1, Qt::RightButton, {}, QPoint(2, 2));
        break;
    case Input::Middle:
        QTest::mouseClick(v->Image1, Qt::MiddleButton);
        break;
    // Called directly: at the edges these buttons are disabled, the handler must still hold.
    case Input::B4:
        v->Toolbar1_ButtonClick(4);
        break;
    case Input::B5:
        v->Toolbar1_ButtonClick(5);
        break;
    case Input::B7:
        v->Toolbar1_ButtonClick(7);
        break;
    case Input::B8:
        v->Toolbar1_ButtonClick(8);
        break;
    }
}

void TestViewerNavigation::steps_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<Input>("input");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("displays");

    QTest::newRow("last, Space") << 3 << Input::Space << 3 << false;
    QTest::newRow("last, left click") << 3 << Input::Left << 3 << false;
    QTest::newRow("last, button 7") << 3 << Input::B7 << 3 << false;
    QTest::newRow("last, button 8") << 3 << Input::B8 << 3 << false;
    QTest::newRow("first, Shift+Space") << 0 << Input::ShiftSpace << 0 << false;
    QTest::newRow("first, right click") << 0 << Input::Right << 0 << false;
    QTest::newRow("first, button 5") << 0 << Input::B5 << 0 << false;
    QTest::newRow("first, button 4") << 0 << Input::B4 << 0 << false;
    QTest::newRow("middle click") << 1 << Input::Middle << 1 << false;
    QTest::newRow("Ctrl+Space") << 1 << Input::CtrlSpace << 1 << false;
    QTest::newRow("Space") << 1 << Input::Space << 2 << true;
    QTest::newRow("Shift+Space") << 2 << Input::ShiftSpace << 1 << true;
    QTest::newRow("left click") << 1 << Input::Left << 2 << true;
    QTest::newRow("right click") << 2 << Input::Right << 1 << true;
    QTest::newRow("button 4") << 2 << Input::B4 << 0 << true;
    QTest::newRow("button 5") << 2 << Input::B5 << 1 << true;
    QTest::newRow("button 7") << 1 << Input::B7 << 2 << true;
    QTest::newRow("button 8") << 1 << Input::B8 << 3 << true;
}

void TestViewerNavigation::steps()
{
    QFETCH(int, start);
    QFETCH(Input, input);
    QFETCH(int, index);
    QFETCH(bool, displays);
    Form4* v = openOn(start);
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), titleOf(start));
    send(v, input);
    QCOMPARE(f->m.ViewerIndex, index);
    QCOMPARE(panel(v, 6) == kMark, !displays);
    QCOMPARE(v->windowTitle(), titleOf(index));
    QCOMPARE(f->m.ViewerFile, QStringLiteral("p%1.jpg").arg(index));
    QVERIFY(v->Image1->cursor().shape() != Qt::WaitCursor);
    QVERIFY(v->Picture1->cursor().shape() != Qt::WaitCursor);
}

void TestViewerNavigation::oneEntryNeverMoves()
{
    f->form.reset();
    for (int i = 1; i < kFiles; ++i)
        QVERIFY(QFile::remove(f->inFolder(QStringLiteral("p%1.jpg").arg(i))));
    f->openMain();
    Form4* v = openOn(0);
    QVERIFY(v);
    for (int b = 4; b <= 8; ++b)
        QVERIFY2(!v->ToolbarButtons[b]->isEnabled(), qPrintable(QString::number(b)));
    for (Input in : { Input::Space, Input::ShiftSpace, Input::Left, Input::Right, Input::B4, Input::B5, Input::B7,
             Input::B8 }) {
        send(v, in);
        QCOMPARE(f->m.ViewerIndex, 0);
        QCOMPARE(panel(v, 6), kMark);
    }
}

void TestViewerNavigation::nonRepeatingShowStopsAfterTheLast()
{
    f->m.SlideRepeat = 0;
    Form4* v = openOn(2);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QVERIFY(v->Timer1->isActive());
    QCOMPARE(f->m.ViewerIndex, 2);
    QCOMPARE(panel(v, 6), kMark); // starting shows nothing at once
    v->Timer1_Timer();
    QCOMPARE(f->m.ViewerIndex, 3);
    QCOMPARE(v->windowTitle(), titleOf(3));
    QVERIFY(v->Timer1->isActive());
    v->StatusBar1->setPanelText(6, kMark);
    v->Timer1_Timer();
    QCOMPARE(f->m.ViewerIndex, 3);
    QCOMPARE(panel(v, 6), kMark);
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(f->m.SlideRunning, int16_t(0));
    QCOMPARE(v->slideIcon(), 5);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());
}

void TestViewerNavigation::repeatingShowWrapsToTheFirst()
{
    f->m.SlideRepeat = 1;
    Form4* v = openOn(2);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    v->Timer1_Timer();
    QCOMPARE(f->m.ViewerIndex, 3);
    v->Timer1_Timer();
    QCOMPARE(f->m.ViewerIndex, 0);
    QCOMPARE(v->windowTitle(), titleOf(0));
    QVERIFY(v->Timer1->isActive());
    QCOMPARE(f->m.SlideRunning, int16_t(1));
}

void TestViewerNavigation::spacePausesThenButtonStopsAndRestarts()
{
    Form4* v = openOn(0);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QCOMPARE(v->slideIcon(), 8);
    QTest::keyClick(v, Qt::Key_Space);
    QCOMPARE(f->m.ViewerIndex, 1);
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(f->m.SlideRunning, int16_t(1));
    QCOMPARE(v->slideIcon(), 8);
    QVERIFY(!v->ToolbarButtons[1]->isEnabled());
    v->Timer1_Timer(); // a tick already queued does nothing once paused
    QCOMPARE(f->m.ViewerIndex, 1);

    v->ToolbarButtons[6]->trigger();
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(f->m.SlideRunning, int16_t(0));
    QCOMPARE(v->slideIcon(), 5);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());

    v->ToolbarButtons[6]->trigger();
    QVERIFY(v->Timer1->isActive());
    QCOMPARE(v->Timer1->interval(), 1000);
    QCOMPARE(f->m.SlideRunning, int16_t(1));
    QCOMPARE(v->slideIcon(), 8);
}

void TestViewerNavigation::clickPausesLikeSpace()
{
    Form4* v = openOn(1);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QTest::mouseClick(v->Picture1, Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(f->m.ViewerIndex, 0);
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(f->m.SlideRunning, int16_t(1));
    QCOMPARE(v->slideIcon(), 8);
    // A toolbar step ends the paused show.
    v->Toolbar1_ButtonClick(7);
    QCOMPARE(f->m.SlideRunning, int16_t(0));
    QCOMPARE(v->slideIcon(), 5);
}

void TestViewerNavigation::intervalFromSettings_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("ms");
    QTest::newRow("3 s") << 3 << 3000;
    QTest::newRow("0 from the file") << 0 << 1000;
    QTest::newRow("40 from the file") << 40 << 32000;
}

void TestViewerNavigation::intervalFromSettings()
{
    QFETCH(int, seconds);
    QFETCH(int, ms);
    f->m.SlideSeconds = int16_t(seconds);
    Form4* v = openOn(0);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QVERIFY(v->Timer1->isActive());
    QCOMPARE(v->Timer1->interval(), ms);
    f->m.SlideSeconds = 7; // read only when a show starts
    v->Timer1_Timer();
    QCOMPARE(v->Timer1->interval(), ms);
}

void TestViewerNavigation::optionsDisabledWhileRunning()
{
    Form4* v = openOn(0);
    QVERIFY(v);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());
    v->Toolbar1_ButtonClick(6);
    QVERIFY(!v->ToolbarButtons[1]->isEnabled());
    v->Toolbar1_ButtonClick(4);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());
}

void TestViewerNavigation::slideRunningSurvivesClose()
{
    Form4* v = openOn(0);
    QVERIFY(v);
    v->Toolbar1_ButtonClick(6);
    QPointer<Form4> old(v);
    v->ToolbarButtons[2]->trigger(); // "終了"
    QVERIFY(!f->form->form4);
    QCOMPARE(f->m.SlideRunning, int16_t(1));
    QCOMPARE(f->m.ViewerMode, int16_t(0));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!old);

    v = openOn(0);
    QVERIFY(v);
    QVERIFY(!v->Timer1->isActive());
    QCOMPARE(v->slideIcon(), 5);
    QVERIFY(v->ToolbarButtons[1]->isEnabled());
    v->Toolbar1_ButtonClick(6); // only resets
    QCOMPARE(f->m.SlideRunning, int16_t(0));
    QVERIFY(!v->Timer1->isActive());
    v->Toolbar1_ButtonClick(6);
    QCOMPARE(f->m.SlideRunning, int16_t(1));
    QVERIFY(v->Timer1->isActive());
}

void TestViewerNavigation::closeRestoresStartButton_data()
{
    QTest::addColumn<bool>("onBoard");
    QTest::newRow("folder screen") << false;
    QTest::newRow("board") << true;
}

void TestViewerNavigation::closeRestoresStartButton()
{
    QFETCH(bool, onBoard);
    Form1* main = f->form.get();
    if (onBoard) {
        main->Picture1->show();
        main->Command1->hide();
    }
    QVERIFY(main->onBoard() == onBoard);
    Form4* v = openOn(0);
    QVERIFY(v);
    main->Command1->setEnabled(false); // as the about box leaves it
    v->close();
    QVERIFY(main->Command1->isEnabled());
    QCOMPARE(main->Command1->isHidden(), onBoard);
}

void TestViewerNavigation::onePointClickCloses_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("onImage");
    QTest::newRow("left on the picture") << Qt::LeftButton << true;
    QTest::newRow("right on the picture") << Qt::RightButton << true;
    QTest::newRow("middle on the area") << Qt::MiddleButton << false;
}

void TestViewerNavigation::onePointClickCloses()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, onImage);
    Form4* v = openOn(2, 1);
    QVERIFY(v);
    QVERIFY(v->isVisible());
    QVERIFY(v->Toolbar1->isHidden());
    QCOMPARE(v->Picture1->toolTip(), Form4::onePointTip());
    QCOMPARE(v->Image1->toolTip(), Form4::onePointTip());
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer（ワンポイントViewer）  p2.jpg   (3/4)"));

    QPointer<Form4> guard(v);
    if (onImage)
        QTest::mouseClick(v->Image1, button);
    else
        QTest::mouseClick(v->Picture1, button, {}, QPoint(2, 2));
    QCOMPARE(f->m.ViewerMode, int16_t(0));
    QCOMPARE(f->m.ViewerIndex, 2);
    QVERIFY(!f->form->form4);
    QVERIFY(guard);
    QVERIFY(!guard->isVisible());
    QVERIFY(!guard->Toolbar1->isHidden());
    QCOMPARE(guard->Picture1->toolTip(), Form4::normalTip());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);

    // The next full viewer has its toolbar.
    v = openOn(0);
    QVERIFY(v);
    QVERIFY(!v->Toolbar1->isHidden());
    QCOMPARE(v->windowTitle(), titleOf(0));
}

void TestViewerNavigation::onePointSpaceSteps()
{
    Form4* v = openOn(1, 1);
    QVERIFY(v);
    QTest::keyClick(v, Qt::Key_Space);
    QCOMPARE(f->m.ViewerIndex, 2);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer（ワンポイントViewer）  p2.jpg   (3/4)"));
    QVERIFY(v->isVisible());
}

void TestViewerNavigation::onePointSwitchesToAnotherPicture()
{
    Form4* v = openOn(0, 1);
    QVERIFY(v);
    Form4* again = openOn(3, 1);
    QCOMPARE(again, v);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer（ワンポイントViewer）  p3.jpg   (4/4)"));
    QVERIFY(v->Toolbar1->isHidden());
}

void TestViewerNavigation::openRequestOnlyBringsForward()
{
    Form4* v = openOn(1);
    QVERIFY(v);
    Form4* again = openOn(2);
    QCOMPARE(again, v);
    QCOMPARE(v->windowTitle(), titleOf(1)); // the new position counts from the next step
    QCOMPARE(panel(v, 6), kMark);
    QTest::keyClick(v, Qt::Key_Space);
    QCOMPARE(f->m.ViewerIndex, 3);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  p3.jpg   (4/4)"));
}

void TestViewerNavigation::fullRequestTurnsOnePointIntoFullViewer()
{
    Form4* v = openOn(0, 1);
    QVERIFY(v);
    Form4* again = openOn(2);
    QCOMPARE(again, v);
    QVERIFY(!v->Toolbar1->isHidden());
    QCOMPARE(v->Picture1->toolTip(), Form4::normalTip());
    QCOMPARE(v->windowTitle(), titleOf(2));
    QTest::mouseClick(v->Image1, Qt::LeftButton); // steps now, no longer closes
    QVERIFY(f->form->form4);
    QCOMPARE(f->m.ViewerIndex, 3);
}

QTEST_MAIN(TestViewerNavigation)
#include "tst_viewernavigation.moc"
