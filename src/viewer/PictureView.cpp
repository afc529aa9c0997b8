#include "viewer/PictureView.h"
#include "platform/PictureBox.h"
#include "viewer/ViewerLogic.h"
#include <QMouseEvent>

PictureView::PictureView(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    installEventFilter(this);
    m_picture = new PictureBox(this);
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

bool PictureView::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched == m_picture || watched == this)
        && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
        emit pressed(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(e)->button());
        return true;
    }
    return QWidget::eventFilter(watched, e);
}
