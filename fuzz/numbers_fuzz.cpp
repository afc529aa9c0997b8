// Number fields typed by the user: the Val-like reader, the serial and interval
// checks never fault and keep their promises on any text.
#include "dialogs/DialogLogic.h"
#include "platform/Numeric.h"
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double v = Numeric::leadingNumber(text);
    (void)Numeric::toInt16(v);
    (void)Numeric::clampToInt16(v);
    (void)Numeric::isWholeNumber(text);
    const auto serial = DialogLogic::parseSerial(text);
    if (serial.ok() && serial.value < 0)
        std::abort();
    const auto interval = DialogLogic::parseInterval(text);
    if (interval.ok() && (interval.seconds < 1 || interval.seconds > DialogLogic::MaxSlideSeconds))
        std::abort();
    if (const auto i32 = Numeric::toInt32(v))
        (void)Numeric::formatSerial(*i32);
    return 0;
}
