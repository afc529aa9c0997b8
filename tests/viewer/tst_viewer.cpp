// The viewer on a throw-away tree: fitting, stepping, the slideshow, the one-point
// mode, what each kind of failure shows, and the pictures prepared ahead.
#include "Controls.h"
#include "Fixture.h"
#include "imaging/PictureLoader.h"
#include "viewer/PicturePrefetch.h"
#include "viewer/PictureView.h"
#include "viewer/ViewerLogic.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusBar.h"
#include <QAction>
#include <QToolBar>
#include <QWheelEvent>

using Hostile::Format;
using Mode = ViewerWindow::Mode;
using Command = ViewerWindow::Command;

namespace {

const QString kMissing = QStringLiteral("ファイルが見つかりません。");
const QString kMark = QStringLiteral("mark"); // every display clears panel 6: a mark left there means none
const QMap<QString, Command> kCommands
    = { { "first", Command::First }, { "previous", Command::Previous }, { "slideshow", Command::Slideshow },
          { "next", Command::Next }, { "last", Command::Last }, { "close", Command::Close } };

QAction* viewerAction(const ViewerWindow* v, const char* name) { return control<QAction>(v, QLatin1String(name)); }
QTimer* slideClock(const ViewerWindow* v) { return control<QTimer>(v, "slideClock"); }
PictureView* pictureView(const ViewerWindow* v) { return control<PictureView>(v, "pictureView"); }
StatusBar* viewerStatus(const ViewerWindow* v) { return control<StatusBar>(v, "statusBar"); }
using Panel = ViewerWindow::StatusPanel;
QString panel(ViewerWindow* v, Panel p) { return viewerStatus(v)->panelText(p); }
PictureBox* picture(ViewerWindow* v) { return control<PictureBox>(v, "picture"); }
QColor colourOf(int i) { return QColor::fromHsv((i * 53) % 360, 255, 230); }

QString titleOf(const QString& name, int index, int count, bool onePoint = false)
{
    return QStringLiteral("ピラポくんViewer%1  %2   (%3/%4)")
        .arg(onePoint ? QStringLiteral("（ワンポイントViewer）") : QString(), name)
        .arg(index + 1)
        .arg(count);
}
QString titleOf(int i, bool onePoint = false) { return titleOf(QStringLiteral("p%1.jpg").arg(i), i, 4, onePoint); }

// Keys (as QKeySequence names them) and clicks as the user gives them (a left or middle click on the picture when
// one is shown). A toolbar command is its button; at the edges, where the button is disabled, the command runs
// directly and must still hold.
void send(ViewerWindow* v, const QString& input)
{
    QWidget* const pic = picture(v)->isVisible() ? static_cast<QWidget*>(picture(v)) : pictureView(v);
    if (input.startsWith("wheel")) {
        const QPointF at(5, 5);
        QWheelEvent turn(at, pictureView(v)->mapToGlobal(at), QPoint(), QPoint(0, input.endsWith("down") ? -120 : 120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(v, &turn);
    } else if (input == "right")
        QTest::mouseClick(pictureView(v), Qt::RightButton, {}, QPoint(2, 2));
    else if (input == "left" || input == "middle")
        QTest::mouseClick(pic, input == "left" ? Qt::LeftButton : Qt::MiddleButton, {}, QPoint(2, 2));
    else if (input == "tick")
        v->tick();
    else if (kCommands.contains(input) && viewerAction(v, qPrintable(input + "Action"))->isEnabled())
        viewerAction(v, qPrintable(input + "Action"))->trigger(); // its button
    else if (kCommands.contains(input))
        v->command(kCommands.value(input));
    else
        QTest::keyClick(v, QKeySequence(input)[0].key(), QKeySequence(input)[0].keyboardModifiers());
}

// A step from `start` (in a slideshow when `show` says how it is after the input: paused, stopped or running).
struct Step {
    int start;
    QString input;
    int index;
    QString show = {};
    int seconds = 1, ms = 1000;
    bool repeat = false;
};

struct ViewerFixture : Fixture {
    // p0.jpg .. p3.jpg, each in its own colour, listed.
    ViewerFixture()
    {
        for (int i = 0; i < 4; ++i)
            Hostile::plain(QSize(64, 48), colourOf(i)).save(src(QStringLiteral("p%1.jpg").arg(i)));
        list();
    }
    ViewerWindow* show(int index, Mode mode = Mode::Full)
    {
        ViewerWindow* v = viewer(index, mode);
        if (v)
            viewerStatus(v)->setPanelText(ViewerWindow::StatusPanel::Notice, kMark);
        return v;
    }
};

} // namespace
Q_DECLARE_METATYPE(Step)

class TestViewer : public QObject {
    Q_OBJECT
private slots:
    // A whole number of kilobytes, past 2 GB: no overflow, nothing added (display holds the rounding up).
    void kilobytes() { QCOMPARE(ViewerLogic::kilobytes(5368709120), 5242880); }

    // Two pictures of a size in an area of 800 x 600, after a resize: the first displayed
    // at once, the second prepared ahead, the first again from the one kept.
    void display_data()
    {
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("wide") << QSize(3000, 1000) << "jpg" << QRect(0, 167, 800, 267);
        QTest::newRow("tall") << QSize(1000, 3000) << "jpg" << QRect(300, 0, 200, 600);
        QTest::newRow("exactly the area") << QSize(800, 600) << "jpg" << QRect(0, 0, 800, 600);
        QTest::newRow("small, centred") << QSize(100, 50) << "jpg" << QRect(350, 275, 100, 50);
        QTest::newRow("one pixel too wide") << QSize(801, 600) << "jpg" << QRect(0, 0, 800, 599);
        QTest::newRow("one pixel too tall") << QSize(800, 601) << "jpg" << QRect(1, 0, 799, 600);
        QTest::newRow("half pixel to even") << QSize(101, 51) << "jpg" << QRect(350, 274, 101, 51);
        QTest::newRow("PNG, wide") << QSize(3000, 1000) << "png" << QRect(0, 167, 800, 267);
        // Over Qt's 128 MB limit when decoded whole: only reduced decoding shows it.
        QTest::newRow("fifty megapixels") << QSize(8660, 5773) << "jpg" << QRect(0, 33, 800, 533);
    }
    void display()
    {
        QFETCH(QSize, natural);
        QFETCH(QString, format);
        QFETCH(QRect, geometry);
        Fixture s;
        const int grey[] = { 60, 200 }; // one picture from the other
        for (int i = 0; i < 2; ++i)
            QVERIFY(Hostile::plain(natural, QColor(grey[i], grey[i], grey[i]), QImage::Format_Grayscale8)
                        .save(s.src(QStringLiteral("p%1.%2").arg(i).arg(format)), nullptr, 30));
        s.list();
        ViewerWindow* const v = s.viewer(0);
        QVERIFY(v);
        const QSize area(800, 600), first = pictureView(v)->size();
        QTRY_VERIFY_WITH_TIMEOUT(v->prefetch().isPrepared(s.folder.filePath(1), first), 30000);
        v->resize(area.width(), area.height() + 40); // the toolbar and status bar take 40 pixels
        QCOMPARE(pictureView(v)->size(), area);
        QTRY_VERIFY_WITH_TIMEOUT(v->prefetch().isPrepared(s.folder.filePath(1), area), 30000);
        for (const char* step : { "", "next", "previous" }) {
            if (*step)
                send(v, step);
            const int i = v->position();
            const QFileInfo info(s.folder.filePath(i));
            const bool reduced = natural != geometry.size();
            QCOMPARE(picture(v)->geometry(), geometry);
            QVERIFY(picture(v)->isVisible());
            QCOMPARE(picture(v)->stretch(), reduced);
            // Decoded at the size shown (not the one prepared before the resize), never whole.
            QCOMPARE(picture(v)->pixmap().size(), fitSize(natural, area));
            QCOMPARE(v->lastDecodeBox(), area);
            const QImage shown = picture(v)->pixmap().toImage();
            QCOMPARE_LT(std::abs(qGray(shown.pixel(shown.width() / 2, shown.height() / 2)) - grey[i]), 20);
            QCOMPARE(panel(v, Panel::Folder), " " + s.src() + " ");
            QCOMPARE(panel(v, Panel::FileName), " " + info.fileName() + " ");
            QCOMPARE(panel(v, Panel::NaturalSize),
                QStringLiteral(" %1X%2 Pixel ").arg(natural.width()).arg(natural.height()));
            QCOMPARE(panel(v, Panel::FileSize), QStringLiteral(" %1KB ").arg((info.size() + 1023) / 1024));
            QCOMPARE(panel(v, Panel::Modified), ViewerLogic::modifiedText(info.lastModified()));
            QCOMPARE(panel(v, Panel::Notice), reduced ? QStringLiteral(" 縮小表示中 ") : QString());
        }
        QCOMPARE(v->position(), 0);
    }

    // Every step at the edges, and in a slideshow started at `start`: a key or a click pauses it, a toolbar step stops
    // it, a tick steps or ends it. The interval is read when it starts, the repeat switch at every tick.
    void steps_data()
    {
        QTest::addColumn<Step>("step");
        const auto row = [](const char* name, const Step& step) { QTest::newRow(name) << step; };
        row("last, Space", { 3, "Space", 3 });
        row("last, next", { 3, "next", 3 });
        row("first, Shift+Space", { 0, "Shift+Space", 0 });
        row("first, previous", { 0, "previous", 0 });
        row("Ctrl+Space", { 1, "Ctrl+Space", 1 });
        row("Space", { 1, "Space", 2 });
        row("first", { 2, "first", 0 });
        row("last", { 1, "last", 3 });
        row("show, Space", { 1, "Space", 2, "paused" });
        row("show, Shift+Space", { 1, "Shift+Space", 0, "paused" });
        row("show, left click", { 1, "left", 2, "paused" });
        row("show, right click", { 1, "right", 0, "paused" });
        row("show, first", { 1, "first", 0, "stopped" });
        row("show, previous", { 1, "previous", 0, "stopped" });
        row("show, next", { 1, "next", 2, "stopped" });
        row("show, last", { 1, "last", 3, "stopped" });
        // Keys and the wheel step through the toolbar's commands, whose edges the rows above hold.
        for (const char* key : { "Right", "Down", "PgDown", "wheel down" })
            row(key, { 1, key, 2 });
        for (const char* key : { "Left", "Up", "PgUp", "wheel up" })
            row(key, { 2, key, 1 });
        row("End", { 1, "End", 3 });
        row("show, Home", { 1, "Home", 0, "stopped" });
        row("show of 3 s, tick", { 2, "tick", 3, "running", 3, 3000 });
        row("show of 0 s, tick at the end", { 3, "tick", 3, "stopped", 0, 1000 });
        row("show of 40 s, tick at the end, repeating", { 3, "tick", 0, "running", 40, 32000, true });
    }
    void steps()
    {
        QFETCH(Step, step);
        const auto [start, input, index, show, seconds, ms, repeat] = step;
        ViewerFixture s;
        s.settings.slideSeconds = int16_t(seconds);
        s.session.slideRepeat = !repeat;
        ViewerWindow* v = s.show(start);
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), titleOf(start));
        if (!show.isEmpty()) {
            send(v, "slideshow"); // nothing shown at once, and no options while it runs
            QVERIFY(slideClock(v)->isActive());
            QCOMPARE(slideClock(v)->interval(), ms);
            QVERIFY(!viewerAction(v, "optionsAction")->isEnabled());
            QCOMPARE(panel(v, Panel::Notice), kMark);
            s.settings.slideSeconds = 7;
            s.session.slideRepeat = repeat;
        }
        send(v, input);
        QCOMPARE(v->position(), index);
        QCOMPARE(panel(v, Panel::Notice) == kMark, index == start);
        QCOMPARE(v->windowTitle(), titleOf(index));
        QVERIFY(picture(v)->cursor().shape() != Qt::WaitCursor);
        // Back buttons (first, previous) and forward ones (show, next, last) follow the position.
        for (const char* back : { "firstAction", "previousAction" })
            QCOMPARE(viewerAction(v, back)->isEnabled(), index > 0);
        for (const char* forward : { "slideshowAction", "nextAction", "lastAction" })
            QCOMPARE(viewerAction(v, forward)->isEnabled(), index < 3);
        if (show.isEmpty())
            return;
        QCOMPARE(slideClock(v)->isActive() ? slideClock(v)->interval() : 0, show == "running" ? ms : 0);
        QCOMPARE(s.session.slideRunning, show != "stopped");
        QCOMPARE(v->slideIcon(), show == "stopped" ? SlideshowIcon::Stopped : SlideshowIcon::Running);
        QCOMPARE(viewerAction(v, "optionsAction")->isEnabled(), show == "stopped");
        if (show == "running")
            return;
        v->tick(); // a tick already queued does nothing
        QCOMPARE(v->position(), index);
        send(v, "slideshow"); // stops a paused show, starts a stopped one
        QCOMPARE(s.session.slideRunning, show == "stopped");
        QCOMPARE(slideClock(v)->isActive(), show == "stopped");
    }

    // The one-point and the full viewer in one window, reused by every open request,
    // closed by any click in the one-point mode; the slideshow flag outlives the window.
    void opening_data()
    {
        QTest::addColumn<QString>("click");
        QTest::newRow("left on the picture") << "left";
        QTest::newRow("right on the area") << "right";
        QTest::newRow("middle on the picture") << "middle";
    }
    void opening()
    {
        QFETCH(QString, click);
        ViewerFixture s;
        QPointer<ViewerWindow> v = s.show(1, Mode::OnePoint);
        QVERIFY(v);
        QVERIFY(v->isVisible());
        QVERIFY(control<QToolBar>(v, "toolbar")->isHidden());
        for (const QAction* button : control<QToolBar>(v, "toolbar")->actions())
            QVERIFY(button->isSeparator() || !button->icon().pixmap(24).isNull());
        QCOMPARE(s.settings.viewerMode, int16_t(1));
        QCOMPARE(pictureView(v)->toolTip(), ViewerWindow::onePointTip());
        QCOMPARE(v->windowTitle(), titleOf(1, true));
        send(v, "Space");
        QCOMPARE(v->windowTitle(), titleOf(2, true));
        QCOMPARE(s.show(3, Mode::OnePoint), v); // another picture in the same window
        QCOMPARE(v->windowTitle(), titleOf(3, true));
        // A full request turns it into the full viewer, whose clicks step.
        QCOMPARE(s.show(1), v);
        QVERIFY(!control<QToolBar>(v, "toolbar")->isHidden());
        QCOMPARE(pictureView(v)->toolTip(), ViewerWindow::normalTip());
        QCOMPARE(v->windowTitle(), titleOf(1));
        send(v, click);
        QCOMPARE(v->position(), click == "left" ? 2 : click == "right" ? 0 : 1);
        // A request to an open full viewer only brings it forward; the next step counts from there.
        QCOMPARE(s.show(3), v);
        send(v, "Shift+Space");
        QCOMPARE(v->windowTitle(), titleOf(2));
        // A one-point request stops the slideshow, which would step the picture away.
        viewerAction(v, "slideshowAction")->trigger();
        QCOMPARE(s.show(0, Mode::OnePoint), v);
        QVERIFY(!slideClock(v)->isActive());
        QVERIFY(!s.session.slideRunning);
        QCOMPARE(v->windowTitle(), titleOf(0, true));
        send(v, click);
        QVERIFY(!s.openViewer());
        QVERIFY(!v->isVisible());
        QCOMPARE(s.settings.viewerMode, int16_t(0));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!v);
        // A new full viewer, closed during a slideshow: the next one starts stopped, and its
        // first press only clears the flag left over.
        QVERIFY(s.show(2));
        QVERIFY(!control<QToolBar>(s.openViewer(), "toolbar")->isHidden());
        viewerAction(s.openViewer(), "slideshowAction")->trigger();
        viewerAction(s.openViewer(), "closeAction")->trigger();
        QVERIFY(!s.openViewer());
        QVERIFY(s.session.slideRunning);
        v = s.show(0);
        QVERIFY(v);
        QVERIFY(!slideClock(v)->isActive());
        QCOMPARE(v->slideIcon(), SlideshowIcon::Stopped);
        QVERIFY(viewerAction(v, "optionsAction")->isEnabled());
        viewerAction(v, "slideshowAction")->trigger();
        QVERIFY(!s.session.slideRunning);
        QVERIFY(!slideClock(v)->isActive());
        viewerAction(v, "slideshowAction")->trigger();
        QVERIFY(s.session.slideRunning);
        QVERIFY(slideClock(v)->isActive());
    }

    // Z shows the whole picture at 100 %, the point under the pointer kept; a drag or the
    // arrows pan it without leaving a gap, a step keeps the point, Z fits it. F11 and
    // a double click switch full screen; Esc closes the one-point viewer (the full one: e2e_viewer_keys).
    void keysOfTheView()
    {
        ViewerFixture s;
        const QImage big = Hostile::plain(QSize(1600, 1200), Qt::white);
        big.save(s.src("p1.jpg"));
        ViewerWindow* v = s.show(1);
        QVERIFY(v);
        v->resize(400, 340);
        const QRect fitted = picture(v)->geometry();
        QCOMPARE_LT(fitted.width(), 1600);
        const QPoint anchor(fitted.left() + fitted.width() / 4, fitted.top() + fitted.height() / 2);
        QCursor::setPos(pictureView(v)->mapToGlobal(anchor));
        QTest::keyClick(v, Qt::Key_Z);
        QVERIFY(pictureView(v)->isActualSize());
        QCOMPARE(picture(v)->size(), QSize(1600, 1200));
        // A quarter across and half down the picture is still under the pointer.
        QCOMPARE_LE(std::abs(picture(v)->x() + 400 - anchor.x()), 2);
        QCOMPARE_LE(std::abs(picture(v)->y() + 600 - anchor.y()), 2);
        const QPoint before = picture(v)->pos();
        QTest::keyClick(v, Qt::Key_Right); // pans, no step
        QCOMPARE_LT(picture(v)->x(), before.x());
        QTest::mousePress(picture(v), Qt::LeftButton, {}, QPoint(600, 600));
        QMouseEvent drag(QEvent::MouseMove, QPointF(5000, 5000), picture(v)->mapToGlobal(QPointF(5000, 5000)),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture(v), &drag);
        QTest::mouseRelease(picture(v), Qt::LeftButton);
        QCOMPARE(picture(v)->pos(), QPoint(0, 0)); // dragged far down right: the top left corner, no gap
        QCOMPARE(v->position(), 1);
        // Stepping keeps 100 % on the same point of the next picture, and back.
        big.save(s.src("p2.jpg"));
        for (const auto& [mods, entry] : { std::pair(Qt::NoModifier, 2), std::pair(Qt::ShiftModifier, 1) }) {
            QTest::keyClick(v, Qt::Key_Space, mods);
            QCOMPARE(v->position(), entry);
            QVERIFY(pictureView(v)->isActualSize());
            QCOMPARE(picture(v)->pos(), QPoint(0, 0));
        }
        QTest::keyClick(v, Qt::Key_Z); // Z again fits, as Ctrl+0 does after Ctrl+1
        QVERIFY(!pictureView(v)->isActualSize());
        QTest::keyClick(v, Qt::Key_1, Qt::ControlModifier);
        QVERIFY(pictureView(v)->isActualSize());
        QTest::keyClick(v, Qt::Key_0, Qt::ControlModifier);
        QVERIFY(!pictureView(v)->isActualSize());
        QCOMPARE(picture(v)->geometry(), fitted);
        QTest::keyClick(v, Qt::Key_F11);
        QTRY_VERIFY(v->isFullScreen());
        QTest::mouseDClick(picture(v), Qt::LeftButton);
        QTRY_VERIFY(!v->isFullScreen());
        QCOMPARE(v->position(), 1);
        QTest::keyClick(s.show(2, Mode::OnePoint), Qt::Key_Escape);
        QVERIFY(!s.openViewer());
        QCOMPARE(s.settings.viewerMode, int16_t(0));
    }

    // A file changed after it was listed and prepared ahead, shown by the next step.
    void changedBetweenListingAndShowing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("shown"); // panel 3, or "missing" (told) or "nothing"
        const auto row = [](const char* tag, const char* name, const char* change, const char* shown) {
            QTest::newRow(tag) << QString(name) << QString(change) << QString(shown);
        };
        const char *picture = " 64X48 Pixel ", *fallback = " 44X33 Pixel ", *blank = " 0X0 Pixel ";
        row("jpg deleted", "b.jpg", "deleted", "missing");
        row("png deleted", "b.png", "deleted", "missing");
        row("gif replaced by a folder", "b.gif", "folder", "nothing");
        row("png replaced by a folder", "b.png", "folder", blank);
        row("bmp replaced by another picture", "b.bmp", "other", picture);
        row("png replaced by another picture", "b.png", "other", picture);
        // The content, not the name, chooses the decoder.
        row("jpg replaced by a PNG", "b.jpg", "png inside", picture);
        row("png replaced by a JPEG", "b.png", "jpeg inside", picture);
        row("jpg made empty", "b.jpg", "empty", fallback);
        row("png made empty", "b.png", "empty", blank);
        row(".Png made garbage", "b.Png", "garbage", fallback);
        // More pixels than the viewer decodes, for a few bytes: refused from the header.
        row("png made a 16384 x 16384 bomb", "b.png", "bomb", fallback);
        row("jpg made garbage, no Error.jpg", "b.jpg", "garbage, no Error.jpg", blank);
        row("jpg made a link to a FIFO", "b.jpg", "fifo", blank); // never waits for a writer
    }
    void changedBetweenListingAndShowing()
    {
        QFETCH(QString, name);
        QFETCH(QString, change);
        QFETCH(QString, shown);
        Fixture s;
        const QString ext = name.section(u'.', -1), path = s.src(name);
        const Format format
            = QMap<QString, Format> { { "png", Format::Png }, { "gif", Format::Gif }, { "bmp", Format::Bmp } }.value(
                ext, Format::Jpeg);
        QTemporaryDir elsewhere; // outside the tree the test reads whole
        std::optional<TestFiles::FifoGuard> fifo;
        int seed = 0;
        for (const QString& n : { QStringLiteral("a.jpg"), name, QStringLiteral("c.jpg") })
            QVERIFY(Hostile::write(
                s.src(n), Hostile::wellFormed(n == name ? format : Format::Jpeg, QSize(40, 30), ++seed)));
        s.list();
        ViewerWindow* const v = s.viewer(0);
        QVERIFY(v);
        QTRY_VERIFY(v->prefetch().isPrepared(path, pictureView(v)->size()));
        const QMap<QString, QByteArray> content = { { "other", Hostile::wellFormed(format, QSize(64, 48), 7) },
            { "png inside", Hostile::wellFormed(Format::Png, QSize(64, 48), 7) },
            { "jpeg inside", Hostile::wellFormed(Format::Jpeg, QSize(64, 48), 7) }, { "empty", QByteArray() },
            { "bomb", Hostile::claimingSize(format, QSize(16384, 16384), 7) }, { "garbage", QByteArray(2000, 'x') },
            { "garbage, no Error.jpg", QByteArray(2000, 'x') } };
        if (content.contains(change)) {
            QVERIFY(Hostile::write(path, content[change]));
            TestFiles::setModified(path, QDateTime::currentDateTime().addSecs(3));
        } else {
            QVERIFY(QFile::remove(path));
            QVERIFY(change != "folder" || QDir().mkpath(path));
        }
        if (change.endsWith("no Error.jpg"))
            QVERIFY(QFile::remove(QDir(s.session.programFolder()).filePath(QStringLiteral("Error.jpg"))));
        const auto before = s.files(); // which reads a FIFO: it is made afterwards
        if (change == "fifo")
            QVERIFY(fifo.emplace(elsewhere.filePath("fifo")).made());
        QVERIFY(change != "fifo" || QFile::link(elsewhere.filePath("fifo"), path));
        send(v, "Space");
        // Told once, also when the window is fitted again showing nothing.
        v->resize(v->width() - 40, v->height() - 30);
        v->resize(v->width() + 10, v->height() + 10);
        QCOMPARE(v->position(), 1);
        QCOMPARE(s.messages(), shown == "missing" ? QStringList { kMissing } : QStringList());
        const bool unreadable = change == "folder" || change == "fifo"; // nothing to read: nothing shown
        QCOMPARE(picture(v)->isVisible(), shown.contains("Pixel") && !unreadable); // no picture: ends quietly
        if (shown.contains("Pixel")) {
            QCOMPARE(v->windowTitle(), titleOf(name, 1, 3));
            QCOMPARE(panel(v, Panel::FileName), " " + name + " ");
            QCOMPARE(panel(v, Panel::NaturalSize), shown); // the fallback with its own size
            // A folder has no length or time of its own to show: none of the last file's either.
            QCOMPARE(panel(v, Panel::FileSize),
                unreadable ? QString() : QStringLiteral(" %1KB ").arg((QFileInfo(path).size() + 1023) / 1024));
            QCOMPARE(panel(v, Panel::Modified).trimmed().isEmpty(), unreadable);
            QCOMPARE(panel(v, Panel::Notice), change == "fifo" ? QStringLiteral(" 表示できません ") : QString());
        }
        // The next step shows the next file as usual, stepping back is a new display (of
        // a missing file, told again), and the files are as they were.
        send(v, "Space");
        QCOMPARE(v->windowTitle(), titleOf(QStringLiteral("c.jpg"), 2, 3));
        QVERIFY(picture(v)->isVisible());
        QCOMPARE(picture(v)->naturalSize(), QSize(40, 30));
        send(v, "Shift+Space");
        QCOMPARE(s.messages().size(), shown == "missing" ? 2 : 0);
        if (!s.messages().isEmpty())
            QCOMPARE(s.boxes.seen.first().title, QStringLiteral("ピラポくんLumo"));
        QVERIFY(!fifo || !fifo->rescued());
        QVERIFY(!fifo || QFile::remove(path));
        QCOMPARE(s.files(), before);
    }

    // Broken files of every kind in a repeating slideshow, then the whole list gone.
    void brokenFilesAndAnEmptiedList()
    {
        Fixture s;
        QVERIFY(
            Hostile::write(s.src(QStringLiteral("00 good.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
        int n = 0;
        for (Format f : { Format::Jpeg, Format::Gif, Format::Bmp, Format::Png }) {
            const QString ext = QLatin1String(Hostile::extension(f));
            QVERIFY(Hostile::write(s.src(QStringLiteral("%1 empty.%2").arg(++n).arg(ext)), QByteArray()));
            QVERIFY(Hostile::write(s.src(QStringLiteral("%1 cut.%2").arg(++n).arg(ext)), Hostile::truncated(f)));
            QVERIFY(Hostile::write(
                s.src(QStringLiteral("%1 huge.%2").arg(++n).arg(ext)), Hostile::claimingSize(f, QSize(60000, 60000))));
        }
        QVERIFY(Hostile::write(s.src(QStringLiteral("99 gone.jpg")), Hostile::wellFormed(Format::Jpeg)));
        s.list();
        const int count = s.folder.count();
        QCOMPARE(count, 14);
        QVERIFY(QFile::remove(s.src(QStringLiteral("99 gone.jpg"))));
        const auto before = s.files();
        ViewerWindow* const v = s.viewer(0);
        QVERIFY(v);
        s.session.slideRepeat = true;
        send(v, "slideshow");
        for (int i = 0; i < 2 * count; ++i) { // twice round, tick by tick
            v->tick();
            QCOMPARE(v->position(), (i + 1) % count);
        }
        // Only the file that is gone was reported, once per round.
        QCOMPARE(s.messages(), QStringList(2, kMissing));
        QVERIFY(slideClock(v)->isActive());
        QCOMPARE(s.files(), before);
        // Everything goes to the delete folder and the folder is listed again. Every way of
        // stepping on the empty list: no crash, a position inside the old bounds.
        send(v, "last");
        QVERIFY(QDir().rename(s.src(), s.dest(10, "src")));
        QVERIFY(QDir().mkdir(s.src()));
        s.folder.refresh();
        QCOMPARE(s.folder.count(), 0);
        for (const char* input : { "Space", "Shift+Space", "Space", "Shift+Space", "first", "previous", "next", "last",
                 "slideshow", "slideshow", "left", "right", "slideshow" })
            send(v, input);
        for (int i = 0; i < 3; ++i)
            v->tick();
        v->resize(v->width() - 10, v->height()); // displays again
        QCOMPARE_GE(v->position(), 0);
        QCOMPARE_LT(v->position(), count);
        send(v, "close");
        QVERIFY(!s.openViewer());
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
