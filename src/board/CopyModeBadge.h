#pragma once
#include "platform/Twips.h"
#include <QLabel>
#include <QPointF>

class QTimer;

// "コピーモード" in red: it blinks while copy mode keeps the files that are sorted. It
// sits on the folder screen or on the board, and thumbnails may be let go over it there.
class CopyModeBadge : public QLabel {
    Q_OBJECT
public:
    CopyModeBadge(const TwipsPerPixel& tpp, QWidget* parent);

    // On: shown and hidden in turn every 500 ms. Off: the blinking stops where it is.
    void setBlinking(bool on);
    bool isBlinking() const;
    void blink(); // one tick; one that comes after the blinking stopped hides the badge

signals:
    void droppedOn(QPointF atTwips); // a thumbnail let go over the badge

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    const TwipsPerPixel m_tpp;
    QTimer* m_clock;
};
