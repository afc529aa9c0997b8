#include "viewer/PictureView.h"
#include "viewer/ViewerLogic.h"
#include "widgets/PictureBox.h"
#include <QMouseEvent>
#include <algorithm>

PictureView::PictureView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    installEventFilter(this);
    m_picture = new PictureBox(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setFocusPolicy(Qt::NoFocus);
    m_picture->installEventFilter(this);
    m_picture->hide();
}

void PictureView::setTips(const QString& tip)
{
    setToolTip(tip);
    m_picture->setToolTip(tip);
}

void PictureView::clear()
{
    m_actualSize = false;
    m_dragging = false;
    m_picture->hide();
    update();
    m_picture->setStretch(false);
}

bool PictureView::fit(QSize natural)
{
    const ViewerLogic::Fit fit
        = ViewerLogic::fitToArea(float(natural.width()), float(natural.height()), float(width()), float(height()));
    if (fit.reduced)
        m_picture->setStretch(true);
    m_picture->setGeometry(ViewerLogic::toPixels(fit));
    m_picture->show();
    return fit.reduced;
}

void PictureView::showActualSize(const QImage& whole, QPoint anchor)
{
    const QRect fitted = m_picture->geometry();
    const QSize natural = whole.size();
    if (natural.isEmpty() || fitted.isEmpty())
        return;
    if (!rect().contains(anchor))
        anchor = rect().center();
    // The share of the picture left of and above the anchor stays the same.
    const double fx = std::clamp(double(anchor.x() - fitted.left()) / fitted.width(), 0.0, 1.0);
    const double fy = std::clamp(double(anchor.y() - fitted.top()) / fitted.height(), 0.0, 1.0);
    m_picture->setStretch(true);
    m_picture->setPicture(whole, natural);
    m_actualSize = true;
    placeWithin(
        QRect(QPoint(anchor.x() - qRound(fx * natural.width()), anchor.y() - qRound(fy * natural.height())), natural));
    m_picture->show();
}

QPointF PictureView::centredShare() const
{
    const QRect r = m_picture->geometry();
    if (r.isEmpty())
        return QPointF(0.5, 0.5);
    const QPoint c = rect().center();
    return QPointF(std::clamp(double(c.x() - r.left()) / r.width(), 0.0, 1.0),
        std::clamp(double(c.y() - r.top()) / r.height(), 0.0, 1.0));
}

void PictureView::showActualSizeAt(const QImage& whole, QPointF share)
{
    const QSize natural = whole.size();
    if (natural.isEmpty())
        return;
    m_picture->setStretch(true);
    m_picture->setPicture(whole, natural);
    m_actualSize = true;
    const QPoint c = rect().center();
    placeWithin(QRect(
        QPoint(c.x() - qRound(share.x() * natural.width()), c.y() - qRound(share.y() * natural.height())), natural));
    m_picture->show();
}

void PictureView::pan(QPoint by)
{
    if (m_actualSize)
        placeWithin(m_picture->geometry().translated(-by));
}

void PictureView::placeWithin(QRect r)
{
    const auto along = [](int pos, int length, int room) {
        return length <= room ? (room - length) / 2 : std::clamp(pos, room - length, 0);
    };
    r.moveTo(along(r.left(), r.width(), width()), along(r.top(), r.height(), height()));
    m_picture->setGeometry(r);
}

bool PictureView::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != m_picture && watched != this)
        return QWidget::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, e);
    const auto* me = static_cast<QMouseEvent*>(e);
    switch (type) {
    case QEvent::MouseButtonDblClick:
        if (me->button() == Qt::LeftButton) {
            emit doubleClicked();
            return true;
        }
        [[fallthrough]];
    case QEvent::MouseButtonPress:
        if (m_actualSize) {
            m_dragging = me->button() == Qt::LeftButton;
            m_dragFrom = me->globalPosition().toPoint();
            return true;
        }
        emit pressed(static_cast<QWidget*>(watched), me->button());
        return true;
    case QEvent::MouseMove:
        if (m_dragging) {
            const QPoint now = me->globalPosition().toPoint();
            pan(m_dragFrom - now);
            m_dragFrom = now;
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}
