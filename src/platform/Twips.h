#pragma once
#include <QRect>

class QWidget;

// Twips: 1440 per inch. Every window's geometry is given in twips; it is computed in
// twips by plain functions and turned into pixels only at the widget boundary.
struct TwipsPerPixel {
    double x = 15.0;
    double y = 15.0;
};

// From the primary screen's logical DPI (15 at 96 DPI).
TwipsPerPixel screenTwipsPerPixel();

int twipsToPixels(double twips, double twipsPerPixel); // rounded, halves to even
double pixelsToTwips(double pixels, double twipsPerPixel);

// Places a child widget by twips relative to its parent.
void placeTwips(QWidget* w, double left, double top, double width, double height, const TwipsPerPixel& tpp);

// The primary screen's work area in pixels (the area outside panels and docks).
QRect workArea();
