#pragma once
#include <QColor>
#include <QLabel>

// One of the ten targets (0..9) along the board's bottom edge, captioned with its folder's name
// and, in its top-left corner, the smaller digit whose key sends a picture to it. It
// turns blue while a thumbnail of the board is dragged over it and takes its normal
// colour again when the drag leaves or is dropped, whatever the drop did.
class Target : public QLabel {
    Q_OBJECT
public:
    Target(int target, const QColor& normal, QWidget* board);
    int number() const { return m_number; }

    QColor backColor() const { return m_back; }
    void setBackColor(const QColor& c);
    void resetColor() { setBackColor(m_normal); }
    static QColor highlight() { return QColor(0, 0, 255); }

    // High enough for the digit's line above the name's, with the frame around them.
    int preferredHeight() const;
    QFont digitFont() const;
    // The name as it fits the target's width, shortened in the middle ("…") when it does not.
    QString shownName() const;

signals:
    void dropped(int target);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    const int m_number;
    const QColor m_normal;
    QColor m_back;
};
