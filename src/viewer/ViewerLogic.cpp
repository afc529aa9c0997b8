#include "viewer/ViewerLogic.h"
#include "platform/Numeric.h"
#include <algorithm>

namespace ViewerLogic {

QString titleText(int16_t viewerMode, const QString& file, int32_t position, int count)
{
    const QString head = viewerMode == 1 ? QStringLiteral("ピラポくんViewer（ワンポイントViewer）  ")
                                         : QStringLiteral("ピラポくんViewer  ");
    return head + file + QStringLiteral("   (") + QString::number(int64_t(position) + 1) + QLatin1Char('/')
        + QString::number(count) + QLatin1Char(')');
}

int64_t kilobytes(int64_t length)
{
    // 64-bit so that a file of 2 GB or more still reads right instead of overflowing.
    return (std::max<int64_t>(length, 0) + 1023) / 1024;
}

QString sizeText(int64_t length) { return QStringLiteral(" %1KB ").arg(kilobytes(length)); }

QString naturalSizeText(QSize natural)
{
    const QSize s = natural.isValid() ? natural : QSize(0, 0);
    return QStringLiteral(" %1X%2 Pixel ").arg(s.width()).arg(s.height());
}

QString modifiedText(const QDateTime& when, const QLocale& locale)
{
    // Date and time with seconds; the C locale's own short form is "d MMM yyyy", so it gets the
    // year-first form the status bars use elsewhere.
    const QString date = locale.language() == QLocale::C ? when.date().toString(QStringLiteral("yyyy/MM/dd"))
                                                         : locale.toString(when.date(), QLocale::ShortFormat);
    return QLatin1Char(' ') + date + QLatin1Char(' ') + when.time().toString(QStringLiteral("HH:mm:ss"))
        + QLatin1Char(' ');
}

Fit fitToArea(float w, float h, float sw, float sh)
{
    Fit f;
    f.width = w;
    f.height = h;
    if (f.width > sw) {
        f.height = sw / f.width * f.height;
        f.width = sw;
        f.reduced = true;
    }
    if (f.height > sh) {
        f.width = sh / f.height * f.width;
        f.height = sh;
        f.reduced = true;
    }
    f.left = (sw - f.width) / 2;
    f.top = (sh - f.height) / 2;
    return f;
}

QRect toPixels(const Fit& fit)
{
    auto px = [](float v) { return int(Numeric::roundHalfEven(double(v))); };
    return QRect(px(fit.left), px(fit.top), std::max(0, px(fit.width)), std::max(0, px(fit.height)));
}

int slideIntervalMs(int seconds) { return std::clamp(seconds, 1, 32) * 1000; }

} // namespace ViewerLogic
