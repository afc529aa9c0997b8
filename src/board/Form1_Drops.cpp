#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "platform/Message.h"
#include "session/Session.h"
#include "sorting/Sorter.h"

// The board's side of the file work: the drops on targets and the commands that move
// files go to the sorter, whose signals hide and show thumbnails, switch the undo
// commands and bring the warnings.

void Form1::wireSorter()
{
    connect(&m_sorter, &Sorter::moving, this, [this](int i) {
        if (ThumbSlot* slot = slotAt(i))
            slot->hide();
    });
    // The file stayed where it was, so its thumbnail comes back.
    connect(&m_sorter, &Sorter::stayed, this, [this](int i) {
        if (ThumbSlot* slot = slotAt(i))
            slot->show();
    });
    connect(&m_sorter, &Sorter::historyChanged, this, &Form1::setUndoEnabled);
    // The history changed: the board shows the folder as it now is.
    connect(&m_sorter, &Sorter::undone, this, &Form1::mnuRL_Click);
    connect(&m_sorter, &Sorter::failed, this,
        [this](const QString& message) { showMessage(this, message, QMessageBox::Ok, QMessageBox::Warning); });
}

void Form1::Label1_DragDrop(int k, float, float)
{
    if (m_session.isBusy())
        return;
    if (k >= 0 && k < Label1.size() && Label1[k])
        Label1[k]->setBackColor(labelBackColor());
    m_sorter.transfer(k, DragIndex, m_folder.path(), m_folder.name(DragIndex));
}

void Form1::Label1_DragOver(int k, int state)
{
    if (k < 0 || k >= Label1.size() || !Label1[k])
        return;
    if (state == 0)
        Label1[k]->setBackColor(QColor(0, 0, 255));
    else if (state == 1)
        Label1[k]->setBackColor(labelBackColor());
}

// The three repositioning drops put the point where the thumbnail was grabbed under
// the mouse. They touch no file and are not held back by the busy flag.

void Form1::Picture1_DragDrop(float x, float y)
{
    if (ThumbSlot* dragged = slotAt(DragIndex))
        dragged->moveTwips(QPointF(x - DragOffsetX, y - DragOffsetY));
}

void Form1::Image1_DragDrop(int index, float x, float y)
{
    ThumbSlot* target = slotAt(index);
    ThumbSlot* dragged = slotAt(DragIndex);
    if (!target || !dragged)
        return;
    const QPointF at = target->posTwips();
    dragged->moveTwips(QPointF(at.x() + x - DragOffsetX, at.y() + y - DragOffsetY));
}

void Form1::Label2_DragDrop(float x, float y)
{
    ThumbSlot* dragged = slotAt(DragIndex);
    if (!dragged)
        return;
    const double left = pixelsToTwips(Label2->x(), m_tpp.x);
    const double top = pixelsToTwips(Label2->y(), m_tpp.y);
    dragged->moveTwips(QPointF(left + x - DragOffsetX, top + y - DragOffsetY));
}

void Form1::UndoLast() { m_sorter.undoLast(); }

void Form1::mnuDel1_Click()
{
    // Never a list position the user has not seen: a full board stops short of BoardEnd.
    QList<int> positions;
    for (int i = 0; i < reachedPositions(); ++i)
        positions.append(i);
    m_sorter.sendAll(m_folder.path(), m_folder.names(), positions);
}
