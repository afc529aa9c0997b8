// Settings reader: any bytes parse without a fault, and whatever parses writes back,
// on its own and over the bytes it came from, to a text that reads to the very same values.
#include "app/SettingsStore.h"
#include <cstdint>
#include <cstdlib>

static bool sameValues(const Module1& a, const Module1& b)
{
    return a.SourceFolder == b.SourceFolder && a.DestPath == b.DestPath && a.HeadName == b.HeadName
        && a.Serial == b.Serial && a.WindowWidth == b.WindowWidth && a.WindowHeight == b.WindowHeight
        && a.WindowTop == b.WindowTop && a.WindowLeft == b.WindowLeft && a.NameRule == b.NameRule
        && a.RememberFolder == b.RememberFolder && a.ViewerMode == b.ViewerMode && a.ThumbSize == b.ThumbSize
        && a.ThumbCount == b.ThumbCount && a.SlideSeconds == b.SlideSeconds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Module1 first;
    if (SettingsStore::parse(bytes, first) != SettingsStore::ReadStatus::Ok)
        return 0;
    for (const QByteArray& previous : { QByteArray(), bytes }) {
        const QByteArray written = SettingsStore::format(first, previous);
        if (written.count("\r\n") != 24)
            std::abort();
        Module1 second;
        if (SettingsStore::parse(written, second) != SettingsStore::ReadStatus::Ok || !sameValues(first, second))
            std::abort();
    }
    return 0;
}
