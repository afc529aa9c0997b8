// The viewer's keys and its side of sorting: digit keys send the picture shown, Ctrl+Z
// undoes, and the position follows the folder's listing as files go and come back.
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/PictureView.h"
#include "viewer/ViewerLogic.h"
#include "viewer/ViewerWindow.h"
#include "widgets/Message.h"
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int kNoticeMs = 1100;
constexpr int kFollowRetryMs = 20;
}

void ViewerWindow::buildNotice()
{
    m_notice = new QLabel(m_pictureView);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_notice->setStyleSheet(QStringLiteral("QLabel { background: rgba(0, 0, 0, 170); color: white;"
                                           " border-radius: 6px; padding: 8px 16px; font-size: 16pt; }"));
    m_notice->hide();
    m_noticeClock = new QTimer(this);
    m_noticeClock->setSingleShot(true);
    m_noticeClock->setInterval(kNoticeMs);
    connect(m_noticeClock, &QTimer::timeout, m_notice, &QWidget::hide);
}

void ViewerWindow::showNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->adjustSize();
    m_notice->move((m_pictureView->width() - m_notice->width()) / 2, m_pictureView->height() / 8);
    m_notice->show();
    m_notice->raise();
    m_noticeClock->start();
}

int ViewerWindow::presentCount() const { return m_folder.presentCount(); }

void ViewerWindow::syncStep()
{
    // An entry sent away meanwhile counts as the place of the one after it.
    const int count = presentCount();
    m_step.setPosition(std::clamp(m_folder.presentBefore(m_entry), 0, std::max(0, count - 1)));
}

void ViewerWindow::listingChanged()
{
    const int found = int(m_folder.names().indexOf(m_file));
    m_entry = found >= 0 ? found : std::clamp(m_entry, 0, std::max(0, m_folder.count() - 1));
    syncStep();
    if (!m_loaded || m_closed)
        return;
    countChanged();
    if (found >= 0 || presentCount() == 0)
        return;
    // The entry shown is gone from the new listing; the one now in its place is displayed
    // once the relisting caller (a board refill, under its busy state) is done.
    QTimer::singleShot(0, this, [this] {
        if (m_closed)
            return;
        syncStep();
        showCurrent();
    });
}

void ViewerWindow::countChanged()
{
    if (!m_loaded || m_closed)
        return;
    syncStep();
    setWindowTitle(ViewerLogic::titleText(m_settings.viewerMode, m_file, m_step.position(), presentCount()));
    if (m_folder.isGone(m_entry) && !m_followPending) {
        m_followPending = true;
        QTimer::singleShot(0, this, &ViewerWindow::followSent);
    }
}

void ViewerWindow::followSent()
{
    // The board sent the picture shown. The transfer says it is gone before the file has
    // moved and may still take that back, so this waits for the transfer to end.
    if (m_session.isBusy()) {
        QTimer::singleShot(kFollowRetryMs, this, &ViewerWindow::followSent);
        return;
    }
    m_followPending = false;
    const int count = presentCount();
    if (m_closed || !m_folder.isGone(m_entry) || count == 0)
        return;
    m_step.setPosition(std::min(m_folder.presentBefore(m_entry), count - 1));
    showCurrent();
}

void ViewerWindow::keyPressEvent(QKeyEvent* e)
{
    // With Ctrl, Alt or Meta (often an input-method switch) a key is no command.
    const Qt::KeyboardModifiers held
        = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (sortingKey(e))
        return;
    if (held != Qt::NoModifier && held != Qt::ShiftModifier) {
        QWidget::keyPressEvent(e);
        return;
    }
    const bool panning = m_pictureView->isActualSize();
    const int panStep = fontMetrics().height() * 3;
    switch (e->key()) {
    case Qt::Key_Space:
        step(held == Qt::NoModifier); // Shift steps back
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (panning)
            m_pictureView->pan(e->key() == Qt::Key_Right ? QPoint(panStep, 0) : QPoint(0, panStep));
        else
            command(Command::Next);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (panning)
            m_pictureView->pan(e->key() == Qt::Key_Left ? QPoint(-panStep, 0) : QPoint(0, -panStep));
        else
            command(Command::Previous);
        break;
    case Qt::Key_PageDown:
        command(Command::Next);
        break;
    case Qt::Key_PageUp:
        command(Command::Previous);
        break;
    case Qt::Key_Home:
        command(Command::First);
        break;
    case Qt::Key_End:
        command(Command::Last);
        break;
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F11:
        toggleFullScreen();
        break;
    case Qt::Key_Z:
        panning ? fitAgain() : showActualSize();
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

bool ViewerWindow::sortingKey(QKeyEvent* e)
{
    const Qt::KeyboardModifiers held = e->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    const int key = e->key();
    if (held == Qt::ControlModifier && (key == Qt::Key_Z || key == Qt::Key_1 || key == Qt::Key_0)) {
        if (key == Qt::Key_Z && !e->isAutoRepeat())
            emit undoRequested();
        else if (key == Qt::Key_1)
            showActualSize();
        else if (key == Qt::Key_0)
            fitAgain();
        e->accept();
        return true;
    }
    if (held != Qt::NoModifier || key < Qt::Key_0 || key > Qt::Key_9)
        return false;
    e->accept();
    // A held digit sends once; the slideshow would step the picture away under the key.
    if (!e->isAutoRepeat() && !m_closed && presentCount() > 0 && !m_folder.isGone(m_entry)) {
        stopSlideshow();
        emit sendRequested(key - Qt::Key_0, m_entry);
    }
    return true;
}

void ViewerWindow::sendDone(int target, const QString& targetName)
{
    if (m_closed)
        return;
    const int count = presentCount();
    if (count == 0) {
        const QPointer<ViewerWindow> self(this);
        showMessage(this, QStringLiteral("フォルダに残っている画像はありません。Viewerを閉じます。"));
        if (self)
            close();
        return;
    }
    // The entry sent is gone from the count: the next one takes its place, at the end the previous one.
    m_step.setPosition(std::min(m_folder.presentBefore(m_entry), count - 1));
    showNotice(QStringLiteral("%1 → %2").arg(target).arg(targetName));
    showCurrent();
}

void ViewerWindow::sendRefused(int target)
{
    if (!m_closed)
        showNotice(QStringLiteral("%1 × 送れませんでした").arg(target));
}

void ViewerWindow::showReturned(const QString& fileName)
{
    if (m_closed)
        return;
    const int found = int(m_folder.names().indexOf(fileName));
    if (found < 0)
        return;
    m_entry = found;
    m_file = fileName;
    syncStep();
    showNotice(QStringLiteral("元に戻しました"));
    display();
}
