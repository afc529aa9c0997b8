#include "platform/Numeric.h"
#include <cmath>
#include <limits>

namespace Numeric {

double roundHalfEven(double v)
{
    if (!std::isfinite(v))
        return v;
    return std::nearbyint(v); // the default rounding mode is to nearest, ties to even
}

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == QChar(0x3000)))
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        int j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        int expDigits = 0;
        while (j < n && text[j] >= u'0' && text[j] <= u'9') {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            i = j;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok ? v : 0.0;
}

bool isWholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    if (t[0] == u'+' || t[0] == u'-')
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= u'0' && t[i] <= u'9')
            ++digits;
        else if (t[i] == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits > 0;
}

template <typename T> static std::optional<T> toIntT(double v)
{
    const double r = roundHalfEven(v);
    if (!std::isfinite(r) || r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(r);
}

std::optional<int32_t> toInt32(double v) { return toIntT<int32_t>(v); }
std::optional<int16_t> toInt16(double v) { return toIntT<int16_t>(v); }

int16_t clampToInt16(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = roundHalfEven(v);
    if (r < -32768.0)
        return -32768;
    if (r > 32767.0)
        return 32767;
    return static_cast<int16_t>(r);
}

QString formatSerial(int64_t value)
{
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    QString digits = QString::number(magnitude).rightJustified(6, u'0');
    return negative ? QStringLiteral("-") + digits : digits;
}

}
