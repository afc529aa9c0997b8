#include "imaging/PngDecoder.h"

#include "imaging/mpng/mpng.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QList>

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace {

constexpr qint64 kHeaderSize = 40;

uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t readU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void writeU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

int32_t readI32(const uint8_t* p)
{
    const uint32_t v = readU32(p);
    return v <= 0x7FFFFFFFu ? int32_t(v) : int32_t(qint64(v) - (qint64(1) << 32));
}

void unpackRow(const uint8_t* src, uchar* dst, int width, int bits)
{
    switch (bits) {
    case 1:
        for (int x = 0; x < width; ++x)
            dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 0x1;
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            dst[x] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        break;
    case 8:
        std::memcpy(dst, src, size_t(width));
        break;
    case 24: {
        auto* out = reinterpret_cast<QRgb*>(dst);
        for (int x = 0; x < width; ++x, src += 3)
            out[x] = qRgb(src[2], src[1], src[0]);
        break;
    }
    case 32: {
        // ARGB32 is B, G, R, A in memory on little-endian machines.
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            std::memcpy(dst, src, size_t(width) * 4);
        } else {
            auto* out = reinterpret_cast<QRgb*>(dst);
            for (int x = 0; x < width; ++x, src += 4)
                out[x] = qRgba(src[2], src[1], src[0], src[3]);
        }
        break;
    }
    }
}

// The BITMAPINFOHEADER fields both paths check; empty unless the header describes an
// uncompressed single-plane bitmap of a bit depth we unpack.
struct DibHeader {
    qint64 headerSize, width, rows, coloursUsed;
    int bits;
    bool topDown;
};

std::optional<DibHeader> readHeader(const uint8_t* h)
{
    DibHeader d {};
    d.headerSize = readU32(h);
    d.width = readI32(h + 4);
    const qint64 height = readI32(h + 8);
    d.bits = readU16(h + 14);
    d.coloursUsed = readU32(h + 32);
    if (d.headerSize < kHeaderSize || d.headerSize > MPNG_BITMAPINFO_SIZE)
        return std::nullopt;
    if (readU16(h + 12) != 1 || readU32(h + 16) != 0 /* BI_RGB */ || d.width <= 0 || height == 0)
        return std::nullopt;
    if (d.bits != 1 && d.bits != 4 && d.bits != 8 && d.bits != 24 && d.bits != 32)
        return std::nullopt;
    d.topDown = height < 0;
    d.rows = d.topDown ? -height : height;
    if (d.rows > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return d;
}

// The picture to decode into directly when the bitmap's layout is ARGB32's own (32-bit,
// top-down, little-endian): a large PNG is then held once instead of twice. Empty
// when the layout differs; the general path then converts it.
QImage directTarget(const uint8_t* h, qint64 dataSize)
{
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return {};
    const std::optional<DibHeader> d = readHeader(h);
    if (!d || d->bits != 32 || !d->topDown || d->width > std::numeric_limits<int>::max() / 4
        || dataSize != d->width * 4 * d->rows)
        return {};
    QImage image(int(d->width), int(d->rows), QImage::Format_ARGB32);
    if (image.isNull() || image.bytesPerLine() != d->width * 4 || image.sizeInBytes() != dataSize)
        return {};
    return image;
}

} // namespace

PngDecoder::PngDecoder(const QString& libraryFolder)
    // An absolute path, so that only this folder is searched, never the system's.
    : m_library(std::make_unique<QLibrary>(QDir(libraryFolder).absoluteFilePath(QStringLiteral("mpng"))))
{
    if (!m_library->load())
        return;
    auto load = reinterpret_cast<LoadFn>(m_library->resolve("mLoadPNG"));
    auto getData = reinterpret_cast<GetDataFn>(m_library->resolve("mGetPNGData"));
    auto end = reinterpret_cast<EndFn>(m_library->resolve("mEndPNG"));
    if (load && getData && end) {
        m_load = load;
        m_getData = getData;
        m_end = end;
        m_getScaled = reinterpret_cast<GetScaledFn>(m_library->resolve("mGetPNGDataScaled"));
    }
}

PngDecoder::~PngDecoder() = default;

bool PngDecoder::isAvailable() const { return m_load && m_getData && m_end; }

bool PngDecoder::open(const QString& path, void** handle, uint8_t* info, int32_t* dataSize) const
{
    if (!isAvailable())
        return false;
    const QByteArray localPath = QFile::encodeName(path);
    // A NUL inside the name would open some other file.
    if (localPath.isEmpty() || localPath.contains('\0'))
        return false;
    return m_load(localPath.constData(), handle, info, dataSize) == 1;
}

QImage PngDecoder::readWhole(void** handle, const uint8_t* info, int32_t dataSize) const
{
    QImage direct = directTarget(info, dataSize);
    if (!direct.isNull()) {
        const int32_t result = m_getData(handle, direct.bits());
        m_end(handle);
        return result == 1 ? direct : QImage();
    }

    std::unique_ptr<uint8_t[]> pixels;
    if (dataSize > 0)
        pixels.reset(new (std::nothrow) uint8_t[size_t(dataSize)]);
    if (!pixels) {
        m_end(handle);
        return {};
    }
    const int32_t result = m_getData(handle, pixels.get());
    m_end(handle);
    if (result != 1)
        return {};
    return imageFromDib(pixels.get(), dataSize, info);
}

QImage PngDecoder::decode(const QString& path) const
{
    try {
        void* handle = nullptr;
        int32_t dataSize = 0;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
        if (!open(path, &handle, info.data(), &dataSize))
            return {};
        return readWhole(&handle, info.data(), dataSize);
    } catch (...) {
        return {};
    }
}

Picture PngDecoder::decodeReduced(const QString& path, QSize fitInto, qint64 maxPixels) const
{
    Picture p;
    void* handle = nullptr;
    try {
        int32_t dataSize = 0;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> info {};
        if (!open(path, &handle, info.data(), &dataSize))
            return p;
        const std::optional<DibHeader> d = readHeader(info.data());
        if (!d || d->width > std::numeric_limits<int>::max()) {
            m_end(&handle);
            return p;
        }
        p.naturalSize = QSize(int(d->width), int(d->rows));
        if (maxPixels > 0 && d->width * d->rows > maxPixels) {
            m_end(&handle);
            p.failure = PictureFailure::InvalidPicture;
            return p;
        }
        const QSize target = fitSize(p.naturalSize, fitInto);
        if (target == p.naturalSize || !m_getScaled || d->bits != 32 || !d->topDown) {
            p.image = readWhole(&handle, info.data(), dataSize);
            if (!p.image.isNull() && p.image.size() != target)
                p.image = p.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            return p;
        }
        // Rows of B, G, R, A, top-down: the layout the whole picture has.
        std::vector<uint8_t> pixels(size_t(target.width()) * size_t(target.height()) * 4);
        const int32_t result = m_getScaled(&handle, target.width(), target.height(), pixels.data());
        m_end(&handle);
        if (result != 1)
            return p;
        std::array<uint8_t, MPNG_BITMAPINFO_SIZE> reduced {};
        std::memcpy(reduced.data(), info.data(), size_t(kHeaderSize));
        writeU32(reduced.data() + 4, uint32_t(target.width()));
        writeU32(reduced.data() + 8, uint32_t(-target.height()));
        p.image = imageFromDib(pixels.data(), qint64(pixels.size()), reduced.data());
        return p;
    } catch (...) {
        if (handle)
            m_end(&handle);
        return Picture {};
    }
}

QImage imageFromDib(const uint8_t* pixels, qint64 dataSize, const uint8_t* bitmapInfo)
{
    if (!pixels || !bitmapInfo || dataSize <= 0)
        return {};
    const uint8_t* h = bitmapInfo;
    const std::optional<DibHeader> d = readHeader(h);
    if (!d)
        return {};
    const qint64 headerSize = d->headerSize, width = d->width, rows = d->rows, coloursUsed = d->coloursUsed;
    const int bits = d->bits;
    const bool topDown = d->topDown;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    // Divide rather than multiply: stride * rows can pass 2^63.
    if (rows > dataSize / stride)
        return {};

    QImage::Format format = QImage::Format_Indexed8;
    QList<QRgb> colourTable;
    if (bits <= 8) {
        const qint64 maxColours = qint64(1) << bits;
        const qint64 colours = coloursUsed ? coloursUsed : maxColours;
        if (colours > maxColours || headerSize + colours * 4 > MPNG_BITMAPINFO_SIZE)
            return {};
        // Indexes past a short table show black instead of reading beyond it.
        colourTable.fill(qRgb(0, 0, 0), maxColours);
        for (qint64 i = 0; i < colours; ++i) {
            const uint8_t* quad = h + headerSize + i * 4;
            colourTable[i] = qRgb(quad[2], quad[1], quad[0]);
        }
    } else {
        format = bits == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    }

    QImage image(int(width), int(rows), format);
    if (image.isNull())
        return {};
    if (bits <= 8)
        image.setColorTable(colourTable);
    for (qint64 y = 0; y < rows; ++y) {
        const uint8_t* src = pixels + stride * (topDown ? y : rows - 1 - y);
        unpackRow(src, image.scanLine(int(y)), int(width), bits);
    }
    return image;
}
