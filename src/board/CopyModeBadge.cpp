#include "board/CopyModeBadge.h"
#include "board/Tile.h"
#include <QDropEvent>
#include <QFont>
#include <QTimer>

CopyModeBadge::CopyModeBadge(const TwipsPerPixel& tpp, QWidget* parent)
    : QLabel(parent)
    , m_tpp(tpp)
    , m_clock(new QTimer(this))
{
    setAcceptDrops(true);
    setText(QStringLiteral("コピーモード"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(15.75);
    f.setBold(true);
    setFont(f);
    setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    connect(m_clock, &QTimer::timeout, this, &CopyModeBadge::blink);
}

void CopyModeBadge::setBlinking(bool on)
{
    if (on) {
        m_clock->start(500);
    } else {
        // A clock of interval 0 would fire without pause.
        m_clock->stop();
        m_clock->setInterval(0);
    }
}

bool CopyModeBadge::isBlinking() const { return m_clock->isActive(); }

void CopyModeBadge::blink()
{
    setVisible(!isVisible());
    if (!m_clock->isActive())
        hide();
}

void CopyModeBadge::dragEnterEvent(QDragEnterEvent* e) { TileDrag::accept(e); }
void CopyModeBadge::dragMoveEvent(QDragMoveEvent* e) { TileDrag::accept(e); }

void CopyModeBadge::dropEvent(QDropEvent* e)
{
    if (TileDrag::accept(e))
        emit droppedOn(QPointF(e->position().x() * m_tpp.x, e->position().y() * m_tpp.y));
}
