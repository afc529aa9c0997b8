#pragma once
#include <QRect>

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

// The primary screen's work area in pixels (the area outside panels and docks).
QRect workArea();
