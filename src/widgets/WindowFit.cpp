#include "widgets/WindowFit.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace WindowFit {

namespace {
    // What a typical window manager's title bar and borders take; the frame is not known
    // before the window is shown.
    constexpr int kFrameWidth = 16;
    constexpr int kFrameHeight = 40;
}

QRect room(const QWidget* anchor)
{
    const QScreen* screen = anchor ? anchor->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(0, 0, 1024, 768);
    const QRect avail = screen->availableGeometry();
    return avail.adjusted(kFrameWidth / 2, kFrameHeight - kFrameWidth / 2, -kFrameWidth / 2, -kFrameWidth / 2);
}

QRect place(QSize wanted, const QRect& over, const QRect& room)
{
    const QSize size = wanted.boundedTo(room.size());
    QRect r(QPoint(0, 0), size);
    r.moveCenter(over.isEmpty() ? room.center() : over.center());
    r.moveLeft(std::clamp(r.left(), room.left(), room.right() - size.width() + 1));
    r.moveTop(std::clamp(r.top(), room.top(), room.bottom() - size.height() + 1));
    return r;
}

void fitAndCentre(QWidget* window, QSize wanted)
{
    const QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QRect area = room(parent ? parent : window);
    window->setMaximumSize(area.size());
    const QScreen* screen = (parent ? parent : window)->screen();
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry()
        : screen                                     ? screen->availableGeometry()
                                                     : QRect();
    window->setGeometry(
        place((wanted.isValid() ? wanted : window->sizeHint()).expandedTo(window->minimumSizeHint()), over, area));
}

}
