#include "app/Form1.h"
#include "board/BoardWidgets.h"

void Form1::Label1_DragDrop(int, float, float) { }

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

void Form1::UndoLast() { }
void Form1::mnuDel1_Click() { }
