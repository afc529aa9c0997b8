#pragma once
#include "platform/Twips.h"
#include "widgets/PictureBox.h"
#include <QPointF>
#include <QSizeF>

class QDropEvent;
class QMimeData;

// Drags on the board carry this private type with the dragged tile's list position, so
// that only thumbnails of this board are taken by its targets.
namespace TileDrag {
QMimeData* mimeData(int position);
bool isOurs(const QDropEvent* e);
// Takes a drag of ours as a move and says so; any other is refused.
bool accept(QDropEvent* e);
}

// A thumbnail on the board, for the file at list position `position`. Its size and
// place are kept in twips, as the page fill computes them, and turned into pixels only
// for the widget. It tells its board what happens to it and reaches nothing else.
class Tile : public PictureBox {
    Q_OBJECT
public:
    Tile(int position, const TwipsPerPixel& tpp, QWidget* board);
    int position() const { return m_position; }

    QSizeF sizeTwips() const { return m_size; }
    QPointF posTwips() const { return m_pos; }
    void setSizeTwips(QSizeF size);
    void moveTwips(QPointF topLeft);

    // A picture read at display size; `natural` is its own size in pixels.
    void showPicture(const QImage& image, QSize natural);
    // No picture: the tile keeps its size and shows an empty frame.
    void showNoPicture();

    // Given a place on the board by the page fill; a tile the full board left out is not.
    bool isPlaced() const { return m_placed; }
    void setPlaced(bool on) { m_placed = on; }
    // Its file went away by a transfer: it keeps its place, hidden, until the next fill.
    bool isSent() const { return m_sent; }
    void setSent(bool on) { m_sent = on; }

    // The board asks for a drag while it handles the press; the drag starts once that
    // has returned, so everything the drop reads is set before the drag's event loop runs.
    void beginDrag() { m_dragRequested = true; }
    bool dragRequested() const { return m_dragRequested; }

    // The keyboard's current thumbnail wears a frame.
    bool isCurrent() const { return m_current; }
    void setCurrent(bool on);

signals:
    void pressed(int position, Qt::MouseButton button, QPointF grabTwips);
    void droppedOn(int position, QPointF atTwips); // a thumbnail let go over this one
    void entered(int position); // the pointer moved over it, no button held
    void hiddenByItself(int position); // the current tile was hidden (sent)
    void dragFinished(); // the drag begun from it ended, dropped or not

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void applyGeometry();

    const int m_position;
    const TwipsPerPixel m_tpp;
    QSizeF m_size;
    QPointF m_pos;
    bool m_dragRequested = false;
    bool m_current = false;
    bool m_placed = false;
    bool m_sent = false;
};
