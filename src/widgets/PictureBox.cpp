#include "widgets/PictureBox.h"
#include <QPainter>

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent)
{
}

void PictureBox::setPicture(const QImage& image, QSize natural)
{
    m_pixmap = image.isNull() ? QPixmap() : QPixmap::fromImage(image);
    m_natural = natural.isValid() ? natural : image.size();
    if (!m_stretch)
        resize(m_natural.isValid() ? m_natural : QSize(0, 0));
    update();
}

void PictureBox::clearPicture()
{
    m_pixmap = QPixmap();
    m_natural = QSize();
    if (!m_stretch)
        resize(0, 0);
    update();
}

void PictureBox::setStretch(bool on)
{
    m_stretch = on;
    if (!on && m_natural.isValid())
        resize(m_natural);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (m_pixmap.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), m_pixmap);
}
