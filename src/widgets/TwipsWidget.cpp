#include "widgets/TwipsWidget.h"
#include <QWidget>
#include <algorithm>

void placeTwips(QWidget* w, double left, double top, double width, double height, const TwipsPerPixel& tpp)
{
    w->setGeometry(twipsToPixels(left, tpp.x), twipsToPixels(top, tpp.y), std::max(0, twipsToPixels(width, tpp.x)),
        std::max(0, twipsToPixels(height, tpp.y)));
}
