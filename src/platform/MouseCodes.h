#pragma once
#include <Qt>

// The button and shift codes the window handlers take: left 1, right 2, middle 4;
// Shift 1, Ctrl 2, Alt 4. Meta gets 8 so that Super+key (often the input-method
// switch) never reads as the plain key.
inline int vbButton(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

inline int vbShift(Qt::KeyboardModifiers mods)
{
    return (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) | (mods & Qt::AltModifier ? 4 : 0)
        | (mods & Qt::MetaModifier ? 8 : 0);
}
