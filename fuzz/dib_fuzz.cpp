// The DIB reader on arbitrary headers and pixel buffers. Input: 40 header
// bytes, one byte n, n colour entries of 4 bytes, then the pixel data.
#include "imaging/PngDecoder.h"
#include "mpng.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 41)
        return 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    std::memcpy(info.data(), data, 40);
    const size_t tableBytes = std::min<size_t>(size_t(data[40]) * 4, size - 41);
    std::memcpy(info.data() + 40, data + 41, tableBytes);
    const size_t offset = 41 + tableBytes;

    // The pixels stay in the fuzzer's own buffer, so reading past them is caught.
    const QImage image = imageFromDib(data + offset, qint64(size - offset), info.data());
    if (!image.isNull()) {
        auto le32 = [&](size_t at) {
            return int32_t(uint32_t(data[at]) | (uint32_t(data[at + 1]) << 8) | (uint32_t(data[at + 2]) << 16)
                | (uint32_t(data[at + 3]) << 24));
        };
        const qint64 width = le32(4);
        const qint64 height = le32(8);
        if (image.width() != width || image.height() != (height < 0 ? -height : height))
            abort();
    }
    return 0;
}
