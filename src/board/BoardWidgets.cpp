#include "board/BoardWidgets.h"
#include "app/Form1.h"

BoardArea::BoardArea(Form1* form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
{
}

TargetLabel::TargetLabel(Form1* form, int index, QWidget* parent)
    : QLabel(parent)
    , m_form(form)
    , m_index(index)
{
}

ThumbSlot::ThumbSlot(Form1* form, int index, QWidget* parent)
    : PictureBox(parent)
    , m_form(form)
    , m_index(index)
{
}

CopyModeLabel::CopyModeLabel(Form1* form, QWidget* parent)
    : QLabel(parent)
    , m_form(form)
{
}
