#include "app/Form1.h"
#include "board/BoardGeometry.h"
#include "board/BoardKeys.h"
#include "board/BoardWidgets.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

// The board from the keyboard: the framed current thumbnail, the digit keys that send
// it through the drop handler, and the keys of the board's commands.

namespace {

// Long enough for the eye to catch which target took the picture, short enough not to
// be mistaken for a drag still hovering there.
constexpr int kFlashMs = 250;

// Keys the board area ignores travel up to the window; so do keys sent to the window
// itself. Other windows (the viewer, the dialogs) never pass theirs here.
class BoardKeyFilter : public QObject {
public:
    explicit BoardKeyFilter(Form1* form)
        : QObject(form)
        , m_form(form)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_form && e->type() == QEvent::KeyPress)
            return m_form->Form_KeyDown(static_cast<QKeyEvent*>(e));
        return false;
    }

private:
    Form1* m_form;
};

BoardKeys::Shown shownSlots(const QVector<ThumbSlot*>& thumbs)
{
    BoardKeys::Shown shown(thumbs.size(), false);
    for (int i = 0; i < thumbs.size(); ++i)
        shown[i] = thumbs[i] && !thumbs[i]->isHidden();
    return shown;
}

// The columns of the page as the last fill laid it out: ThumbTwips is that fill's box.
int pageColumns(const Form1& f)
{
    const TwipsPerPixel& tpp = f.tpp();
    const int size = qRound(f.ThumbTwips / tpp.x);
    const double width = pixelsToTwips(f.Picture1->width(), tpp.x);
    const double height = pixelsToTwips(f.Picture1->height(), tpp.y);
    return Board::boardGrid(width, height, tpp, size).columns;
}

void restoreLabel(Form1& f, int k)
{
    if (k >= 0 && k < f.Label1.size() && f.Label1[k])
        f.Label1[k]->setBackColor(f.labelBackColor());
}

}

void Form1::installBoardKeys()
{
    installEventFilter(new BoardKeyFilter(this));

    // On the board the board area is the one control that takes the keyboard.
    Picture1->setFocusPolicy(Qt::StrongFocus);

    m_flashTimer = new QTimer(this);
    m_flashTimer->setSingleShot(true);
    connect(m_flashTimer, &QTimer::timeout, this, [this] {
        restoreLabel(*this, m_flashTarget);
        m_flashTarget = -1;
    });
}

bool Form1::Form_KeyDown(QKeyEvent* e)
{
    if (!onBoard())
        return false;
    const BoardKeys::KeyPress press { e->key(), e->modifiers(), e->nativeScanCode(), e->isAutoRepeat() };
    const BoardKeys::Action action
        = BoardKeys::actionFor(press, BoardKeys::scanCodesOf(QGuiApplication::platformName()));
    if (action.command == BoardKeys::Command::None)
        return false;
    // Taken and dropped, as a click is while the board is busy.
    if (m_session.isBusy())
        return true;

    using C = BoardKeys::Command;
    switch (action.command) {
    case C::Send:
        SendCurrentThumb(action.target);
        break;
    case C::Previous:
    case C::Next:
    case C::Up:
    case C::Down:
    case C::First:
    case C::Last: {
        SetCurrentThumb(BoardKeys::move(action.command, shownSlots(Image1), pageColumns(*this), CurrentThumb));
        break;
    }
    case C::OpenViewer: {
        // As a right press on the thumbnail does, without the drag.
        const ThumbSlot* slot = slotAt(CurrentThumb);
        if (!slot || slot->isHidden())
            break;
        m_statusBar->setPanelText(2, QStringLiteral(" ") + m_folder.name(CurrentThumb) + QStringLiteral(" "));
        DragIndex = CurrentThumb;
        OpenOnePointViewer(CurrentThumb);
        break;
    }
    case C::Undo:
        if (undoAction->isEnabled())
            undoLastTransfer();
        break;
    case C::Reload:
        mnuRL_Click();
        break;
    case C::LoadAnew:
        mnuDL_Click();
        break;
    case C::None:
        break;
    }
    return true;
}

void Form1::SetCurrentThumb(int index)
{
    CurrentThumb = index;
    for (ThumbSlot* slot : std::as_const(Image1))
        if (slot)
            slot->setCurrent(slot->index() == index);
}

void Form1::ResetCurrentThumb() { SetCurrentThumb(BoardKeys::firstShown(shownSlots(Image1))); }

void Form1::Image1_MouseMove(int index)
{
    // While a page fills the fill's end sets the frame instead.
    if (m_session.isBusy())
        return;
    const ThumbSlot* slot = slotAt(index);
    if (slot && !slot->isHidden())
        SetCurrentThumb(index);
}

void Form1::Image1_Hidden(int index)
{
    // A dropped or sent-away thumbnail hands the frame on, so that the next key never
    // acts on a picture the frame did not show.
    if (index != CurrentThumb)
        return;
    const int next = BoardKeys::afterSend(shownSlots(Image1), index);
    if (next >= 0)
        SetCurrentThumb(next);
}

void Form1::SendCurrentThumb(int k)
{
    if (m_session.isBusy())
        return;
    const int index = CurrentThumb;
    const ThumbSlot* slot = slotAt(index);
    if (!slot || slot->isHidden())
        return;
    DragIndex = index;
    Label1_DragDrop(k, 0, 0);

    const ThumbSlot* after = slotAt(index);
    if (!after)
        return;
    if (after->isHidden()) {
        FlashTarget(k);
        const int next = BoardKeys::afterSend(shownSlots(Image1), index);
        if (next >= 0)
            SetCurrentThumb(next);
    } else {
        // The file stayed where it was: so does the frame.
        SetCurrentThumb(index);
    }
}

void Form1::FlashTarget(int k)
{
    if (k < 0 || k >= Label1.size() || !Label1[k])
        return;
    if (m_flashTimer->isActive() && m_flashTarget != k)
        restoreLabel(*this, m_flashTarget);
    Label1[k]->setBackColor(QColor(0, 0, 255));
    m_flashTarget = k;
    m_flashTimer->start(kFlashMs);
}
