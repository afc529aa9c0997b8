#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "distribute/SendAll.h"
#include "distribute/Transfer.h"
#include "distribute/Undo.h"
#include "platform/DirList.h"
#include "platform/FileList.h"
#include "platform/Message.h"
#include "session/Session.h"
#include <QCoreApplication>

// The window's part of the file work: the busy flag, the thumbnails, the label colour,
// pending events, the undo commands and the message when a file could not be moved.
// The file work itself lives in Distribute, which tests run without a window.

void Form1::Label1_DragDrop(int k, float, float)
{
    if (m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        if (k >= 0 && k < Label1.size() && Label1[k])
            Label1[k]->setBackColor(labelBackColor());
        const int index = DragIndex;
        if (ThumbSlot* slot = slotAt(index))
            slot->hide();

        const Distribute::TransferResult result
            = Distribute::transferDrop(m_settings, m_session, m_history, k, Dir1->path(), File1->entry(index));

        QCoreApplication::processEvents();
        ApplyUndoEnabling();
        if (!result.ok) {
            // The file stayed where it was, so its thumbnail comes back.
            if (ThumbSlot* slot = slotAt(index))
                slot->show();
            showMessage(this, result.message, QMessageBox::Ok, QMessageBox::Warning);
        }
    }
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

void Form1::UndoLast()
{
    const Distribute::UndoResult result = Distribute::undoLast(m_settings, m_history);
    using Outcome = Distribute::UndoResult::Outcome;
    // The history changed: the board shows the folder as it now is.
    if (result.outcome == Outcome::Restored || result.outcome == Outcome::EntryDropped)
        mnuRL_Click();
    ApplyUndoEnabling();
    if (!result.message.isEmpty())
        showMessage(this, result.message, QMessageBox::Ok, QMessageBox::Warning);
}

void Form1::mnuDel1_Click()
{
    // The command leaves the busy flag alone, so drops may run between two files; a
    // second send-all started in that moment is dropped instead.
    if (m_session.isBusy() || m_sendingAll)
        return;
    m_sendingAll = true;
    Distribute::SendAllCallbacks callbacks;
    callbacks.hideThumbnail = [this](int i) {
        if (ThumbSlot* slot = slotAt(i))
            slot->hide();
    };
    callbacks.showThumbnail = [this](int i) {
        if (ThumbSlot* slot = slotAt(i))
            slot->show();
    };
    callbacks.processEvents = [] { QCoreApplication::processEvents(); };
    // Copies: a reload run from the pending events may relist the folder meanwhile.
    const QString folder = Dir1->path();
    const QStringList names = File1->entries();
    // Never a list position the user has not seen: a full board stops short of BoardEnd.
    const Distribute::SendAllResult result
        = Distribute::sendAllToDeleteFolder(m_settings, m_history, folder, names, reachedPositions(), callbacks);
    ApplyUndoEnabling();
    m_sendingAll = false;
    if (!result.message.isEmpty())
        showMessage(this, result.message, QMessageBox::Ok, QMessageBox::Warning);
}
