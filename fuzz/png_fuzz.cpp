// The decoder on arbitrary bytes, and its output through the DIB reader; then the same
// bytes read row by row into a smaller size (picked by the last two bytes, which a PNG
// ignores after its end), which must succeed exactly when the whole read did and give
// what the whole picture averages to.
#include "imaging/PngDecoder.h"
#include "mpng.h"
#include "mpng_internal.h"
#include "reduced_reference.h"

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
            abort(); // a failed open leaves nothing behind
        return 0;
    }
    if (!handle || dataSize <= 0 || dataSize % 4 != 0)
        abort();

    if (dataSize > kMaxDecodedBytes) {
        mEndPNG(&handle);
        return 0;
    }
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[size_t(dataSize)]);
    QImage whole;
    if (mGetPNGData(&handle, pixels.get()) == 1) {
        whole = imageFromDib(pixels.get(), dataSize, info.data());
        if (whole.isNull() || qint64(whole.width()) * whole.height() * 4 != dataSize)
            abort(); // the decoder described something its own reader refuses
    }
    if (mGetPNGData(&handle, pixels.get()) == 1 || mGetPNGDataScaled(&handle, 1, 1, pixels.get()) == 1)
        abort(); // once per open
    mEndPNG(&handle);
    if (handle)
        abort();

    // Width and height as the header gives them (top-down, so the height is negative).
    const int32_t width = int32_t(info[4] | info[5] << 8 | info[6] << 16 | uint32_t(info[7]) << 24);
    const int32_t height = -int32_t(info[8] | info[9] << 8 | info[10] << 16 | uint32_t(info[11]) << 24);
    const int32_t w = 1 + int32_t(int64_t(width - 1) * data[size - 1] / 255);
    const int32_t h = 1 + int32_t(int64_t(height - 1) * data[size - 2] / 255);
    if (mpngLoadMemory(data, size, &handle, info.data(), &dataSize) != 1)
        abort(); // it opened a moment ago
    if (mGetPNGDataScaled(&handle, 0, h, pixels.get()) == 1
        || mGetPNGDataScaled(&handle, width + 1, h, pixels.get()) == 1)
        abort(); // sizes outside the picture are refused
    const bool reduced = mGetPNGDataScaled(&handle, w, h, pixels.get()) == 1;
    if (mGetPNGData(&handle, pixels.get()) == 1)
        abort(); // once per open
    mEndPNG(&handle);
    if (reduced != !whole.isNull())
        abort(); // the rows read one at a time are the rows read at once
    // Compared exactly where the sums need no shift: at most 66051 input pixels on one output pixel.
    const int64_t most = ((width + w - 1) / w) * int64_t((height + h - 1) / h);
    if (reduced && most <= 66051) {
        const QImage got = QImage(pixels.get(), w, h, w * 4, QImage::Format_ARGB32).copy();
        if (!sameWithin(got, reducedReference(whole, QSize(w, h)), 0))
            abort();
    }
    return 0;
}
