#pragma once
#include "platform/Twips.h"

class QWidget;

// Places a child widget by twips relative to its parent.
void placeTwips(QWidget* w, double left, double top, double width, double height, const TwipsPerPixel& tpp);
