#include "viewer/ViewerWindow.h"
#include "imaging/PictureDecoder.h"
#include "imaging/PictureLoader.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/PicturePrefetch.h"
#include "viewer/PictureView.h"
#include "viewer/ViewerLogic.h"
#include "widgets/Message.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusBar.h"
#include "widgets/TwipsWidget.h"
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

using namespace ViewerLogic;
using FileOps::joinPath;

ViewerWindow::ViewerWindow(
    Settings& settings, Session& session, const PictureFolder& folder, const PngDecoder& png, QWidget* owner)
    : QWidget(owner,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_session(session)
    , m_folder(folder)
    , m_png(png)
    , m_tpp(screenTwipsPerPixel())
    , m_step(settings, session)
    , m_prefetch(std::make_unique<PicturePrefetch>(png))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ピラポくんViewer"));
    // The window itself takes the keys; no control inside takes the focus, so it sees every key.
    setFocusPolicy(Qt::StrongFocus);

    buildToolbar();
    m_pictureView = new PictureView(this);
    m_pictureView->setObjectName(QStringLiteral("pictureView"));
    connect(m_pictureView, &PictureView::pressed, this, &ViewerWindow::pictureClicked);
    connect(m_pictureView, &PictureView::doubleClicked, this, &ViewerWindow::toggleFullScreen);
    setOnePointLook(false);
    buildStatusBar();

    m_slideClock = new QTimer(this);
    m_slideClock->setObjectName(QStringLiteral("slideClock"));
    connect(m_slideClock, &QTimer::timeout, this, &ViewerWindow::tick);
    buildNotice();
    connect(&m_folder, &PictureFolder::relisted, this, &ViewerWindow::listingChanged);
    connect(&m_folder, &PictureFolder::presenceChanged, this, &ViewerWindow::countChanged);
}

ViewerWindow::~ViewerWindow() = default;

QString ViewerWindow::normalTip() { return QStringLiteral("マウスのクリックで画像を進めたり戻したり出来ます。"); }
QString ViewerWindow::onePointTip() { return QStringLiteral("画像をクリックするとViewerを終了します。"); }

void ViewerWindow::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setIconSize(QSize(24, 22));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setMovable(false);
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    // Flat and tight, so the buttons fit the strip above the picture area.
    m_toolbar->setStyleSheet(QStringLiteral("QToolBar { border: 0; padding: 0; spacing: 1px; }"
                                            "QToolButton { padding: 0; margin: 0; }"));
    struct Button {
        QAction** action;
        const char* name;
        Command command;
        const char* icon;
        const char* tip;
    };
    const Button buttons[] = {
        { &m_optionsAction, "optionsAction", Command::Options, "viewer_1_options", "オプション" },
        { &m_closeAction, "closeAction", Command::Close, "viewer_2_close", "終了" },
        { &m_firstAction, "firstAction", Command::First, "viewer_3_first", "先頭に戻す" },
        { &m_previousAction, "previousAction", Command::Previous, "viewer_4_prev", "一つ戻す" },
        { &m_slideshowAction, "slideshowAction", Command::Slideshow, "viewer_5_slideshow", "順次表示" },
        { &m_nextAction, "nextAction", Command::Next, "viewer_6_next", "一つ進む" },
        { &m_lastAction, "lastAction", Command::Last, "viewer_7_last", "最後に進む" },
    };
    for (const Button& b : buttons) {
        if (b.command == Command::First)
            m_toolbar->addSeparator();
        const QString tip = QString::fromUtf8(b.tip);
        QAction* a = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(b.icon))), tip);
        a->setToolTip(tip);
        const Command c = b.command;
        connect(a, &QAction::triggered, this, [this, c] { command(c); });
        if (QWidget* w = m_toolbar->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
        a->setObjectName(QLatin1String(b.name));
        *b.action = a;
    }
}

void ViewerWindow::buildStatusBar()
{
    using K = StatusBar::Kind;
    m_statusBar = new StatusBar(
        {
            { K::Text, QString(), QStringLiteral("パス表示"), 80, true },
            { K::Text, QString(), QStringLiteral("ファイルネーム"), 80, true },
            { K::Text, QString(), QStringLiteral("画像サイズ"), 90, false },
            { K::Text, QString(), QStringLiteral("ファイルサイズ"), 50, false },
            { K::Text, QString(), QStringLiteral("更新年月日"), 120, false },
            { K::Text, QString(), QStringLiteral("縮小表示する時「縮小表示中」と表示されます。"), 60, false },
            { K::Text, QString(), QString(), 10, false },
            { K::Caps, QString(), QStringLiteral("ＣａｐｓＬｏｃｋキーの状態"), 36, false },
            { K::Num, QString(), QStringLiteral("ＮｕｍＬｏｃｋキーの状態"), 36, false },
            { K::Date, QString(), QStringLiteral("現在の日付"), 70, false },
            { K::Time, QString(), QStringLiteral("現在の時間"), 40, false },
        },
        this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setFocusPolicy(Qt::NoFocus);
}

void ViewerWindow::setOnePointLook(bool on)
{
    m_onePointLook = on;
    m_toolbar->setHidden(on);
    m_pictureView->setTips(on ? onePointTip() : normalTip());
}

// ---- opening, layout, closing

void ViewerWindow::open(int position, Mode mode)
{
    m_entry = position;
    m_file = m_folder.name(position);
    syncStep();
    m_settings.viewerMode = mode == Mode::OnePoint ? 1 : 0;
    if (!m_loaded) {
        if (mode == Mode::OnePoint)
            setOnePointLook(true);
        const QPointer<ViewerWindow> self(this);
        load();
        // A close during the display's events leaves it closed.
        if (self && !m_closed)
            show();
        return;
    }
    if (mode == Mode::OnePoint) {
        // The pressed picture, in the open window; a running slideshow would step it away.
        stopSlideshow();
        setOnePointLook(true);
        display();
    } else if (m_onePointLook) {
        // The full viewer gets its m_toolbar back, and its title must say so.
        setOnePointLook(false);
        display();
    }
    raise();
    activateWindow();
}

void ViewerWindow::load()
{
    // Left 0, top 0, and the outer size reaching the work area's right and bottom edges.
    const QRect wa = workArea();
    const double rightTwips = Numeric::roundHalfEven(pixelsToTwips(wa.x() + wa.width(), m_tpp.x));
    const double bottomTwips = Numeric::roundHalfEven(pixelsToTwips(wa.y() + wa.height(), m_tpp.y));
    const QSize outer(twipsToPixels(rightTwips, m_tpp.x), twipsToPixels(bottomTwips, m_tpp.y));
    m_outerSize = outer;
    // The frame is known only once the window manager has framed the window; until then
    // the owner's frame is the best guess, and fitFrame() corrects it.
    QSize frame = frameGeometry().size() - size();
    const QWidget* owner = parentWidget();
    if (frame.isNull() && owner && owner->isVisible())
        frame = owner->frameGeometry().size() - owner->size();
    move(0, 0);
    resize((outer - frame).expandedTo(QSize(1, 1)));
    applyLayout();
    m_loaded = true;
    setFocus();
    display();
}

bool ViewerWindow::applyLayout()
{
    const double clientW = pixelsToTwips(width(), m_tpp.x);
    const double pictureH = pixelsToTwips(height(), m_tpp.y) - 600;
    if (pictureH < 0)
        return false;
    m_toolbar->setGeometry(0, 0, width(), twipsToPixels(380, m_tpp.y));
    placeTwips(m_pictureView, 0, 380, clientW, pictureH, m_tpp);
    const int sbHeight = std::max(twipsToPixels(220, m_tpp.y), m_statusBar->sizeHint().height());
    m_statusBar->setGeometry(0, height() - sbHeight, width(), sbHeight);
    m_statusBar->raise();
    return true;
}

void ViewerWindow::fitFrame()
{
    // The window manager frames the window some time after it is shown, and tells of it
    // by moving it; the frame, title and borders included, then gets the size the load
    // asked for, so that the status bar stays inside the work area.
    if (!m_outerSize.isValid() || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isNull())
        return;
    const QRect wanted(QPoint(0, 0), m_outerSize);
    m_outerSize = QSize();
    if (frameGeometry() != wanted) {
        move(0, 0);
        resize((wanted.size() - frame).expandedTo(QSize(1, 1)));
    }
}

void ViewerWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    fitFrame();
}

void ViewerWindow::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    fitFrame();
}

void ViewerWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    fitFrame();
    if (!m_loaded || m_closed || !applyLayout())
        return;
    // Showing the window delivers a resize of the size the load already displayed for.
    if (m_pictureView->size() == m_areaShown)
        return;
    display();
}

void ViewerWindow::closeEvent(QCloseEvent* e)
{
    e->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_slideClock->stop();
    m_prefetch->keepOnly({}, QSize());
    m_settings.viewerMode = 0;
    // slideRunning is left as it is: the next viewer's first slideshow click only resets it.
    emit closed();
}

// ---- stepping and the slideshow

void ViewerWindow::showCurrent()
{
    m_entry = std::max(0, m_folder.presentEntry(m_step.position()));
    m_file = m_folder.name(m_entry);
    display();
}

void ViewerWindow::applyStepper()
{
    // Interval 0 stops the clock: a QTimer with interval 0 would fire continuously.
    const int ms = m_step.interval();
    if (ms == 0) {
        m_slideClock->stop();
        m_slideClock->setInterval(0);
    } else if (!m_slideClock->isActive() || m_slideClock->interval() != ms) {
        m_slideClock->start(ms);
    }
    m_slideshowAction->setIcon(
        QIcon(m_step.slideIcon() == SlideshowIcon::Running ? QStringLiteral(":/icons/viewer_8_slideshow_running.png")
                                                           : QStringLiteral(":/icons/viewer_5_slideshow.png")));
    m_optionsAction->setEnabled(m_step.optionsEnabled());
}

void ViewerWindow::stopSlideshow()
{
    m_step.stopSlideshow();
    applyStepper();
}

void ViewerWindow::command(Command c)
{
    syncStep();
    const int count = presentCount();
    bool show = false;
    switch (c) {
    case Command::Options:
        emit optionsRequested();
        return;
    case Command::Close:
        close();
        return;
    case Command::First:
        show = m_step.first(count);
        break;
    case Command::Previous:
        show = m_step.previous(count);
        break;
    case Command::Slideshow:
        m_step.slideButton(count);
        break;
    case Command::Next:
        show = m_step.next(count);
        break;
    case Command::Last:
        show = m_step.last(count);
        break;
    }
    applyStepper();
    if (show)
        showCurrent();
}

void ViewerWindow::tick()
{
    syncStep();
    switch (m_step.tick(presentCount())) {
    case ViewerStepper::Tick::Nothing:
        return;
    case ViewerStepper::Tick::Stop: {
        const QPointer<ViewerWindow> self(this);
        QCoreApplication::processEvents();
        if (self && !m_closed)
            stopSlideshow(); // the last picture stays on screen
        return;
    }
    case ViewerStepper::Tick::Show:
        showCurrent();
        return;
    }
}

void ViewerWindow::step(bool forward)
{
    syncStep();
    const int count = presentCount();
    const bool show = forward ? m_step.forward(count) : m_step.back(count);
    applyStepper();
    if (show)
        showCurrent();
}

void ViewerWindow::wheelEvent(QWheelEvent* e)
{
    e->accept();
    // One step a notch (120 eighths of a degree); a touchpad's small turns add up.
    m_wheelTurn += e->angleDelta().y();
    constexpr int kNotch = 120;
    while (!m_closed && std::abs(m_wheelTurn) >= kNotch) {
        const bool down = m_wheelTurn < 0;
        m_wheelTurn += down ? kNotch : -kNotch;
        const QPointer<ViewerWindow> self(this);
        command(down ? Command::Next : Command::Previous);
        if (!self)
            return;
    }
}

void ViewerWindow::toggleFullScreen()
{
    if (m_closed)
        return;
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void ViewerWindow::showActualSize()
{
    if (m_closed || m_pictureView->isActualSize() || !m_pictureView->picture()->hasPicture())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Picture whole = PictureDecoder::decode(joinPath(m_folder.path(), m_file), QSize(), &m_png, kMaxPixels);
    QGuiApplication::restoreOverrideCursor();
    if (!whole.ok() || whole.image.isNull())
        return;
    m_pictureView->showActualSize(whole.image, m_pictureView->mapFromGlobal(QCursor::pos()));
    m_statusBar->setPanelText(StatusPanel::Notice, QString());
    m_keepActualSize = true;
}

void ViewerWindow::fitAgain()
{
    m_keepActualSize = false;
    if (!m_closed && m_pictureView->isActualSize())
        display();
}

void ViewerWindow::pictureClicked(QWidget* control, Qt::MouseButton button)
{
    if (m_closed)
        return;
    control->setCursor(Qt::WaitCursor);
    if (m_settings.viewerMode == 1) {
        // Any button closes the one-point viewer.
        m_settings.viewerMode = 0;
        setOnePointLook(false);
        close();
        control->unsetCursor();
        return;
    }
    const QPointer<ViewerWindow> self(this);
    QCoreApplication::processEvents();
    if (!self)
        return;
    if (!m_closed && (button == Qt::LeftButton || button == Qt::RightButton))
        step(button == Qt::LeftButton);
    if (self)
        control->unsetCursor();
}

// ---- display

void ViewerWindow::display()
{
    const unsigned serial = ++m_displaySerial;
    const int count = presentCount();
    const int32_t position = m_step.position();
    PictureBox* const picture = m_pictureView->picture();

    m_statusBar->setPanelText(StatusPanel::Notice, QString());
    const bool notFirst = position != 0;
    m_firstAction->setEnabled(notFirst);
    m_previousAction->setEnabled(notFirst);
    const bool atLast = position == count - 1 || count == 0;
    for (QAction* a : { m_slideshowAction, m_nextAction, m_lastAction })
        a->setEnabled(!atLast);

    const QString path = joinPath(m_folder.path(), m_file);
    const bool reportedBefore = path == m_missingReported;
    m_missingReported.clear();
    auto reportMissing = [&] {
        m_missingReported = path;
        if (!reportedBefore)
            showMessage(this, QStringLiteral("ファイルが見つかりません。"));
    };
    // Stepping at 100 % shows the next picture on the same point.
    const QPointF share = m_pictureView->isActualSize() ? m_pictureView->centredShare() : QPointF(0.5, 0.5);
    m_pictureView->clear();
    const QSize area = m_pictureView->size();
    m_areaShown = area;

    // Made in the background while the last picture was on screen, when it was; else made
    // here, at the size it will be shown, never whole only to be shrunk.
    const QSize box = decodeBox(area);
    std::optional<Picture> prepared = m_prefetch->take(path, box);
    m_lastDecodeBox = box;
    Picture pic = prepared ? std::move(*prepared) : PictureDecoder::decode(path, box, &m_png, kMaxPixels);
    Picture shown;
    if (pic.ok())
        shown = pic;
    switch (pic.failure) {
    case PictureFailure::None:
        break;
    case PictureFailure::InvalidPicture:
        // The fallback picture, titled and fitted like any other; a missing one leaves the area blank.
        pic = loadPicture(joinPath(m_session.programFolder(), QStringLiteral("Error.jpg")), area);
        break;
    case PictureFailure::PathNotFound:
        showNothing();
        reportMissing();
        return;
    case PictureFailure::Other: // a link to a device or FIFO, a file not ours to read
        showNothing();
        return;
    }
    // A PNG the decoder cannot read is no failure: the area stays blank.
    if (pic.ok() && !pic.image.isNull())
        picture->setPicture(pic.image, pic.naturalSize);
    else
        picture->clearPicture();

    // Lets waiting input run; a display it starts takes over and this one gives way.
    const QPointer<ViewerWindow> self(this);
    QCoreApplication::processEvents();
    if (!self || m_closed || serial != m_displaySerial)
        return;

    const QSize natural = picture->hasPicture() ? picture->naturalSize() : QSize(0, 0);
    describeShown(natural);

    const QFileInfo info(path);
    if (!info.exists()) {
        // A PNG that vanished: the decoder says nothing, but the file's length cannot be read.
        reportMissing();
        return;
    }
    if (!info.isFile())
        return;
    m_statusBar->setPanelText(StatusPanel::FileSize, sizeText(info.size()));
    m_statusBar->setPanelText(StatusPanel::Modified, modifiedText(info.lastModified()));

    if (m_pictureView->fit(natural))
        m_statusBar->setPanelText(StatusPanel::Notice, QStringLiteral(" 縮小表示中 "));
    if (m_keepActualSize && shown.ok() && !shown.image.isNull()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const Picture whole = PictureDecoder::decode(path, QSize(), &m_png, kMaxPixels);
        QGuiApplication::restoreOverrideCursor();
        if (whole.ok() && !whole.image.isNull()) {
            m_pictureView->showActualSizeAt(whole.image, share);
            m_statusBar->setPanelText(StatusPanel::Notice, QString());
        }
    }
    prepareNeighbours(path, box, shown);
}

QSize ViewerWindow::decodeBox(QSize area) const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(area.width() * ratio), qRound(area.height() * ratio));
}

void ViewerWindow::describeShown(QSize natural)
{
    // Title and panels always name the file at the position, whatever became of it;
    // length and time are filled in only when they can be read.
    setWindowTitle(titleText(m_settings.viewerMode, m_file, m_step.position(), presentCount()));
    m_statusBar->setPanelText(StatusPanel::Folder, QLatin1Char(' ') + m_folder.path() + QLatin1Char(' '));
    // With the files that would go along with it: "IMG_0001.JPG +CR2 +XMP".
    QString name = m_file;
    if (const QString along = m_companionSummary ? m_companionSummary(m_file) : QString(); !along.isEmpty())
        name += u' ' + along;
    m_statusBar->setPanelText(StatusPanel::FileName, QLatin1Char(' ') + name + QLatin1Char(' '));
    m_statusBar->setPanelText(StatusPanel::NaturalSize, naturalSizeText(natural));
    m_statusBar->setPanelText(StatusPanel::FileSize, QString());
    m_statusBar->setPanelText(StatusPanel::Modified, QString());
}

void ViewerWindow::showNothing()
{
    m_pictureView->picture()->clearPicture();
    describeShown(QSize(0, 0));
    m_statusBar->setPanelText(StatusPanel::Notice, QStringLiteral(" 表示できません "));
}

void ViewerWindow::prepareNeighbours(const QString& shownPath, QSize area, const Picture& shown)
{
    const int count = presentCount();
    const int32_t position = m_step.position();
    QStringList around;
    auto add = [&](int i) {
        if (i >= 0 && i < count)
            around.append(m_folder.filePath(m_folder.presentEntry(i)));
    };
    // The next two: after a send the next one is shown and the one after it is ready too.
    add(position + 1);
    add(position + 2);
    if (position == count - 1 && m_session.slideRepeat)
        add(0); // a repeating slideshow wraps round
    add(position - 1);
    m_prefetch->keepOnly(around + QStringList { shownPath }, area);
    // The picture on screen is the one a step back shows.
    if (shown.ok() && !shown.image.isNull())
        m_prefetch->keep(shownPath, area, shown);
    for (const QString& path : std::as_const(around))
        m_prefetch->prepare(path, area);
}
