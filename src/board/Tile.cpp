#include "board/Tile.h"
#include "widgets/TwipsWidget.h"
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace TileDrag {

namespace {
    const QString kMimeType = QStringLiteral("application/x-pirapo-lumo-tile");
}

QMimeData* mimeData(int position)
{
    auto* data = new QMimeData;
    data->setData(kMimeType, QByteArray::number(position));
    return data;
}

bool isOurs(const QDropEvent* e)
{
    // source() is null for a drag from another process, even one of this program.
    return e->mimeData() && e->mimeData()->hasFormat(kMimeType) && qobject_cast<const Tile*>(e->source());
}

bool accept(QDropEvent* e)
{
    if (!isOurs(e)) {
        e->ignore();
        return false;
    }
    e->setDropAction(Qt::MoveAction);
    e->accept();
    return true;
}

}

Tile::Tile(int position, const TwipsPerPixel& tpp, QWidget* board)
    : PictureBox(board)
    , m_position(position)
    , m_tpp(tpp)
{
    setObjectName(QStringLiteral("tile%1").arg(position));
    setAcceptDrops(true);
    setMouseTracking(true);
}

void Tile::applyGeometry() { placeTwips(this, m_pos.x(), m_pos.y(), m_size.width(), m_size.height(), m_tpp); }

void Tile::setSizeTwips(QSizeF size)
{
    m_size = size;
    applyGeometry();
}

void Tile::moveTwips(QPointF topLeft)
{
    m_pos = topLeft;
    applyGeometry();
}

void Tile::showPicture(const QImage& image, QSize natural)
{
    setPicture(image, natural);
    applyGeometry(); // the picture box sized itself to the natural pixels
}

void Tile::showNoPicture()
{
    clearPicture();
    applyGeometry();
}

void Tile::paintEvent(QPaintEvent* e)
{
    if (hasPicture()) {
        PictureBox::paintEvent(e);
    } else {
        // A file that could not be read still has a place to grab it by.
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_current) {
        // Orange with a dark edge inside: clear on light and dark pictures alike.
        QPainter p(this);
        p.setPen(QPen(QColor(255, 140, 0), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void Tile::setCurrent(bool on)
{
    if (m_current == on)
        return;
    m_current = on;
    update();
}

void Tile::mouseMoveEvent(QMouseEvent* e)
{
    PictureBox::mouseMoveEvent(e);
    // Motion, not entering: after a reload or a send a tile may come to lie under a
    // pointer that has not moved, and the frame must stay where the keys left it.
    if (!isCurrent() && e->buttons() == Qt::NoButton)
        emit entered(m_position);
}

void Tile::hideEvent(QHideEvent* e)
{
    PictureBox::hideEvent(e);
    // Only a tile hidden on its own: a minimised window hides every tile for a while.
    if (m_current && isHidden())
        emit hiddenByItself(m_position);
}

void Tile::mousePressEvent(QMouseEvent* e)
{
    m_dragRequested = false;
    const QPointF at = e->position();
    QPointer<Tile> self(this);
    emit pressed(m_position, e->button(), QPointF(at.x() * m_tpp.x, at.y() * m_tpp.y));
    if (!self || !m_dragRequested)
        return;
    m_dragRequested = false;
    // No pixmap: the window system's own drag cursor, as tiles have no drag icon.
    auto* drag = new QDrag(this);
    drag->setMimeData(TileDrag::mimeData(m_position));
    drag->exec(Qt::MoveAction);
    if (self)
        emit dragFinished();
}

void Tile::dragEnterEvent(QDragEnterEvent* e) { TileDrag::accept(e); }
void Tile::dragMoveEvent(QDragMoveEvent* e) { TileDrag::accept(e); }

void Tile::dropEvent(QDropEvent* e)
{
    if (TileDrag::accept(e))
        emit droppedOn(m_position, QPointF(e->position().x() * m_tpp.x, e->position().y() * m_tpp.y));
}
