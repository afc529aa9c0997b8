#pragma once
#include "platform/PictureBox.h"
#include <QLabel>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

class Form1;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

// Drags on the board carry this private type with the dragged slot's index, so that
// only thumbnails of this window are taken by its targets.
namespace BoardDrag {
extern const char* const MimeType;
QMimeData* makeMimeData(int slot);
bool isOurs(const QDropEvent* e);
}

// The board area (`Picture1`): holds the target labels, the copy-mode label and the slots.
class BoardArea : public QWidget {
    Q_OBJECT
public:
    BoardArea(Form1* form, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    Form1* m_form;
};

// A target label (`Label1`(k)).
class TargetLabel : public QLabel {
    Q_OBJECT
public:
    TargetLabel(Form1* form, int index, QWidget* parent);
    int index() const { return m_index; }

    QColor backColor() const { return m_back; }
    void setBackColor(const QColor& c);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    Form1* m_form;
    int m_index;
    QColor m_back;
};

// A thumbnail slot (`Image1`(i)). Its size and place are kept in twips, as the page
// fill computes them, and turned into pixels only for the widget.
class ThumbSlot : public PictureBox {
    Q_OBJECT
public:
    ThumbSlot(Form1* form, int index, QWidget* parent);
    int index() const { return m_index; }

    QSizeF sizeTwips() const { return m_size; }
    QPointF posTwips() const { return m_pos; }
    void setSizeTwips(QSizeF size);
    void moveTwips(QPointF topLeft);

    // A picture read at display size; `natural` is its own size in pixels.
    void showPicture(const QImage& image, QSize natural);
    // No picture: the slot keeps its size and shows an empty frame.
    void showNoPicture();

    // Given a place on the board by the page fill; a slot the full board left out is not.
    bool isPlaced() const { return m_placed; }
    void setPlaced(bool on) { m_placed = on; }

    // The press handler asks for a drag; it starts once the handler has returned,
    // so everything the drop reads is set before the drag's event loop runs.
    void beginDrag() { m_dragRequested = true; }
    bool dragRequested() const { return m_dragRequested; }

    // The current thumbnail of the keyboard wears a frame.
    bool isCurrent() const { return m_current; }
    void setCurrent(bool on);

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
    void startDrag();

    Form1* m_form;
    int m_index;
    QSizeF m_size;
    QPointF m_pos;
    bool m_dragRequested = false;
    bool m_current = false;
    bool m_placed = false;
};

// The copy-mode indicator (`Label2`), "コピーモード".
class CopyModeLabel : public QLabel {
    Q_OBJECT
public:
    CopyModeLabel(Form1* form, QWidget* parent);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    Form1* m_form;
};
