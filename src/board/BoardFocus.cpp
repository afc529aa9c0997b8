#include "board/BoardFocus.h"
#include "board/BoardGeometry.h"
#include "board/BoardKeys.h"
#include "board/SortingBoard.h"
#include "board/Target.h"
#include "board/Tile.h"
#include "session/Session.h"
#include "sorting/Sorter.h"
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

// Long enough for the eye to catch which target took the picture, short enough not to
// be mistaken for a drag still hovering there.
constexpr int kFlashMs = 250;

}

BoardKeys::Shown BoardFocus::shownTiles() const
{
    BoardKeys::Shown shown(m_board.tileCount(), false);
    for (int i = 0; i < m_board.tileCount(); ++i)
        shown[i] = m_board.tileAt(i) && !m_board.tileAt(i)->isHidden();
    return shown;
}

void BoardFocus::resetColor(int target)
{
    if (Target* widget = m_board.targetAt(target))
        widget->resetColor();
}

BoardFocus::BoardFocus(SortingBoard& board, Session& session, Sorter& sorter)
    : m_board(board)
    , m_session(session)
    , m_sorter(sorter)
    , m_flashClock(new QTimer(this))
{
    // Keys the board ignores travel up to its window; so do keys sent to the window itself.
    m_board.window()->installEventFilter(this);
    m_flashClock->setSingleShot(true);
    connect(m_flashClock, &QTimer::timeout, this, [this] {
        resetColor(m_flashTarget);
        m_flashTarget = -1;
    });
}

bool BoardFocus::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_board.window() && e->type() == QEvent::KeyPress)
        return keyPressed(static_cast<QKeyEvent*>(e));
    return false;
}

bool BoardFocus::keyPressed(QKeyEvent* e)
{
    if (m_board.isHidden())
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
        sendCurrent(action.target);
        break;
    case C::Previous:
    case C::Next:
    case C::Up:
    case C::Down:
    case C::First:
    case C::Last:
        setCurrent(BoardKeys::move(action.command, shownTiles(), m_board.pageColumns(), m_current));
        break;
    case C::OpenViewer:
        // As a right press on the thumbnail does, without the drag.
        if (const Tile* tile = m_board.tileAt(m_current); tile && !tile->isHidden())
            m_board.requestOnePointViewer(m_current);
        break;
    case C::Undo:
        // Only while the undo commands are enabled, as the menu's item is.
        if (m_board.undoEnabled())
            m_sorter.undoLast();
        break;
    case C::Reload:
        m_board.reload();
        break;
    case C::LoadMore:
        m_board.loadMore();
        break;
    case C::StopSendAll:
        m_sorter.cancelSendAll();
        break;
    case C::None:
        break;
    }
    return true;
}

void BoardFocus::setCurrent(int position)
{
    const bool moved = position != m_current;
    m_current = position;
    for (int i = 0; i < m_board.tileCount(); ++i)
        if (Tile* tile = m_board.tileAt(i))
            tile->setCurrent(i == position);
    if (moved && position >= 0)
        emit currentChanged(position);
}

void BoardFocus::frameFirst() { setCurrent(BoardKeys::firstShown(shownTiles())); }

void BoardFocus::tileEntered(int position)
{
    // While a page fills the fill's end sets the frame instead.
    if (m_session.isBusy())
        return;
    const Tile* tile = m_board.tileAt(position);
    if (tile && !tile->isHidden())
        setCurrent(position);
}

void BoardFocus::tileHidden(int position)
{
    // A dropped or sent-away thumbnail hands the frame on, so that the next key never
    // acts on a picture the frame did not show.
    if (position != m_current)
        return;
    const int next = BoardKeys::afterSend(shownTiles(), position);
    if (next >= 0)
        setCurrent(next);
}

void BoardFocus::sendCurrent(int target)
{
    if (m_session.isBusy())
        return;
    const int position = m_current;
    const Tile* tile = m_board.tileAt(position);
    if (!tile || tile->isHidden())
        return;
    m_board.sendToTarget(position, target);

    const Tile* after = m_board.tileAt(position);
    if (!after)
        return;
    if (after->isHidden()) {
        flash(target);
        const int next = BoardKeys::afterSend(shownTiles(), position);
        if (next >= 0)
            setCurrent(next);
    } else {
        // The file stayed where it was: so does the frame.
        setCurrent(position);
    }
}

void BoardFocus::flash(int target)
{
    Target* widget = m_board.targetAt(target);
    if (!widget)
        return;
    if (m_flashClock->isActive() && m_flashTarget != target)
        resetColor(m_flashTarget);
    widget->setBackColor(Target::highlight());
    m_flashTarget = target;
    m_flashClock->start(kFlashMs);
}
