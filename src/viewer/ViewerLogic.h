#pragma once
#include "imaging/HeaderCheck.h"
#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QString>
#include <cstdint>

// The viewer's arithmetic and texts, free of any window.
namespace ViewerLogic {

// The largest picture the viewer decodes, in pixels: 256 MP as cameras count them
// (16000 x 16000 is within it, 16384 x 16384 beyond). A larger one is refused from its
// header and shown as an invalid picture, so that a small file cannot ask for gigabytes.
constexpr qint64 kMaxPixels = HeaderCheck::MaxPicturePixels;

QString titleText(int16_t viewerMode, const QString& file, int32_t position, int count);

// The file length rounded up to whole kilobytes.
int64_t kilobytes(int64_t length);
QString sizeText(int64_t length); // " K" + "KB "
QString naturalSizeText(QSize natural); // " WXH Pixel "
QString modifiedText(const QDateTime& when, const QLocale& locale = QLocale());

// A picture of natural size w x h placed in an area sw x sh: reduced to the width when
// wider, then to the height when still taller (both tests strict), never enlarged, centred.
struct Fit {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool reduced = false;
};
Fit fitToArea(float w, float h, float sw, float sh);
QRect toPixels(const Fit& fit); // halves to even

// The slideshow interval in ms; seconds outside 1..32 run at the nearest of the two.
int slideIntervalMs(int seconds);

} // namespace ViewerLogic
