#include "board/Target.h"
#include "board/Tile.h"
#include <QDragEnterEvent>
#include <QPainter>
#include <QPointer>

namespace {
// Never lower than the classic row of targets at 96 dpi, whatever the font.
constexpr int kLowestHeight = 33;
}

Target::Target(int target, const QColor& normal, QWidget* board)
    : QLabel(board)
    , m_number(target)
    , m_normal(normal)
{
    setObjectName(QStringLiteral("target%1").arg(target));
    setAcceptDrops(true);
    // A folder name is shown as it is written, never read as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setBackColor(normal);
}

QFont Target::digitFont() const
{
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() > 0 ? f.pointSizeF() * 0.8 : 8);
    f.setBold(true);
    return f;
}

int Target::preferredHeight() const
{
    const int frame = 2 * frameWidth();
    return std::max(QFontMetrics(digitFont()).height() + fontMetrics().height() + frame + 2, kLowestHeight);
}

QString Target::shownName() const
{
    const int room = contentsRect().width() - 4;
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(0, room));
}

void Target::paintEvent(QPaintEvent* e)
{
    // The frame only: the name and the digit are drawn here, so the name can be shortened
    // without changing the text the target holds.
    QFrame::paintEvent(e);
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QRect inside = contentsRect().adjusted(2, 1, -2, -1);
    const QFontMetrics digits(digitFont());
    // The name keeps the middle unless the digit's line would cover it.
    const int nameTop = std::max(inside.top(), inside.center().y() - fontMetrics().height() / 2);
    QRect nameRect(inside.left(), nameTop, inside.width(), fontMetrics().height());
    if (nameRect.top() < inside.top() + digits.height() - digits.descent())
        nameRect.moveTop(inside.top() + digits.height() - digits.descent());
    p.drawText(nameRect, Qt::AlignHCenter | Qt::AlignTop, shownName());
    p.setFont(digitFont());
    QColor digitColor = p.pen().color();
    digitColor.setAlpha(170);
    p.setPen(digitColor);
    p.drawText(inside, Qt::AlignLeft | Qt::AlignTop, QString::number(m_number));
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

void Target::dragLeaveEvent(QDragLeaveEvent*) { resetColor(); }

void Target::dropEvent(QDropEvent* e)
{
    if (!TileDrag::accept(e))
        return;
    QPointer<Target> self(this);
    emit dropped(m_number);
    // A drop turned away by the busy board must not leave the target blue either.
    if (self)
        resetColor();
}
