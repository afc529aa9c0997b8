// Well-formed PNGs built from the input bytes (size, colour type, bit depth,
// interlace, palette, tRNS, filters and samples), so that every conversion
// path is reached with a valid zlib stream. The decoder must accept each one,
// and its pixels must match Qt's own reader; read row by row into a smaller
// size, they must average to what the whole picture does.
#include "imaging/PngDecoder.h"
#include "mpng.h"
#include "mpng_internal.h"
#include "reduced_reference.h"

#include <QByteArray>
#include <QImage>

#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t next()
    {
        if (n == 0)
            return 0;
        --n;
        return *p++;
    }
};

void appendBe32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void appendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    appendBe32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    appendBe32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

int channelsOf(int colourType)
{
    switch (colourType) {
    case 0:
        return 1;
    case 2:
        return 3;
    case 3:
        return 1;
    case 4:
        return 2;
    default:
        return 4;
    }
}

[[noreturn]] void fail(const char* what, int type, int depth, int interlace)
{
    std::fprintf(stderr, "%s (colour type %d, depth %d, interlace %d)\n", what, type, depth, interlace);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in { data, size };
    const uint32_t width = 1 + in.next() % 40;
    const uint32_t height = 1 + in.next() % 40;
    static const int kTypes[] = { 0, 2, 3, 4, 6 };
    const int type = kTypes[in.next() % 5];
    static const std::vector<int> kDepths[]
        = { { 1, 2, 4, 8, 16 }, {}, { 8, 16 }, { 1, 2, 4, 8 }, { 8, 16 }, {}, { 8, 16 } };
    const std::vector<int>& depths = kDepths[type];
    const int depth = depths[in.next() % depths.size()];
    const int interlace = in.next() & 1;
    const uint8_t flags = in.next();

    std::vector<uint8_t> png = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
    std::vector<uint8_t> ihdr;
    appendBe32(ihdr, width);
    appendBe32(ihdr, height);
    ihdr.insert(ihdr.end(), { uint8_t(depth), uint8_t(type), 0, 0, uint8_t(interlace) });
    appendChunk(png, "IHDR", ihdr);

    int paletteSize = 0;
    if (type == 3) {
        paletteSize = 1 << depth; // every index the samples can take has a colour
        std::vector<uint8_t> plte;
        for (int i = 0; i < paletteSize * 3; ++i)
            plte.push_back(in.next());
        appendChunk(png, "PLTE", plte);
    }
    if (flags & 1) {
        std::vector<uint8_t> trns;
        if (type == 0) {
            trns = { in.next(), in.next() };
            if (depth < 16)
                trns = { 0, uint8_t(trns[1] & ((1 << depth) - 1)) };
        } else if (type == 2) {
            for (int i = 0; i < 6; ++i)
                trns.push_back(in.next());
            if (depth == 8)
                trns[0] = trns[2] = trns[4] = 0;
        } else if (type == 3) {
            const int count = 1 + in.next() % paletteSize;
            for (int i = 0; i < count; ++i)
                trns.push_back(in.next());
        }
        if (!trns.empty())
            appendChunk(png, "tRNS", trns);
    }

    // Adam7 passes, or the whole image as one pass.
    static const int kStart[7][2] = { { 0, 0 }, { 4, 0 }, { 0, 4 }, { 2, 0 }, { 0, 2 }, { 1, 0 }, { 0, 1 } };
    static const int kStep[7][2] = { { 8, 8 }, { 8, 8 }, { 4, 8 }, { 4, 4 }, { 2, 4 }, { 2, 2 }, { 1, 2 } };
    const int bitsPerPixel = channelsOf(type) * depth;
    std::vector<uint8_t> raw;
    for (int pass = 0; pass < (interlace ? 7 : 1); ++pass) {
        const uint32_t w = interlace ? (width + kStep[pass][0] - 1 - kStart[pass][0]) / kStep[pass][0] : width;
        const uint32_t h = interlace ? (height + kStep[pass][1] - 1 - kStart[pass][1]) / kStep[pass][1] : height;
        if (w == 0 || h == 0)
            continue;
        const size_t rowBytes = (size_t(w) * bitsPerPixel + 7) / 8;
        for (uint32_t y = 0; y < h; ++y) {
            raw.push_back(in.next() % 5);
            for (size_t i = 0; i < rowBytes; ++i)
                raw.push_back(in.next());
        }
    }
    std::vector<uint8_t> idat(compressBound(uLong(raw.size())));
    uLongf idatSize = uLongf(idat.size());
    if (compress2(idat.data(), &idatSize, raw.data(), uLong(raw.size()), 6) != Z_OK)
        abort();
    idat.resize(idatSize);
    appendChunk(png, "IDAT", idat);
    appendChunk(png, "IEND", {});

    void* handle = nullptr;
    int32_t dataSize = 0;
    std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
    if (mpngLoadMemory(png.data(), png.size(), &handle, info.data(), &dataSize) != 1)
        fail("a valid file was refused at open", type, depth, interlace);
    std::vector<uint8_t> pixels(static_cast<size_t>(dataSize));
    const int32_t read = mGetPNGData(&handle, pixels.data());
    mEndPNG(&handle);
    if (read != 1)
        fail("a valid file failed to decode", type, depth, interlace);
    const QImage ours = imageFromDib(pixels.data(), dataSize, info.data());
    if (ours.isNull() || ours.width() != int(width) || ours.height() != int(height))
        fail("the decoded pixels do not make the picture", type, depth, interlace);

    const QSize reducedSize(1 + in.next() % int(width), 1 + in.next() % int(height));
    if (mpngLoadMemory(png.data(), png.size(), &handle, info.data(), &dataSize) != 1)
        fail("a valid file was refused at the second open", type, depth, interlace);
    std::vector<uint8_t> small(size_t(reducedSize.width()) * size_t(reducedSize.height()) * 4);
    const int32_t readSmall = mGetPNGDataScaled(&handle, reducedSize.width(), reducedSize.height(), small.data());
    mEndPNG(&handle);
    if (readSmall != 1)
        fail("a valid file failed to decode row by row", type, depth, interlace);
    const QImage got = QImage(
        small.data(), reducedSize.width(), reducedSize.height(), reducedSize.width() * 4, QImage::Format_ARGB32);
    if (!sameWithin(got, reducedReference(ours, reducedSize), 0))
        fail("the picture read row by row is not the average of the whole", type, depth, interlace);

    // Qt's reader as the oracle, except where it is known to differ: it drops
    // the tRNS key of 16-bit files, and rounds 16-bit samples its own way.
    if (depth == 16 && (flags & 1))
        return 0;
    const QImage theirs
        = QImage::fromData(QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size())), "PNG")
              .convertToFormat(QImage::Format_ARGB32);
    if (theirs.isNull())
        fail("Qt refused a valid file", type, depth, interlace);
    const int tolerance = depth == 16 ? 1 : 0;
    for (int y = 0; y < int(height); ++y)
        for (int x = 0; x < int(width); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            if (qAlpha(a) == 0 && qAlpha(b) == 0)
                continue;
            if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance
                || std::abs(qBlue(a) - qBlue(b)) > tolerance || std::abs(qAlpha(a) - qAlpha(b)) > tolerance) {
                std::fprintf(stderr, "pixel (%d,%d): ours %08x, Qt %08x\n", x, y, a, b);
                fail("pixels differ from Qt's", type, depth, interlace);
            }
        }
    return 0;
}
