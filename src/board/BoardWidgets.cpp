#include "board/BoardWidgets.h"
#include "app/Form1.h"
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace BoardDrag {

const char* const MimeType = "application/x-pirapo-lumo-slot";

QMimeData* makeMimeData(int slot)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(MimeType), QByteArray::number(slot));
    return data;
}

bool isOurs(const QDropEvent* e)
{
    // source() is null for a drag from another process, even one of this program.
    return e->mimeData() && e->mimeData()->hasFormat(QString::fromLatin1(MimeType))
        && qobject_cast<const ThumbSlot*>(e->source());
}

}

namespace {

QPointF twipsAt(const QPointF& px, const TwipsPerPixel& tpp) { return { px.x() * tpp.x, px.y() * tpp.y }; }

bool acceptOurs(QDropEvent* e)
{
    if (!BoardDrag::isOurs(e)) {
        e->ignore();
        return false;
    }
    e->setDropAction(Qt::MoveAction);
    e->accept();
    return true;
}

}

// ---- board area

BoardArea::BoardArea(Form1* form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
{
    setAcceptDrops(true);
}

void BoardArea::mousePressEvent(QMouseEvent* e)
{
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    m_form->Picture1_MouseDown(e->button(), e->modifiers(), float(t.x()), float(t.y()));
}

void BoardArea::dragEnterEvent(QDragEnterEvent* e) { acceptOurs(e); }
void BoardArea::dragMoveEvent(QDragMoveEvent* e) { acceptOurs(e); }

void BoardArea::dropEvent(QDropEvent* e)
{
    if (!acceptOurs(e))
        return;
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    m_form->Picture1_DragDrop(float(t.x()), float(t.y()));
}

// ---- target labels

TargetLabel::TargetLabel(Form1* form, int index, QWidget* parent)
    : QLabel(parent)
    , m_form(form)
    , m_index(index)
{
    setAcceptDrops(true);
    // A folder name is shown as it is written, never read as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setBackColor(palette().color(QPalette::Window));
}

void TargetLabel::setBackColor(const QColor& c)
{
    m_back = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    // Keep the name readable on the blue of a drag over it.
    p.setColor(QPalette::WindowText, qGray(c.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black));
    setPalette(p);
}

void TargetLabel::dragEnterEvent(QDragEnterEvent* e)
{
    if (acceptOurs(e))
        m_form->Label1_DragOver(m_index, 0);
}

void TargetLabel::dragMoveEvent(QDragMoveEvent* e)
{
    if (acceptOurs(e))
        m_form->Label1_DragOver(m_index, 2);
}

void TargetLabel::dragLeaveEvent(QDragLeaveEvent*) { m_form->Label1_DragOver(m_index, 1); }

void TargetLabel::dropEvent(QDropEvent* e)
{
    if (!acceptOurs(e))
        return;
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    QPointer<TargetLabel> self(this);
    m_form->Label1_DragDrop(m_index, float(t.x()), float(t.y()));
    // A drop turned away by the busy flag must not leave the label blue either.
    if (self)
        m_form->Label1_DragOver(m_index, 1);
}

// ---- thumbnail slots

ThumbSlot::ThumbSlot(Form1* form, int index, QWidget* parent)
    : PictureBox(parent)
    , m_form(form)
    , m_index(index)
{
    setAcceptDrops(true);
    setMouseTracking(true);
}

void ThumbSlot::applyGeometry()
{
    placeTwips(this, m_pos.x(), m_pos.y(), m_size.width(), m_size.height(), m_form->tpp());
}

void ThumbSlot::setSizeTwips(QSizeF size)
{
    m_size = size;
    applyGeometry();
}

void ThumbSlot::moveTwips(QPointF topLeft)
{
    m_pos = topLeft;
    applyGeometry();
}

void ThumbSlot::showPicture(const QImage& image, QSize natural)
{
    setPicture(image, natural);
    applyGeometry(); // the picture box sized itself to the natural pixels
}

void ThumbSlot::showNoPicture()
{
    clearPicture();
    applyGeometry();
}

void ThumbSlot::paintEvent(QPaintEvent* e)
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

void ThumbSlot::setCurrent(bool on)
{
    if (m_current == on)
        return;
    m_current = on;
    update();
}

void ThumbSlot::mouseMoveEvent(QMouseEvent* e)
{
    PictureBox::mouseMoveEvent(e);
    // Motion, not entering: after a reload or a send a slot may come to lie under a
    // pointer that has not moved, and the frame must stay where the keys left it.
    if (!isCurrent() && e->buttons() == Qt::NoButton)
        m_form->Image1_MouseMove(m_index);
}

void ThumbSlot::hideEvent(QHideEvent* e)
{
    PictureBox::hideEvent(e);
    // Only a slot hidden on its own: a minimised window hides every slot for a while.
    if (m_current && isHidden())
        m_form->Image1_Hidden(m_index);
}

void ThumbSlot::mousePressEvent(QMouseEvent* e)
{
    m_dragRequested = false;
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    QPointer<ThumbSlot> self(this);
    m_form->Image1_MouseDown(m_index, e->button(), e->modifiers(), float(t.x()), float(t.y()));
    if (self && m_dragRequested) {
        m_dragRequested = false;
        startDrag();
    }
}

void ThumbSlot::startDrag()
{
    // No pixmap: the window system's own drag cursor, as the slots have no drag icon.
    auto* drag = new QDrag(this);
    drag->setMimeData(BoardDrag::makeMimeData(m_index));
    drag->exec(Qt::MoveAction);
}

void ThumbSlot::dragEnterEvent(QDragEnterEvent* e) { acceptOurs(e); }
void ThumbSlot::dragMoveEvent(QDragMoveEvent* e) { acceptOurs(e); }

void ThumbSlot::dropEvent(QDropEvent* e)
{
    if (!acceptOurs(e))
        return;
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    m_form->Image1_DragDrop(m_index, float(t.x()), float(t.y()));
}

// ---- copy-mode label

CopyModeLabel::CopyModeLabel(Form1* form, QWidget* parent)
    : QLabel(parent)
    , m_form(form)
{
    setAcceptDrops(true);
}

void CopyModeLabel::dragEnterEvent(QDragEnterEvent* e) { acceptOurs(e); }
void CopyModeLabel::dragMoveEvent(QDragMoveEvent* e) { acceptOurs(e); }

void CopyModeLabel::dropEvent(QDropEvent* e)
{
    if (!acceptOurs(e))
        return;
    const QPointF t = twipsAt(e->position(), m_form->tpp());
    m_form->Label2_DragDrop(float(t.x()), float(t.y()));
}
