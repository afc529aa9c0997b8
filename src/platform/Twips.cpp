#include "platform/Twips.h"
#include "platform/Numeric.h"
#include <QGuiApplication>
#include <QScreen>

TwipsPerPixel screenTwipsPerPixel()
{
    TwipsPerPixel t;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        if (s->logicalDotsPerInchX() > 0)
            t.x = 1440.0 / s->logicalDotsPerInchX();
        if (s->logicalDotsPerInchY() > 0)
            t.y = 1440.0 / s->logicalDotsPerInchY();
    }
    return t;
}

int twipsToPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(Numeric::roundHalfEven(twips / twipsPerPixel));
}

double pixelsToTwips(double pixels, double twipsPerPixel) { return pixels * twipsPerPixel; }

QRect workArea()
{
    if (const QScreen* s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return QRect(0, 0, 1024, 768);
}
