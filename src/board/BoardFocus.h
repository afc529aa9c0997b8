#pragma once
#include "board/BoardKeys.h"
#include <QObject>

class QKeyEvent;
class QTimer;
class Session;
class Sorter;
class SortingBoard;

// The board from the keyboard: the framed current thumbnail, the digit keys that send
// it to a target, the keys of the board's commands, and the short flash of the target
// that took a picture. It reads the keys of the board's window while the board is shown;
// other windows (the viewer, the dialogs) never pass theirs here.
class BoardFocus : public QObject {
    Q_OBJECT
public:
    BoardFocus(SortingBoard& board, Session& session, Sorter& sorter);

    int current() const { return m_current; } // list position of the framed thumbnail; -1 none
    void setCurrent(int position);
    void frameFirst(); // the first shown thumbnail, after the board was filled

    void tileEntered(int position); // the pointer moved over a thumbnail
    void tileHidden(int position); // the current thumbnail was hidden (sent)
    void sendCurrent(int target);
    void flash(int target);

signals:
    void currentChanged(int position); // the frame moved to another thumbnail

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool keyPressed(QKeyEvent* e); // true when the board took the key
    BoardKeys::Shown shownTiles() const;
    void resetColor(int target);

    SortingBoard& m_board;
    Session& m_session;
    Sorter& m_sorter;
    int m_current = -1;
    QTimer* m_flashClock;
    int m_flashTarget = -1;
};
