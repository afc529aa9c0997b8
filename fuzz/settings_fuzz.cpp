// Settings reader: any bytes parse without a fault, and whatever parses writes back,
// on its own and over the bytes it came from, to a text that reads to the very same values.
#include "session/SettingsFile.h"
#include <cstdint>
#include <cstdlib>

static bool sameValues(const Settings& a, const Settings& b)
{
    return a.sourceFolder == b.sourceFolder && a.destinationFolders == b.destinationFolders
        && a.headNames == b.headNames && a.serials == b.serials && a.windowWidth == b.windowWidth
        && a.windowHeight == b.windowHeight && a.windowTop == b.windowTop && a.windowLeft == b.windowLeft
        && a.namingRule == b.namingRule && a.rememberFolder == b.rememberFolder && a.viewerMode == b.viewerMode
        && a.thumbSize == b.thumbSize && a.thumbCount == b.thumbCount && a.slideSeconds == b.slideSeconds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Settings first;
    if (SettingsFile::parse(bytes, first) != SettingsFile::ReadStatus::Ok)
        return 0;
    for (const QByteArray& previous : { QByteArray(), bytes }) {
        const QByteArray written = SettingsFile::format(first, previous);
        if (written.count("\r\n") != 24)
            std::abort();
        Settings second;
        if (SettingsFile::parse(written, second) != SettingsFile::ReadStatus::Ok || !sameValues(first, second))
            std::abort();
    }
    return 0;
}
