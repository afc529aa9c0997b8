#include "board/Target.h"
#include "board/Tile.h"
#include <QDragEnterEvent>
#include <QPointer>

Target::Target(int k, const QColor& normal, QWidget* board)
    : QLabel(board)
    , m_index(k)
    , m_normal(normal)
{
    setAcceptDrops(true);
    // A folder name is shown as it is written, never read as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setBackColor(normal);
}

void Target::setBackColor(const QColor& c)
{
    m_back = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    // Keep the name readable on the blue of a drag over it.
    p.setColor(QPalette::WindowText, qGray(c.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black));
    setPalette(p);
}

void Target::dragEnterEvent(QDragEnterEvent* e)
{
    if (TileDrag::accept(e))
        setBackColor(highlight());
}

void Target::dragMoveEvent(QDragMoveEvent* e) { TileDrag::accept(e); }

void Target::dragLeaveEvent(QDragLeaveEvent*) { resetColour(); }

void Target::dropEvent(QDropEvent* e)
{
    if (!TileDrag::accept(e))
        return;
    QPointer<Target> self(this);
    emit dropped(m_index);
    // A drop turned away by the busy board must not leave the target blue either.
    if (self)
        resetColour();
}
