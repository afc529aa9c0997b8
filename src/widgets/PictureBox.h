#pragma once
#include <QImage>
#include <QPixmap>
#include <QWidget>

// A picture control with a stretch switch: off, it takes the picture's natural size;
// on, it draws the picture scaled to whatever size it is given.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // `natural` is the picture's own size in pixels when `image` was read reduced.
    void setPicture(const QImage& image, QSize natural = QSize());
    void clearPicture();
    bool hasPicture() const { return !m_pixmap.isNull(); }
    QSize naturalSize() const { return m_natural; }
    const QPixmap& pixmap() const { return m_pixmap; }

    bool stretch() const { return m_stretch; }
    void setStretch(bool on);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap m_pixmap;
    QSize m_natural;
    bool m_stretch = false;
};
