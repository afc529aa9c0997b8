// The decoder on arbitrary bytes, and its output through the DIB reader.
#include "imaging/PNGLoader.h"
#include "mpng.h"
#include "mpng_internal.h"

#include <zlib.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace {

// Bigger pictures are only opened, not decoded, to keep runs fast; the size
// checks they meet happen in the open.
constexpr int32_t kMaxDecodedBytes = 16 << 20;

uint32_t be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// libpng is not instrumented, so mutations that merely break a CRC would be
// rejected at once and teach the fuzzer nothing: mend them most of the time.
void mendChunkCrcs(uint8_t* data, size_t size)
{
    size_t pos = 8;
    while (pos + 12 <= size) {
        const uint32_t length = be32(data + pos);
        if (length > size - pos - 12)
            break;
        const uLong crc = crc32(0, data + pos + 4, uInt(length + 4));
        uint8_t* out = data + pos + 8 + length;
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        pos += 12 + length;
    }
}

} // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 8 != 0)
        mendChunkCrcs(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    if (mpngLoadMemory(data, size, &handle, info.data(), &dataSize) != 1) {
        if (handle || dataSize != 0)
            abort();  // a failed open leaves nothing behind
        return 0;
    }
    if (!handle || dataSize <= 0 || dataSize % 4 != 0)
        abort();

    if (dataSize <= kMaxDecodedBytes) {
        std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(dataSize)]);
        if (mGetPNGData(&handle, pixels.get()) == 1) {
            const QImage image = PictureFromDIB(pixels.get(), dataSize, info.data());
            if (image.isNull() || qint64(image.width()) * image.height() * 4 != dataSize)
                abort();  // the decoder described something its own reader refuses
        }
        if (mGetPNGData(&handle, pixels.get()) == 1)
            abort();  // once per open
    }
    mEndPNG(&handle);
    if (handle)
        abort();
    return 0;
}
