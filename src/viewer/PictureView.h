#pragma once
#include <QWidget>

class PictureBox;

// The viewer's picture area: a picture inside it, shown at its natural size and
// centred, or reduced to fit when it is larger than the area; or at 100 %, larger than
// the area, moved about by dragging it or by pan().
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent);

    PictureBox* picture() const { return m_picture; }

    void setTips(const QString& tip); // the area's and the picture's
    void clear(); // the picture hidden, the area repainted, stretch off
    // Places the picture (of `natural` size) in the area and shows it; true when it was reduced.
    bool fit(QSize natural);

    // The whole picture at 100 %, the point of it under `anchor` (area coordinates) kept
    // where it was in the fitted view.
    void showActualSize(const QImage& whole, QPoint anchor);
    bool isActualSize() const { return m_actualSize; }
    // At 100 %: the point of the picture at the area's centre, as shares of its width and
    // height, so that the next picture can be shown on the same spot.
    QPointF centredShare() const;
    void showActualSizeAt(const QImage& whole, QPointF share);
    void pan(QPoint by); // moves the view over the picture; the picture never leaves a gap

signals:
    // A press of any button on the picture or on the area around it; a quick second
    // click, which arrives as a double click, counts as a press too.
    void pressed(QWidget* control, Qt::MouseButton button);
    void doubleClicked(); // a left double click; at 100 % presses drag instead

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void placeWithin(QRect r); // r, moved so that it covers the area or is centred in it
    PictureBox* m_picture = nullptr;
    bool m_actualSize = false;
    QPoint m_dragFrom; // global position of the last drag step
    bool m_dragging = false;
};
