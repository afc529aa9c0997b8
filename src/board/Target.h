#pragma once
#include <QColor>
#include <QLabel>

// Drop target k (0..9) along the board's bottom edge, captioned with its folder's name.
// It turns blue while a thumbnail of the board is dragged over it and takes its normal
// colour again when the drag leaves or is dropped, whatever the drop did.
class Target : public QLabel {
    Q_OBJECT
public:
    Target(int k, const QColor& normal, QWidget* board);
    int index() const { return m_index; }

    QColor backColor() const { return m_back; }
    void setBackColor(const QColor& c);
    void resetColour() { setBackColor(m_normal); }
    static QColor highlight() { return QColor(0, 0, 255); }

signals:
    void dropped(int k);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    const int m_index;
    const QColor m_normal;
    QColor m_back;
};
