// The viewer on a throw-away tree: fitting, stepping, the slideshow, the one-point
// mode, what each kind of failure shows, and the pictures prepared ahead.
#include "../SessionFixture.h"
#include "platform/PictureBox.h"
#include "platform/PictureLoader.h"
#include "platform/StatusBar.h"
#include "viewer/PicturePrefetch.h"
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

using Hostile::Format;

namespace {

const QString kMissing = QStringLiteral("ファイルが見つかりません。");
const QString kMark = QStringLiteral("mark"); // every display clears panel 6: a mark left there means none

QString panel(Form4* v, int i) { return v->StatusBar1->panelText(i); }

QString titleOf(const QString& name, int index, int count, bool onePoint = false)
{
    return QStringLiteral("ピラポくんViewer%1  %2   (%3/%4)")
        .arg(onePoint ? QStringLiteral("（ワンポイントViewer）") : QString(), name)
        .arg(index + 1)
        .arg(count);
}
QString titleOf(int i, bool onePoint = false) { return titleOf(QStringLiteral("p%1.jpg").arg(i), i, 4, onePoint); }

QColor colourOf(int i) { return QColor::fromHsv((i * 53) % 360, 255, 230); }

bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

// A plain picture in one colour; the format follows the name.
bool writePicture(const QString& path, QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img.save(path, nullptr, 60);
}

// Resizes so that the picture area is exactly `area` (toolbar and status bar take 40 pixels).
void setArea(Form4* v, QSize area)
{
    v->resize(area.width(), area.height() + 40);
    QCOMPARE(v->Picture1->size(), area);
}

// Keys and clicks as the user gives them; a number is a toolbar button, called directly
// because at the edges the button is disabled and its handler must still hold.
void send(Form4* v, const QString& input)
{
    if (input == QLatin1String("Space"))
        QTest::keyClick(v, Qt::Key_Space);
    else if (input == QLatin1String("Shift+Space"))
        QTest::keyClick(v, Qt::Key_Space, Qt::ShiftModifier);
    else if (input == QLatin1String("Ctrl+Space"))
        QTest::keyClick(v, Qt::Key_Space, Qt::ControlModifier);
    else if (input == QLatin1String("left"))
        QTest::mouseClick(v->Image1, Qt::LeftButton);
    else if (input == QLatin1String("right"))
        QTest::mouseClick(v->Picture1, Qt::RightButton, {}, QPoint(2, 2));
    else if (input == QLatin1String("middle"))
        QTest::mouseClick(v->Image1, Qt::MiddleButton);
    else
        v->Toolbar1_ButtonClick(input.toInt());
}

struct ViewerSession : SessionFixture {
    // p0.jpg .. p3.jpg, each in its own colour, listed by the main window.
    bool openOnFour()
    {
        for (int i = 0; i < 4; ++i)
            if (!writePicture(src(QStringLiteral("p%1.jpg").arg(i)), QSize(64, 48), colourOf(i)))
                return false;
        return open();
    }
    Form4* show(int index, int16_t mode = 0)
    {
        session.viewerIndex = index;
        session.viewerFile = folder.name(index);
        settings.viewerMode = mode;
        if (mode == 1)
            form->ShowOnePointViewer();
        else
            form->ShowViewer();
        if (Form4* v = viewer())
            v->StatusBar1->setPanelText(6, kMark);
        return viewer();
    }
    QString path(int i) const { return folder.filePath(i); }
};

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
private slots:
    void kilobytes()
    {
        // Rounded up, and no overflow past 2 GB.
        const qint64 lengths[][2] = { { 0, 0 }, { 1, 1 }, { 1024, 1 }, { 1025, 2 }, { 5368709121, 5242881 } };
        for (const auto& l : lengths)
            QCOMPARE(ViewerLogic::kilobytes(l[0]), l[1]);
        QCOMPARE(ViewerLogic::joinPath(QStringLiteral("/"), QStringLiteral("a.jpg")), QStringLiteral("/a.jpg"));
    }

    void fitsAndCentres_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QRect>("geometry"); // in an area of 800 x 600
        QTest::addColumn<bool>("reduced");
        QTest::newRow("wide") << QSize(3000, 1000) << QRect(0, 167, 800, 267) << true;
        QTest::newRow("tall") << QSize(1000, 3000) << QRect(300, 0, 200, 600) << true;
        QTest::newRow("exactly the area") << QSize(800, 600) << QRect(0, 0, 800, 600) << false;
        QTest::newRow("small, centred") << QSize(100, 50) << QRect(350, 275, 100, 50) << false;
        QTest::newRow("one pixel too wide") << QSize(801, 600) << QRect(0, 0, 800, 599) << true;
        QTest::newRow("one pixel too tall") << QSize(800, 601) << QRect(1, 0, 799, 600) << true;
        QTest::newRow("half pixel to even") << QSize(101, 51) << QRect(350, 274, 101, 51) << false;
    }
    void fitsAndCentres()
    {
        QFETCH(QSize, natural);
        QFETCH(QRect, geometry);
        QFETCH(bool, reduced);
        ViewerSession s;
        QVERIFY(writePicture(s.src(QStringLiteral("pic.jpg")), natural, Qt::darkCyan));
        QVERIFY(s.open());
        Form4* v = s.show(0);
        QVERIFY(v);
        setArea(v, QSize(800, 600)); // the resize displays again
        QCOMPARE(v->Image1->geometry(), geometry);
        QVERIFY(v->Image1->isVisible());
        QCOMPARE(v->Image1->stretch(), reduced);
        QCOMPARE(panel(v, 6), reduced ? QStringLiteral(" 縮小表示中 ") : QString());
        QCOMPARE(panel(v, 3), QStringLiteral(" %1X%2 Pixel ").arg(natural.width()).arg(natural.height()));
        const QFileInfo info(s.src(QStringLiteral("pic.jpg")));
        QCOMPARE(panel(v, 1), " " + s.settings.sourceFolder + " ");
        QCOMPARE(panel(v, 2), QStringLiteral(" pic.jpg "));
        QCOMPARE(panel(v, 4), QStringLiteral(" %1KB ").arg((info.size() + 1023) / 1024));
        QCOMPARE(panel(v, 5), ViewerLogic::modifiedText(info.lastModified()));
        // Decoded no larger than it is shown.
        QVERIFY(v->Image1->pixmap().width() <= geometry.width() + 1);
        QVERIFY(v->Image1->pixmap().height() <= geometry.height() + 1);
    }

    void steps_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("displays");
        QTest::newRow("last, Space") << 3 << "Space" << 3 << false;
        QTest::newRow("last, left click") << 3 << "left" << 3 << false;
        QTest::newRow("last, button 7") << 3 << "7" << 3 << false;
        QTest::newRow("first, Shift+Space") << 0 << "Shift+Space" << 0 << false;
        QTest::newRow("first, right click") << 0 << "right" << 0 << false;
        QTest::newRow("first, button 5") << 0 << "5" << 0 << false;
        QTest::newRow("middle click") << 1 << "middle" << 1 << false;
        QTest::newRow("Ctrl+Space") << 1 << "Ctrl+Space" << 1 << false;
        QTest::newRow("Space") << 1 << "Space" << 2 << true;
        QTest::newRow("button 4, first") << 2 << "4" << 0 << true;
        QTest::newRow("button 8, last") << 1 << "8" << 3 << true;
    }
    void steps()
    {
        QFETCH(int, start);
        QFETCH(QString, input);
        QFETCH(int, index);
        QFETCH(bool, displays);
        ViewerSession s;
        QVERIFY(s.openOnFour());
        Form4* v = s.show(start);
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), titleOf(start));
        send(v, input);
        QCOMPARE(s.session.viewerIndex, index);
        QCOMPARE(panel(v, 6) == kMark, !displays);
        QCOMPARE(v->windowTitle(), titleOf(index));
        QCOMPARE(s.session.viewerFile, QStringLiteral("p%1.jpg").arg(index));
        QVERIFY(v->Image1->cursor().shape() != Qt::WaitCursor);
        // Back buttons (first, previous) and forward ones (show, next, last) follow the position.
        for (int b : { 4, 5 })
            QCOMPARE(v->ToolbarButtons[b]->isEnabled(), index > 0);
        for (int b : { 6, 7, 8 })
            QCOMPARE(v->ToolbarButtons[b]->isEnabled(), index < 3);
    }

    void slideshow_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once, 3 s") << 3 << 3000 << false;
        QTest::newRow("repeating, 0 s") << 0 << 1000 << true;
        QTest::newRow("repeating, 40 s") << 40 << 32000 << true;
    }

    // The clock is driven by hand: each Timer1_Timer() is one tick.
    void slideshow()
    {
        QFETCH(int, seconds);
        QFETCH(int, ms);
        QFETCH(bool, repeat);
        ViewerSession s;
        QVERIFY(s.openOnFour());
        s.settings.slideSeconds = int16_t(seconds);
        s.session.slideRepeat = !repeat;
        Form4* v = s.show(2);
        QVERIFY(v);
        v->Toolbar1_ButtonClick(6);
        QVERIFY(v->Timer1->isActive());
        QCOMPARE(v->Timer1->interval(), ms);
        QCOMPARE(s.session.viewerIndex, 2);
        QCOMPARE(panel(v, 6), kMark); // starting shows nothing at once
        QCOMPARE(v->slideIcon(), 8);
        QVERIFY(!v->ToolbarButtons[1]->isEnabled()); // no options while it runs
        s.settings.slideSeconds = 7; // read when a show starts only
        s.session.slideRepeat = repeat; // read at every tick
        v->Timer1_Timer();
        QCOMPARE(s.session.viewerIndex, 3);
        QCOMPARE(v->windowTitle(), titleOf(3));
        QCOMPARE(v->Timer1->interval(), ms);
        v->StatusBar1->setPanelText(6, kMark);
        v->Timer1_Timer();
        QCOMPARE(s.session.viewerIndex, repeat ? 0 : 3);
        QCOMPARE(panel(v, 6) == kMark, !repeat);
        QCOMPARE(v->Timer1->isActive(), repeat);
        QCOMPARE(s.session.slideRunning, int16_t(repeat));
        QCOMPARE(v->slideIcon(), repeat ? 8 : 5);
        QCOMPARE(v->ToolbarButtons[1]->isEnabled(), !repeat);
    }

    void interruptions_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("stops"); // false: pauses, the show stays on
        QTest::newRow("Space") << "Space" << 2 << false;
        QTest::newRow("Shift+Space") << "Shift+Space" << 0 << false;
        QTest::newRow("left click") << "left" << 2 << false;
        QTest::newRow("right click") << "right" << 0 << false;
        QTest::newRow("button 4") << "4" << 0 << true;
        QTest::newRow("button 5") << "5" << 0 << true;
        QTest::newRow("button 7") << "7" << 2 << true;
        QTest::newRow("button 8") << "8" << 3 << true;
    }
    void interruptions()
    {
        QFETCH(QString, input);
        QFETCH(int, index);
        QFETCH(bool, stops);
        ViewerSession s;
        QVERIFY(s.openOnFour());
        Form4* v = s.show(1);
        QVERIFY(v);
        v->Toolbar1_ButtonClick(6);
        send(v, input);
        QCOMPARE(s.session.viewerIndex, index);
        QCOMPARE(v->windowTitle(), titleOf(index));
        QVERIFY(!v->Timer1->isActive());
        QCOMPARE(s.session.slideRunning, int16_t(!stops));
        QCOMPARE(v->slideIcon(), stops ? 5 : 8);
        QCOMPARE(v->ToolbarButtons[1]->isEnabled(), stops);
        v->Timer1_Timer(); // a tick already queued does nothing
        QCOMPARE(s.session.viewerIndex, index);
        if (!stops) { // the button ends a paused show
            v->ToolbarButtons[6]->trigger();
            QCOMPARE(s.session.slideRunning, int16_t(0));
            QCOMPARE(v->slideIcon(), 5);
            QVERIFY(v->ToolbarButtons[1]->isEnabled());
            QVERIFY(!v->Timer1->isActive());
        }
        if (index < 3) {
            v->ToolbarButtons[6]->trigger();
            QVERIFY(v->Timer1->isActive());
            QCOMPARE(s.session.slideRunning, int16_t(1));
            QCOMPARE(v->slideIcon(), 8);
        }
    }

    void closeKeepsShowFlagAndFreesStart_data()
    {
        QTest::addColumn<bool>("onBoard");
        QTest::newRow("folder screen") << false;
        QTest::newRow("board") << true;
    }
    void closeKeepsShowFlagAndFreesStart()
    {
        QFETCH(bool, onBoard);
        ViewerSession s;
        QVERIFY(s.openOnFour());
        if (onBoard)
            QVERIFY(s.build());
        Form4* v = s.show(0);
        QVERIFY(v);
        v->Toolbar1_ButtonClick(6);
        s.form->folderPage().startButton()->setEnabled(false); // as the about box leaves it
        QPointer<Form4> old(v);
        v->ToolbarButtons[2]->trigger(); // "終了"
        QVERIFY(!s.form->form4);
        QVERIFY(s.form->folderPage().startButton()->isEnabled());
        QCOMPARE(s.form->folderPage().startButton()->isVisible(), !onBoard);
        QCOMPARE(s.session.slideRunning, int16_t(1));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!old);

        // The next viewer starts stopped; its first press only clears the flag left over.
        v = s.show(0);
        QVERIFY(v);
        QVERIFY(!v->Timer1->isActive());
        QCOMPARE(v->slideIcon(), 5);
        QVERIFY(v->ToolbarButtons[1]->isEnabled());
        v->Toolbar1_ButtonClick(6);
        QCOMPARE(s.session.slideRunning, int16_t(0));
        QVERIFY(!v->Timer1->isActive());
        v->Toolbar1_ButtonClick(6);
        QCOMPARE(s.session.slideRunning, int16_t(1));
        QVERIFY(v->Timer1->isActive());
    }

    void onePoint_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("onImage");
        QTest::newRow("left on the picture") << Qt::LeftButton << true;
        QTest::newRow("right on the picture") << Qt::RightButton << true;
        QTest::newRow("middle on the area") << Qt::MiddleButton << false;
    }
    void onePoint()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, onImage);
        ViewerSession s;
        QVERIFY(s.openOnFour());
        Form4* v = s.show(1, 1);
        QVERIFY(v);
        QVERIFY(v->isVisible());
        QVERIFY(v->Toolbar1->isHidden());
        QCOMPARE(v->windowTitle(), titleOf(1, true));
        QTest::keyClick(v, Qt::Key_Space);
        QCOMPARE(s.session.viewerIndex, 2);
        QCOMPARE(v->windowTitle(), titleOf(2, true));
        QCOMPARE(s.show(3, 1), v); // another picture in the same window
        QCOMPARE(v->windowTitle(), titleOf(3, true));
        QVERIFY(v->Toolbar1->isHidden());

        // Any click closes it.
        QPointer<Form4> guard(v);
        if (onImage)
            QTest::mouseClick(v->Image1, button);
        else
            QTest::mouseClick(v->Picture1, button, {}, QPoint(2, 2));
        QCOMPARE(s.settings.viewerMode, int16_t(0));
        QCOMPARE(s.session.viewerIndex, 3);
        QVERIFY(!s.form->form4);
        QVERIFY(guard && !guard->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!guard);

        v = s.show(0); // the next full viewer has its toolbar
        QVERIFY(v);
        QVERIFY(!v->Toolbar1->isHidden());
        QCOMPARE(v->windowTitle(), titleOf(0));
    }

    void openRequestsReuseTheWindow()
    {
        ViewerSession s;
        QVERIFY(s.openOnFour());
        Form4* v = s.show(0, 1);
        QVERIFY(v);
        // A full request turns the one-point viewer into the full one.
        QCOMPARE(s.show(2), v);
        QVERIFY(!v->Toolbar1->isHidden());
        QCOMPARE(v->Picture1->toolTip(), Form4::normalTip());
        QCOMPARE(v->windowTitle(), titleOf(2));
        QTest::mouseClick(v->Image1, Qt::LeftButton); // steps, no longer closes
        QVERIFY(s.form->form4);
        QCOMPARE(s.session.viewerIndex, 3);
        // A request to an open full viewer only brings it forward; the next step counts from there.
        QCOMPARE(s.show(1), v);
        QCOMPARE(v->windowTitle(), titleOf(3));
        QTest::keyClick(v, Qt::Key_Space);
        QCOMPARE(s.session.viewerIndex, 2);
        QCOMPARE(v->windowTitle(), titleOf(2));
    }

    void changedBetweenListingAndShowing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expect"); // missing, nothing, picture (64x48), fallback (Error.jpg), blank
        QTest::newRow("jpg deleted") << "b.jpg" << "deleted" << "missing";
        QTest::newRow("png deleted") << "b.png" << "deleted" << "missing";
        QTest::newRow("gif replaced by a folder") << "b.gif" << "folder" << "nothing";
        QTest::newRow("png replaced by a folder") << "b.png" << "folder" << "blank";
        QTest::newRow("bmp replaced by another picture") << "b.bmp" << "other" << "picture";
        QTest::newRow("png replaced by another picture") << "b.png" << "other" << "picture";
        // Only names ending exactly in .png or .PNG go to the PNG decoder; the picture loader reads PNG too.
        QTest::newRow("jpg replaced by a PNG") << "b.jpg" << "png inside" << "picture";
        QTest::newRow("png replaced by a JPEG") << "b.png" << "jpeg inside" << "blank";
        QTest::newRow("jpg made empty") << "b.jpg" << "empty" << "fallback";
        QTest::newRow("png made empty") << "b.png" << "empty" << "blank";
        QTest::newRow(".Png made garbage") << "b.Png" << "garbage" << "fallback";
        // More pixels than the viewer decodes, for a few bytes: refused from the header.
        QTest::newRow("png made a 16384 x 16384 bomb") << "b.png" << "bomb" << "fallback";
        QTest::newRow("jpg made garbage, no Error.jpg") << "b.jpg" << "garbage, no Error.jpg" << "blank";
    }
    void changedBetweenListingAndShowing()
    {
        QFETCH(QString, name);
        QFETCH(QString, change);
        QFETCH(QString, expect);
        SessionFixture s;
        const QString ext = name.section(u'.', -1);
        const Format format = ext == QLatin1String("png") ? Format::Png
            : ext == QLatin1String("gif")                 ? Format::Gif
            : ext == QLatin1String("bmp")                 ? Format::Bmp
                                                          : Format::Jpeg;
        QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
        QVERIFY(Hostile::write(s.src(name), Hostile::wellFormed(format, QSize(40, 30), 2)));
        QVERIFY(Hostile::write(s.src(QStringLiteral("c.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 3)));
        QVERIFY(s.open());
        Form4* v = s.openViewer(0);
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), titleOf(QStringLiteral("a.jpg"), 0, 3));

        const QString path = s.src(name);
        if (change == QLatin1String("deleted") || change == QLatin1String("folder"))
            QVERIFY(QFile::remove(path));
        if (change == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (change == QLatin1String("other"))
            QVERIFY(Hostile::write(path, Hostile::wellFormed(format, QSize(64, 48), 7)));
        else if (change == QLatin1String("png inside"))
            QVERIFY(Hostile::write(path, Hostile::wellFormed(Format::Png, QSize(64, 48), 7)));
        else if (change == QLatin1String("jpeg inside"))
            QVERIFY(Hostile::write(path, Hostile::wellFormed(Format::Jpeg, QSize(64, 48), 7)));
        else if (change == QLatin1String("empty"))
            QVERIFY(Hostile::write(path, QByteArray()));
        else if (change == QLatin1String("bomb"))
            QVERIFY(Hostile::write(path, Hostile::claimingSize(format, QSize(16384, 16384), 7)));
        else if (change.startsWith(QLatin1String("garbage")))
            QVERIFY(Hostile::write(path, QByteArray(2000, 'x')));
        if (change.endsWith(QLatin1String("no Error.jpg")))
            QVERIFY(QFile::remove(QDir(s.session.programFolder()).filePath(QStringLiteral("Error.jpg"))));
        const auto before = s.files();

        v->Form_KeyDown(Qt::Key_Space, Qt::NoModifier); // Space
        QCOMPARE(s.session.viewerIndex, 1);
        if (expect == QLatin1String("missing")) {
            QCOMPARE(s.messages(), QStringList { kMissing });
            QCOMPARE(s.boxes->seen.first().title, QStringLiteral("ピラポくんLumo"));
        } else {
            QVERIFY2(s.messages().isEmpty(), qPrintable(s.messages().join(u'\n')));
        }
        if (expect == QLatin1String("missing") || expect == QLatin1String("nothing")) {
            QVERIFY(v->Image1->isHidden()); // a folder is no picture: the display ends quietly
        } else {
            QCOMPARE(v->windowTitle(), titleOf(name, 1, 3));
            QCOMPARE(panel(v, 2), " " + name + " ");
            if (change != QLatin1String("folder"))
                QCOMPARE(panel(v, 4), QStringLiteral(" %1KB ").arg((QFileInfo(path).size() + 1023) / 1024));
            QVERIFY(!panel(v, 5).trimmed().isEmpty());
        }
        if (expect == QLatin1String("blank")) {
            QVERIFY(!v->Image1->hasPicture());
            QCOMPARE(panel(v, 3), QStringLiteral(" 0X0 Pixel "));
        } else if (expect == QLatin1String("fallback")) {
            QVERIFY(v->Image1->isVisible());
            QCOMPARE(v->Image1->naturalSize(), QSize(44, 33));
            QCOMPARE(panel(v, 3), QStringLiteral(" 44X33 Pixel ")); // the fallback's own size
        } else if (expect == QLatin1String("picture")) {
            QVERIFY(v->Image1->isVisible());
            QCOMPARE(v->Image1->naturalSize(), QSize(64, 48));
            QCOMPARE(panel(v, 3), QStringLiteral(" 64X48 Pixel "));
        }

        // The next step shows the next file as usual, and the files are as they were.
        const int shown = s.messages().size();
        v->Form_KeyDown(Qt::Key_Space, Qt::NoModifier);
        QCOMPARE(v->windowTitle(), titleOf(QStringLiteral("c.jpg"), 2, 3));
        QVERIFY(v->Image1->isVisible());
        QCOMPARE(v->Image1->naturalSize(), QSize(40, 30));
        QCOMPARE(s.messages().size(), shown);
        QCOMPARE(s.files(), before);
    }

    void missingFileAtOpenIsReportedOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("jpg") << QStringLiteral("gone.jpg");
        QTest::newRow("png") << QStringLiteral("gone.png");
    }

    // The window is fitted again once shown; the user is told once, not once per fitting.
    void missingFileAtOpenIsReportedOnce()
    {
        QFETCH(QString, name);
        SessionFixture s;
        QVERIFY(Hostile::write(
            s.src(name), Hostile::wellFormed(name.endsWith(QLatin1String("png")) ? Format::Png : Format::Jpeg)));
        QVERIFY(Hostile::write(s.src(QStringLiteral("z.jpg")), Hostile::wellFormed(Format::Jpeg)));
        QVERIFY(s.open());
        QVERIFY(QFile::remove(s.src(name)));
        Form4* v = s.openViewer(0);
        QVERIFY(v);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QCOMPARE(s.messages(), QStringList { kMissing });
        v->resize(v->width() - 40, v->height() - 30); // nor when resized while showing nothing
        v->resize(v->width() + 10, v->height() + 10);
        QCOMPARE(s.messages().size(), 1);
        // Stepping away and back is a new display of it, and reports it again.
        v->Form_KeyDown(Qt::Key_Space, Qt::NoModifier);
        QCOMPARE(v->windowTitle(), titleOf(QStringLiteral("z.jpg"), 1, 2));
        v->Form_KeyDown(Qt::Key_Space, Qt::ShiftModifier);
        QCOMPARE(s.messages().size(), 2);
    }

    void listEmptiedUnderAnOpenViewer()
    {
        SessionFixture s;
        QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg)));
        QVERIFY(Hostile::write(s.src(QStringLiteral("b.png")), Hostile::wellFormed(Format::Png)));
        QVERIFY(Hostile::write(s.src(QStringLiteral("c.gif")), Hostile::wellFormed(Format::Gif)));
        QVERIFY(s.build());
        Form4* v = s.openViewer(2);
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), titleOf(QStringLiteral("c.gif"), 2, 3));

        // Everything goes to the delete folder and the board is reloaded: the list is empty.
        s.form->mnuDel1_Click();
        s.form->mnuRL_Click();
        QCOMPARE(s.form->folder().count(), 0);

        // Every way of stepping on an empty list: no crash, a position inside the old bounds.
        for (Qt::KeyboardModifier shift : { Qt::NoModifier, Qt::ShiftModifier, Qt::NoModifier, Qt::ShiftModifier })
            v->Form_KeyDown(Qt::Key_Space, shift);
        for (int button : { 4, 5, 7, 8, 6, 6 })
            v->Toolbar1_ButtonClick(button);
        v->Picture1_MouseDown(Qt::LeftButton, {}, 5, 5);
        v->Picture1_MouseDown(Qt::RightButton, {}, 5, 5);
        s.session.slideRepeat = true;
        v->Toolbar1_ButtonClick(6);
        for (int i = 0; i < 3; ++i)
            v->Timer1_Timer();
        v->ShowImage();
        QVERIFY(s.session.viewerIndex >= 0 && s.session.viewerIndex <= 2);
        QCOMPARE(s.files().keys(), QStringList({ "dest10/a.jpg", "dest10/b.png", "dest10/c.gif" }));
        v->Toolbar1_ButtonClick(2);
        QVERIFY(!s.viewer());
    }

    void slideshowOverBrokenFiles()
    {
        SessionFixture s;
        QVERIFY(Hostile::write(s.src(QStringLiteral("00 good.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
        int n = 0;
        for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png }) {
            const QString ext = QLatin1String(Hostile::extension(f));
            QVERIFY(Hostile::write(s.src(QStringLiteral("%1 empty.%2").arg(++n).arg(ext)), QByteArray()));
            QVERIFY(Hostile::write(s.src(QStringLiteral("%1 cut.%2").arg(++n).arg(ext)), Hostile::truncated(f)));
            QVERIFY(Hostile::write(
                s.src(QStringLiteral("%1 huge.%2").arg(++n).arg(ext)), Hostile::claimingSize(f, QSize(60000, 60000))));
        }
        QVERIFY(Hostile::write(s.src(QStringLiteral("99 gone.jpg")), Hostile::wellFormed(Format::Jpeg)));
        QVERIFY(s.open());
        const int count = s.form->folder().count();
        QCOMPARE(count, 14);
        QVERIFY(QFile::remove(s.src(QStringLiteral("99 gone.jpg"))));
        const auto before = s.files();

        Form4* v = s.openViewer(0);
        QVERIFY(v);
        s.session.slideRepeat = true;
        v->Toolbar1_ButtonClick(6);
        for (int i = 0; i < 2 * count; ++i) { // twice round, tick by tick
            v->Timer1_Timer();
            QCOMPARE(s.session.viewerIndex, (i + 1) % count);
        }
        // Only the file that is gone was reported, once per round.
        QCOMPARE(s.messages(), QStringList(2, kMissing));
        QVERIFY(v->Timer1->isActive());
        QCOMPARE(s.files(), before);
    }

    void preparedStep_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("change"); // made to the file after it was prepared
        QTest::newRow("next, a PNG") << 7 << 3 << "";
        QTest::newRow("previous") << 5 << 1 << "";
        QTest::newRow("previous rewritten") << 5 << 1 << "rewritten";
        QTest::newRow("previous deleted") << 5 << 1 << "deleted";
        QTest::newRow("previous after a resize") << 5 << 1 << "resize";
    }
    void preparedStep()
    {
        QFETCH(int, button);
        QFETCH(int, shown);
        QFETCH(QString, change);
        ViewerSession s;
        for (int i = 0; i < 5; ++i)
            QVERIFY(writePicture(s.src(QString::asprintf(i == 3 ? "p%d.png" : "p%d.jpg", i)), QSize(640, 480), colourOf(i)));
        QVERIFY(s.open());
        Form4* v = s.show(2);
        QVERIFY(v);
        const QSize area = v->Picture1->size();
        QTRY_VERIFY(v->prefetch().isPrepared(s.path(1), area) && v->prefetch().isPrepared(s.path(3), area));

        QSize natural(640, 480), onScreen(640, 480);
        QColor colour = colourOf(shown);
        if (change == QLatin1String("rewritten")) {
            natural = onScreen = QSize(300, 400);
            colour = Qt::white;
            QVERIFY(writePicture(s.path(1), natural, colour));
            QFile file(s.path(1)); // a later time, whatever the clock's grain
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(3), QFileDevice::FileModificationTime));
        } else if (change == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(s.path(1)));
        } else if (change == QLatin1String("resize")) {
            setArea(v, QSize(320, 200));
            QVERIFY(!v->prefetch().isPrepared(s.path(1), area));
            QTRY_VERIFY(v->prefetch().isPrepared(s.path(1), QSize(320, 200)));
            onScreen = QSize(267, 200);
        }
        v->Toolbar1_ButtonClick(button);
        QCOMPARE(s.session.viewerIndex, shown);
        if (change == QLatin1String("deleted")) {
            QCOMPARE(s.messages(), QStringList { kMissing });
            QVERIFY(!v->Image1->isVisible());
            return;
        }
        QCOMPARE(v->windowTitle(), titleOf(s.form->folder().name(shown), shown, 5));
        QCOMPARE(panel(v, 3), QStringLiteral(" %1X%2 Pixel ").arg(natural.width()).arg(natural.height()));
        QVERIFY(v->Image1->isVisible());
        QCOMPARE(v->Image1->size(), onScreen);
        const QImage img = v->Image1->pixmap().toImage();
        const QColor centre = img.pixelColor(img.width() / 2, img.height() / 2);
        QVERIFY2(near(centre, colour), qPrintable(centre.name()));
        if (change == QLatin1String("resize"))
            QCOMPARE(v->Image1->pixmap().size(), onScreen); // decoded for the new area
    }

    void fiftyMegapixels()
    {
        // Over Qt's 128 MB limit when decoded whole: shown through reduced decoding,
        // both when displayed at once and when prepared ahead.
        ViewerSession s;
        {
            QImage big(8660, 5773, QImage::Format_Grayscale8);
            for (int y = 0; y < big.height(); ++y)
                memset(big.scanLine(y), (y / 97) % 2 ? 200 : 40, size_t(big.width()));
            QVERIFY(big.save(s.src(QStringLiteral("a_big.jpg")), "JPEG", 30));
            QVERIFY(QFile::copy(s.src(QStringLiteral("a_big.jpg")), s.src(QStringLiteral("b_big.jpg"))));
        }
        QVERIFY(s.open());
        Form4* v = s.show(0);
        QVERIFY(v);
        setArea(v, QSize(1280, 960));
        for (int step = 0; step < 2; ++step) {
            QVERIFY(v->Image1->hasPicture());
            QCOMPARE(panel(v, 3), QStringLiteral(" 8660X5773 Pixel "));
            QCOMPARE(panel(v, 6), QStringLiteral(" 縮小表示中 "));
            QCOMPARE(v->Image1->pixmap().size(), fitSize(QSize(8660, 5773), QSize(1280, 960)));
            if (step == 0) {
                QCOMPARE(v->lastDecodeBox(), QSize(1280, 960)); // the loader was asked for the area only
                QTRY_VERIFY_WITH_TIMEOUT(v->prefetch().isPrepared(s.path(1), QSize(1280, 960)), 30000);
                v->Toolbar1_ButtonClick(7);
                QCOMPARE(s.session.viewerIndex, 1);
            }
        }
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
