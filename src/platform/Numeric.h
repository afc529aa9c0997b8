#pragma once
#include <QString>
#include <cstdint>
#include <optional>

namespace Numeric {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double v);

// The longest decimal number at the start of `text` after leading blanks:
// optional sign, digits, optional decimal point and digits, optional exponent.
// Text without a number gives 0. "12a" -> 12, "abc" -> 0, " -3.5x" -> -3.5.
double leadingNumber(const QString& text);

// True when `text`, trimmed, is one whole decimal number and nothing else.
bool isWholeNumber(const QString& text);

// Rounds half to even and checks the range; nullopt when it does not fit.
std::optional<int32_t> toInt32(double v);
std::optional<int16_t> toInt16(double v);

// Clamps into the 16-bit range after rounding half to even.
int16_t clampToInt16(double v);

// The counter formatted with the pattern "000000": at least six digits, zero-padded,
// a minus sign before the digits of a negative value.
QString formatSerial(int64_t value);

}
