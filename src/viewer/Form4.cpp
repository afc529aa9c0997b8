#include "viewer/Form4.h"
#include "app/Form1.h"
#include "imaging/PictureDecoder.h"
#include "platform/Message.h"
#include "platform/Numeric.h"
#include "platform/PictureBox.h"
#include "platform/PictureLoader.h"
#include "platform/StatusBar.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/PicturePrefetch.h"
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

using namespace ViewerLogic;

namespace {

QString slideIconPath(int number)
{
    return number == 8 ? QStringLiteral(":/icons/viewer_8_slideshow_running.png")
                       : QStringLiteral(":/icons/viewer_5_slideshow.png");
}
} // namespace

Form4::Form4(Settings& settings, Session& session, const PictureFolder& folder, const PngDecoder& png, Form1* form1)
    : QWidget(form1,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_session(session)
    , m_folder(folder)
    , m_png(png)
    , m_form1(form1)
    , m_tpp(form1 ? form1->tpp() : screenTwipsPerPixel())
    , m_step(settings, session)
    , m_prefetch(std::make_unique<PicturePrefetch>(session.programFolder()))
{
    // Each open request for a closed viewer builds it anew.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ピラポくんViewer"));
    // The window itself takes the keys; no control inside takes the focus, so it sees every key.
    setFocusPolicy(Qt::StrongFocus);

    buildToolbar();

    Picture1 = new QWidget(this);
    Picture1->setAutoFillBackground(true);
    Picture1->setFocusPolicy(Qt::NoFocus);
    Picture1->installEventFilter(this);
    Image1 = new PictureBox(Picture1);
    Image1->setFocusPolicy(Qt::NoFocus);
    Image1->installEventFilter(this);
    Image1->hide();
    setOnePointLook(false);

    buildStatusBar();

    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &Form4::Timer1_Timer);
}

Form4::~Form4() = default;

QString Form4::normalTip() { return QStringLiteral("マウスのクリックで画像を進めたり戻したり出来ます。"); }
QString Form4::onePointTip() { return QStringLiteral("画像をクリックするとViewerを終了します。"); }

void Form4::buildToolbar()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setIconSize(QSize(24, 22));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Toolbar1->setMovable(false);
    Toolbar1->setFocusPolicy(Qt::NoFocus);
    // Flat and tight, so the buttons fit the strip above the picture area.
    Toolbar1->setStyleSheet(QStringLiteral("QToolBar { border: 0; padding: 0; spacing: 1px; }"
                                           "QToolButton { padding: 0; margin: 0; }"));
    struct Button {
        int index;
        const char* icon;
        const char* tip;
    };
    static const Button buttons[] = {
        { 1, "viewer_1_options", "オプション" },
        { 2, "viewer_2_close", "終了" },
        { 4, "viewer_3_first", "先頭に戻す" },
        { 5, "viewer_4_prev", "一つ戻す" },
        { 6, "viewer_5_slideshow", "順次表示" },
        { 7, "viewer_6_next", "一つ進む" },
        { 8, "viewer_7_last", "最後に進む" },
    };
    ToolbarButtons.fill(nullptr, 9);
    for (const Button& b : buttons) {
        if (b.index == 4)
            ToolbarButtons[3] = Toolbar1->addSeparator();
        const QString tip = QString::fromUtf8(b.tip);
        QAction* a = Toolbar1->addAction(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(b.icon))), tip);
        a->setToolTip(tip);
        const int index = b.index;
        connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        if (QWidget* w = Toolbar1->widgetForAction(a))
            w->setFocusPolicy(Qt::NoFocus);
        ToolbarButtons[index] = a;
    }
}

void Form4::buildStatusBar()
{
    using K = StatusBar::Kind;
    StatusBar1 = new StatusBar(
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
    StatusBar1->setFocusPolicy(Qt::NoFocus);
}

void Form4::setOnePointLook(bool on)
{
    Toolbar1->setHidden(on);
    const QString tip = on ? onePointTip() : normalTip();
    Picture1->setToolTip(tip);
    Image1->setToolTip(tip);
}

// ---- opening, layout, closing

void Form4::Form_Load()
{
    // Left 0, top 0, and the outer size reaching the work area's right and bottom edges.
    const QRect wa = workArea();
    const double rightTwips = Numeric::roundHalfEven(pixelsToTwips(wa.x() + wa.width(), m_tpp.x));
    const double bottomTwips = Numeric::roundHalfEven(pixelsToTwips(wa.y() + wa.height(), m_tpp.y));
    const QSize outer(twipsToPixels(rightTwips, m_tpp.x), twipsToPixels(bottomTwips, m_tpp.y));
    m_outerSize = outer;
    // The frame is known only once the window manager has framed the window; until then
    // the main window's frame is the best guess, and fitFrame() corrects it.
    QSize frame = frameGeometry().size() - size();
    if (frame.isNull() && m_form1 && m_form1->isVisible())
        frame = m_form1->frameGeometry().size() - m_form1->size();
    move(0, 0);
    resize((outer - frame).expandedTo(QSize(1, 1)));
    applyLayout();
    m_loaded = true;
    setFocus();
    ShowImage();
}

bool Form4::applyLayout()
{
    const double clientW = pixelsToTwips(width(), m_tpp.x);
    const double pictureH = pixelsToTwips(height(), m_tpp.y) - 600;
    if (pictureH < 0)
        return false;
    Toolbar1->setGeometry(0, 0, width(), twipsToPixels(380, m_tpp.y));
    placeTwips(Picture1, 0, 380, clientW, pictureH, m_tpp);
    const int sbHeight = std::max(twipsToPixels(220, m_tpp.y), StatusBar1->sizeHint().height());
    StatusBar1->setGeometry(0, height() - sbHeight, width(), sbHeight);
    StatusBar1->raise();
    return true;
}

void Form4::fitFrame()
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

void Form4::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    fitFrame();
}

void Form4::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    fitFrame();
}

void Form4::Form_Resize()
{
    if (!m_loaded || m_closed || !applyLayout())
        return;
    // Showing the window delivers a resize of the size the load already displayed for.
    if (Picture1->size() == m_areaShown)
        return;
    ShowImage();
}

void Form4::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    fitFrame();
    Form_Resize();
}

void Form4::Form_QueryUnload()
{
    if (m_closed)
        return;
    m_closed = true;
    Timer1->stop();
    m_prefetch->keepOnly({}, QSize());
    m_settings.viewerMode = 0;
    // slideRunning is left as it is: the next viewer's first slideshow click only resets it.
    if (m_form1)
        m_form1->OnViewerClosed();
}

void Form4::closeEvent(QCloseEvent* e)
{
    Form_QueryUnload();
    e->accept();
}

// ---- stepping and the slideshow

int Form4::entryCount() const { return m_folder.count(); }

QString Form4::entryAt(int i) const { return m_folder.name(i); }

void Form4::showEntry()
{
    m_session.viewerFile = entryAt(m_session.viewerIndex);
    ShowImage();
}

void Form4::applyStepperState()
{
    // Interval 0 stops the clock: a QTimer with interval 0 would fire continuously.
    const int ms = m_step.interval();
    if (ms == 0) {
        Timer1->stop();
        Timer1->setInterval(0);
    } else if (!Timer1->isActive() || Timer1->interval() != ms) {
        Timer1->start(ms);
    }
    ToolbarButtons[6]->setIcon(QIcon(slideIconPath(m_step.slideIcon())));
    ToolbarButtons[1]->setEnabled(m_step.optionsEnabled());
}

void Form4::StopSlideshow()
{
    m_step.stopSlideshow();
    applyStepperState();
}

void Form4::Toolbar1_ButtonClick(int index)
{
    const int count = entryCount();
    bool show = false;
    switch (index) {
    case 1:
        if (m_form1)
            m_form1->ShowOptionsModeless();
        return;
    case 2:
        close();
        return;
    case 4:
        show = m_step.first(count);
        break;
    case 5:
        show = m_step.previous(count);
        break;
    case 6:
        m_step.slideButton(count);
        break;
    case 7:
        show = m_step.next(count);
        break;
    case 8:
        show = m_step.last(count);
        break;
    default:
        return;
    }
    applyStepperState();
    if (show)
        showEntry();
}

void Form4::Timer1_Timer()
{
    switch (m_step.tick(entryCount())) {
    case ViewerStepper::Tick::Nothing:
        return;
    case ViewerStepper::Tick::Stop: {
        const QPointer<Form4> self(this);
        QCoreApplication::processEvents();
        if (self && !m_closed)
            StopSlideshow(); // the last picture stays on screen
        return;
    }
    case ViewerStepper::Tick::Show:
        showEntry();
        return;
    }
}

void Form4::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    // Shift alone steps back; with Ctrl, Alt or Meta (often an input-method switch) it is no step.
    const Qt::KeyboardModifiers held
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (key != Qt::Key_Space || (held != Qt::NoModifier && held != Qt::ShiftModifier))
        return;
    const int count = entryCount();
    const bool show = held == Qt::NoModifier ? m_step.forward(count) : m_step.back(count);
    applyStepperState();
    if (show)
        showEntry();
}

void Form4::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space) {
        Form_KeyDown(Qt::Key_Space, e->modifiers());
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void Form4::Image1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, float, float) { mouseDown(Image1, button); }
void Form4::Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, float, float)
{
    mouseDown(Picture1, button);
}

void Form4::mouseDown(QWidget* control, Qt::MouseButton button)
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
    const QPointer<Form4> self(this);
    QCoreApplication::processEvents();
    if (!self)
        return;
    if (!m_closed && (button == Qt::LeftButton || button == Qt::RightButton)) {
        const int count = entryCount();
        const bool show = button == Qt::LeftButton ? m_step.forward(count) : m_step.back(count);
        applyStepperState();
        if (show)
            showEntry();
    }
    if (self)
        control->unsetCursor();
}

bool Form4::eventFilter(QObject* watched, QEvent* e)
{
    // A quick second click arrives as a double click; it steps like any other press.
    if ((watched == Image1 || watched == Picture1)
        && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
        auto* me = static_cast<QMouseEvent*>(e);
        const QPointF p = me->position();
        if (watched == Image1)
            Image1_MouseDown(me->button(), me->modifiers(), float(p.x()), float(p.y()));
        else
            Picture1_MouseDown(me->button(), me->modifiers(), float(p.x()), float(p.y()));
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// ---- display

void Form4::ShowImage()
{
    const unsigned serial = ++m_displaySerial;
    const int count = entryCount();

    StatusBar1->setPanelText(6, QString());
    const bool notFirst = m_session.viewerIndex != 0;
    ToolbarButtons[4]->setEnabled(notFirst);
    ToolbarButtons[5]->setEnabled(notFirst);
    const bool atLast = m_session.viewerIndex == count - 1 || count == 0;
    for (int i : { 6, 7, 8 })
        ToolbarButtons[i]->setEnabled(!atLast);

    const QString path = joinPath(m_folder.path(), m_session.viewerFile);
    const bool reportedBefore = path == m_missingReported;
    m_missingReported.clear();
    auto reportMissing = [&] {
        m_missingReported = path;
        if (!reportedBefore)
            showMessage(this, QStringLiteral("ファイルが見つかりません。"));
    };
    Image1->hide();
    Picture1->update();
    Image1->setStretch(false);
    const QSize area = Picture1->size();
    m_areaShown = area;

    // Made in the background while the last picture was on screen, when it was; else made
    // here, at the size it will be shown, never whole only to be shrunk.
    std::optional<Picture> prepared = m_prefetch->take(path, area);
    m_lastDecodeBox = area;
    Picture pic = prepared ? std::move(*prepared) : PictureDecoder::decode(path, area, &m_png, kMaxPixels);
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
        reportMissing();
        return;
    case PictureFailure::Other:
        return;
    }
    // A PNG the decoder cannot read is no failure: the area stays blank.
    if (pic.ok() && !pic.image.isNull())
        Image1->setPicture(pic.image, pic.naturalSize);
    else
        Image1->clearPicture();

    // Lets waiting input run; a display it starts takes over and this one gives way.
    const QPointer<Form4> self(this);
    QCoreApplication::processEvents();
    if (!self || m_closed || serial != m_displaySerial)
        return;

    setWindowTitle(titleText(m_settings.viewerMode, m_session.viewerFile, m_session.viewerIndex, entryCount()));
    StatusBar1->setPanelText(1, QLatin1Char(' ') + m_folder.path() + QLatin1Char(' '));
    StatusBar1->setPanelText(2, QLatin1Char(' ') + m_session.viewerFile + QLatin1Char(' '));
    const QSize natural = Image1->hasPicture() ? Image1->naturalSize() : QSize(0, 0);
    StatusBar1->setPanelText(3, naturalSizeText(natural));

    const QFileInfo info(path);
    if (!info.exists()) {
        // A PNG that vanished: the decoder says nothing, but the file's length cannot be read.
        reportMissing();
        return;
    }
    if (!info.isFile())
        return;
    StatusBar1->setPanelText(4, sizeText(info.size()));
    StatusBar1->setPanelText(5, modifiedText(info.lastModified()));

    const Fit fit = fitToArea(float(natural.width()), float(natural.height()), float(area.width()),
                              float(area.height()));
    if (fit.reduced) {
        Image1->setStretch(true);
        StatusBar1->setPanelText(6, QStringLiteral(" 縮小表示中 "));
    }
    Image1->setGeometry(toPixels(fit));
    Image1->show();
    prepareNeighbours(path, area, shown);
}

void Form4::prepareNeighbours(const QString& shownPath, QSize area, const Picture& shown)
{
    const int count = entryCount();
    QStringList around;
    auto add = [&](int i) {
        if (i >= 0 && i < count)
            around.append(joinPath(m_folder.path(), entryAt(i)));
    };
    add(m_session.viewerIndex + 1);
    if (m_session.viewerIndex == count - 1 && m_session.slideRepeat)
        add(0); // a repeating slideshow wraps round
    add(m_session.viewerIndex - 1);
    m_prefetch->keepOnly(around + QStringList { shownPath }, area);
    // The picture on screen is the one a step back shows.
    if (shown.ok() && !shown.image.isNull())
        m_prefetch->keep(shownPath, area, shown);
    for (const QString& path : std::as_const(around))
        m_prefetch->prepare(path, area);
}
