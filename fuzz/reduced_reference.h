// What mGetPNGDataScaled must make of a whole picture, computed the slow way: each output
// pixel the alpha-weighted average of the input pixels that fall on it (input column x
// falls on x * w / W, rounded down; rows likewise).
#pragma once

#include <QImage>

inline QImage reducedReference(const QImage& whole, QSize size)
{
    QImage out(size, QImage::Format_ARGB32);
    const qint64 W = whole.width(), H = whole.height(), w = size.width(), h = size.height();
    for (qint64 oy = 0; oy < h; ++oy)
        for (qint64 ox = 0; ox < w; ++ox) {
            quint64 red = 0, green = 0, blue = 0, alpha = 0, n = 0;
            for (qint64 y = (oy * H + h - 1) / h; y < ((oy + 1) * H + h - 1) / h; ++y)
                for (qint64 x = (ox * W + w - 1) / w; x < ((ox + 1) * W + w - 1) / w; ++x, ++n) {
                    const QRgb p = whole.pixel(int(x), int(y));
                    const quint64 a = quint64(qAlpha(p));
                    red += quint64(qRed(p)) * a;
                    green += quint64(qGreen(p)) * a;
                    blue += quint64(qBlue(p)) * a;
                    alpha += a;
                }
            auto colour = [&](quint64 sum) { return int((sum + alpha / 2) / alpha); };
            out.setPixel(int(ox), int(oy),
                alpha ? qRgba(colour(red), colour(green), colour(blue), int((alpha + n / 2) / n)) : 0u);
        }
    return out;
}

// True when every pixel of `a` and `b` differs by at most `tolerance` in each channel.
inline bool sameWithin(const QImage& a, const QImage& b, int tolerance)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance
                || qAbs(qBlue(p) - qBlue(q)) > tolerance || qAbs(qAlpha(p) - qAlpha(q)) > tolerance)
                return false;
        }
    return true;
}
