#include "app/Form1.h"
#include "board/BoardGeometry.h"
#include "board/BoardWidgets.h"
#include "imaging/SharedThumbnails.h"
#include "imaging/ThumbnailCache.h"
#include "platform/Numeric.h"
#include "platform/StatusBar.h"
#include "session/Session.h"
#include "session/Settings.h"
#include <QCoreApplication>
#include <QFont>
#include <QLayout>
#include <QMenu>
#include <QToolBar>
#include <algorithm>

namespace {

const QString kSlotTip = QStringLiteral("右クリックでワンポイントViewerを起動します。");
// Thumbnails made ahead past the page: one load-anew step.
constexpr int kLookAhead = 10;
const QString kTargetTip = QStringLiteral("サムネイルをここへドラッグドロップする事でファイルを移動します。");

// LabelBackColor holds the colour as decimal text, red in the low byte.
QColor colorFromDecimal(const QString& text)
{
    const auto v = static_cast<uint32_t>(text.toLongLong());
    return QColor(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff));
}

}

void Form1::buildBoardControls()
{
    ThumbnailCache::Options thumbs;
    thumbs.png = m_png.get();
    thumbs.sharedRoot = SharedThumbnails::defaultRoot();
    m_thumbs = std::make_unique<ThumbnailCache>(thumbs);

    Picture1 = new BoardArea(this, m_client);
    Picture1->hide();
    Label1.resize(10);
    Label1[0] = new TargetLabel(this, 0, Picture1);
    Label1[0]->hide();
    Image1.append(new ThumbSlot(this, 0, Picture1));
    Image1[0]->hide();
    // The copy-mode label lives on the window itself on the folder screen.
    Label2 = new CopyModeLabel(this, m_client);
    Label2->setText(QStringLiteral("コピーモード"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(15.75);
    f.setBold(true);
    Label2->setFont(f);
    Label2->setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    placeCopyModeLabel(false);
    Label2->hide();

    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
}

void Form1::Timer1_Timer()
{
    Label2->setVisible(!Label2->isVisible());
    if (!Timer1->isActive())
        Label2->hide();
}

void Form1::setBlinkInterval(int ms)
{
    if (ms <= 0) {
        Timer1->stop();
        Timer1->setInterval(0);
    } else {
        Timer1->start(ms);
    }
}

QColor Form1::labelBackColor() const { return colorFromDecimal(LabelBackColor); }

void Form1::placeCopyModeLabel(bool onTheBoard)
{
    // Reparenting hides a widget; the blink state must survive the move.
    const bool shown = !Label2->isHidden();
    if (onTheBoard) {
        Label2->setParent(Picture1);
        const QRectF r = Board::copyModeLabelRect(innerWidthTwips(), innerHeightTwips());
        placeTwips(Label2, r.x(), r.y(), r.width(), r.height(), m_tpp);
    } else {
        Label2->setParent(m_client);
        placeTwips(Label2, 120, 720, 255, 255, m_tpp);
    }
    Label2->setVisible(shown);
}

ThumbSlot* Form1::createSlot(int i)
{
    if (Image1.size() <= i)
        Image1.resize(i + 1);
    delete Image1[i];
    auto* slot = new ThumbSlot(this, i, Picture1);
    // A new element starts with element 0's size, as loaded control-array elements do.
    slot->setSizeTwips(Image1[0]->sizeTwips());
    slot->setToolTip(kSlotTip);
    slot->hide();
    Image1[i] = slot;
    return slot;
}

void Form1::UnloadSlots()
{
    // Every slot above 0 goes, not only 1..BoardEnd: a ThumbCount changed on the board
    // would otherwise leave slots of the earlier page standing.
    for (int i = 1; i < Image1.size(); ++i)
        delete Image1[i];
    Image1.resize(1);
}

ThumbSlot* Form1::slotAt(int i) const { return i >= 0 && i < Image1.size() ? Image1[i] : nullptr; }

int Form1::reachedPositions() const
{
    // The page fill places slots in list order, so the placed ones are a run from 0.
    int n = 0;
    while (n < BoardEnd && slotAt(n) && slotAt(n)->isPlaced())
        ++n;
    return n;
}

void Form1::Command1_Click()
{
    // The build assumes the folder screen; it never runs on top of a board.
    if (onBoard() || m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        BoardEnd = m_settings.thumbCount;

        showFolderScreen(false);
        Picture1->show();
        m_toolbar->show();
        m_toolbar->setEnabled(false);

        // The whole work area, without switching to the maximised state.
        const QRect wa = workArea();
        const double widthTwips = Numeric::roundHalfEven(pixelsToTwips(wa.x() + wa.width(), m_tpp.x));
        const double heightTwips = Numeric::roundHalfEven(pixelsToTwips(wa.y() + wa.height(), m_tpp.y));
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        move(0, 0);
        resize(twipsToPixels(widthTwips, m_tpp.x) - frameExtra.width(),
            twipsToPixels(heightTwips, m_tpp.y) - frameExtra.height());
        layoutClientNow();

        const QRectF board = Board::boardRect(innerWidthTwips(), innerHeightTwips());
        placeTwips(Picture1, board.x(), board.y(), board.width(), board.height(), m_tpp);
        placeCopyModeLabel(true);

        m_settings.updateDestNames();

        const double w = pixelsToTwips(Picture1->width(), m_tpp.x);
        const double h = pixelsToTwips(Picture1->height(), m_tpp.y);
        const QColor back = labelBackColor();
        for (int k = 0; k < 10; ++k) {
            if (k > 0) {
                delete Label1[k];
                Label1[k] = new TargetLabel(this, k, Picture1);
            }
            TargetLabel* label = Label1[k];
            label->setToolTip(kTargetTip);
            const QRectF r = Board::targetLabelRect(k, w, h);
            placeTwips(label, r.x(), r.y(), r.width(), r.height(), m_tpp);
            // The root a first start gives every target is no place to sort into.
            const auto i = static_cast<size_t>(k);
            label->setText(
                Settings::isUnsetFolder(m_settings.destPaths[i]) ? QStringLiteral("未設定") : m_settings.destNames[i]);
            label->setBackColor(back);
            label->show();
        }

        LoadPath = m_folder.filePath(0);
        FillPage(m_settings.thumbCount, true);

        m_toolbar->setEnabled(true);
    }
    ResetCurrentThumb();
    Picture1->setFocus(Qt::OtherFocusReason);
}

void Form1::layoutClientNow()
{
    // The main window's layout places the client area on its next pass; the board is
    // measured from it right away.
    if (layout())
        layout()->activate();
}

void Form1::FillPage(int limit, bool fromBuild)
{
    const TwipsPerPixel& tpp = m_tpp;
    const int size = Board::effectiveThumbSize(m_settings.thumbSize);
    const double boardW = pixelsToTwips(Picture1->width(), tpp.x);
    const double boardH = pixelsToTwips(Picture1->height(), tpp.y);

    ThumbSlot* slot0 = Image1[0];
    slot0->setSizeTwips(QSizeF(tpp.x * size, size * tpp.y));
    ThumbTwips = Board::thumbTwips(tpp.x, size);
    // Slot 0 shows again only when it gets a file of this page.
    slot0->hide();
    slot0->setPlaced(false);

    LoadSlot = 0;
    QCoreApplication::processEvents();
    if (fromBuild)
        slot0->setToolTip(kSlotTip);

    const Board::Grid grid = Board::boardGrid(boardW, boardH, tpp, size);
    Board::PageCursor cursor(grid);
    // Every picture the page can show is asked for before the first slot is placed, so
    // the workers stay ahead of the slots.
    const int planned = std::min({ limit, m_folder.count(), grid.columns * grid.rows });
    QStringList paths;
    for (int i = 0; i < planned; ++i)
        paths.append(m_folder.filePath(i));
    const int box = twipsToPixels(ThumbTwips, tpp.x);
    m_thumbs->prefetch(paths, box);

    for (int i = 0; i < limit; ++i) {
        ThumbSlot* slot = i == 0 ? Image1[0] : createSlot(i);
        if (i >= m_folder.count())
            break;
        LoadPath = m_folder.filePath(i);
        LoadSlot = static_cast<int16_t>(i);
        slot->hide();
        LoadThumbnail();
        const std::optional<QPointF> at = cursor.place(slot->sizeTwips());
        if (!at)
            break; // the board is full
        slot->moveTwips(*at);
        slot->setPlaced(true);
        QCoreApplication::processEvents();
        // The events just run may have refilled nothing (the busy flag), but look again.
        if (ThumbSlot* s = slotAt(i))
            s->show();
    }
    // What the page no longer needs is dropped. The entries after it are the ones the
    // next reload (after drops) and load anew show: made while the user sorts.
    m_thumbs->cancelPending();
    QStringList next;
    for (int i = planned; i < std::min(m_folder.count(), planned + kLookAhead); ++i)
        next.append(m_folder.filePath(i));
    m_thumbs->prefetch(next, box);
    // The drop targets stay reachable over a last row that reaches into their band.
    for (TargetLabel* label : Label1)
        if (label)
            label->raise();
    Label2->raise();
}

void Form1::LoadThumbnail()
{
    ThumbSlot* s = slotAt(LoadSlot);
    if (!s)
        return;
    s->setStretch(false);
    const ThumbnailMaker::ThumbResult thumb = m_thumbs->take(LoadPath, twipsToPixels(ThumbTwips, m_tpp.x));
    const QImage& image = thumb.image;
    const QSize natural = thumb.natural;
    if (image.isNull()) {
        // Nothing readable: an empty frame of the size the slot had, never the picture
        // of another file.
        s->showNoPicture();
        return;
    }
    s->showPicture(image, natural);
    const Board::Fit fit = Board::fitThumbnail(Board::naturalTwips(natural, m_tpp), ThumbTwips);
    s->setStretch(fit.stretch);
    s->setSizeTwips(fit.size);
}

void Form1::mnuRL_Click()
{
    if (m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        m_toolbar->setEnabled(false);
        UnloadSlots();
        ExtendCount = 0;
        BoardEnd = m_settings.thumbCount;
        m_folder.refresh();
        LoadPath = m_folder.filePath(0);
        FillPage(m_settings.thumbCount, false);
        m_toolbar->setEnabled(true);
        m_statusBar->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));
    }
    ResetCurrentThumb();
}

void Form1::mnuDL_Click()
{
    if (m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        ExtendCount = Board::nextExtendCount(ExtendCount);
        // Bounded by the list as it was before this command relists it.
        BoardEnd = Board::loadAnewEnd(ExtendCount, m_settings.thumbCount, m_folder.count());
        m_toolbar->setEnabled(false);
        UnloadSlots();
        m_folder.refresh();
        LoadPath = m_folder.filePath(0);
        FillPage(BoardEnd, false);
        m_statusBar->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));
        m_toolbar->setEnabled(true);
    }
    ResetCurrentThumb();
}

void Form1::Image1_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers, float x, float y)
{
    if (m_session.isBusy())
        return;
    ThumbSlot* slot = slotAt(index);
    if (!slot)
        return;
    // The right button opens the one-point viewer over the board instead: a drag begun
    // with it would hold the pointer and swallow the click that closes the viewer.
    if (button != Qt::RightButton)
        slot->beginDrag();
    m_statusBar->setPanelText(2, QStringLiteral(" ") + m_folder.name(index) + QStringLiteral(" "));
    DragOffsetX = x;
    DragOffsetY = y;
    DragIndex = index;
    if (button == Qt::RightButton)
        OpenOnePointViewer(index);
}

void Form1::Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, float x, float y)
{
    if (m_session.isBusy() || button != Qt::RightButton)
        return;
    const QPoint at(twipsToPixels(x, m_tpp.x), twipsToPixels(y, m_tpp.y));
    m_boardMenu->popup(Picture1->mapToGlobal(at));
}

void Form1::OpenOnePointViewer(int index)
{
    // Without its toolbar and with the click-to-close tooltips; an open viewer switches
    // to this picture.
    openViewer(index, ViewerWindow::Mode::OnePoint);
}
