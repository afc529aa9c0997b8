#pragma once
#include <QRect>
#include <QSize>

class QWidget;

namespace WindowFit {

// The room a top-level window may take on the screen of `anchor` (or the primary
// screen): the available area less the room a window manager's frame takes.
QRect room(const QWidget* anchor);

// `wanted` reduced to fit `room`, and placed centred over `over` (the room's centre when
// `over` is empty), then moved inside the room.
QRect place(QSize wanted, const QRect& over, const QRect& room);

// Gives a window `wanted` (else its preferred size), no larger than the screen, centred
// over its parent.
void fitAndCentre(QWidget* window, QSize wanted = QSize());

}
