#include "imaging/ExifThumbnail.h"
#include <QIODevice>
#include <cmath>
#include <cstdint>

namespace ExifThumbnail {

namespace {

    // Reads TIFF integers in the block's own byte order; every read is bounds-checked.
    class TiffReader {
    public:
        explicit TiffReader(const QByteArray& data)
            : m_data(data)
        {
        }
        bool setByteOrder()
        {
            if (m_data.size() < 8)
                return false;
            if (m_data.startsWith("II"))
                m_little = true;
            else if (m_data.startsWith("MM"))
                m_little = false;
            else
                return false;
            uint32_t magic = 0;
            return u16(2, &magic) && magic == 42;
        }
        bool u16(qint64 at, uint32_t* out) const
        {
            if (at < 0 || at + 2 > m_data.size())
                return false;
            const auto* p = reinterpret_cast<const uint8_t*>(m_data.constData() + at);
            *out = m_little ? uint32_t(p[0] | (p[1] << 8)) : uint32_t((p[0] << 8) | p[1]);
            return true;
        }
        bool u32(qint64 at, uint32_t* out) const
        {
            if (at < 0 || at + 4 > m_data.size())
                return false;
            const auto* p = reinterpret_cast<const uint8_t*>(m_data.constData() + at);
            *out = m_little ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24)
                            : (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
            return true;
        }
        qint64 size() const { return m_data.size(); }

    private:
        const QByteArray& m_data;
        bool m_little = true;
    };

    constexpr uint32_t kTypeShort = 3;
    constexpr uint32_t kTypeLong = 4;

    // A single SHORT or LONG value of an IFD entry.
    bool entryValue(const TiffReader& r, qint64 entry, uint32_t* out)
    {
        uint32_t type = 0;
        uint32_t count = 0;
        if (!r.u16(entry + 2, &type) || !r.u32(entry + 4, &count) || count != 1)
            return false;
        if (type == kTypeShort)
            return r.u16(entry + 8, out);
        if (type == kTypeLong)
            return r.u32(entry + 8, out);
        return false;
    }

    // The offset of the IFD after the one at `ifd`, or 0.
    qint64 nextIfd(const TiffReader& r, qint64 ifd)
    {
        uint32_t count = 0;
        if (!r.u16(ifd, &count))
            return 0;
        uint32_t next = 0;
        if (!r.u32(ifd + 2 + qint64(count) * 12, &next))
            return 0;
        return next;
    }

}

QByteArray fromTiff(const QByteArray& tiff)
{
    TiffReader r(tiff);
    if (!r.setByteOrder())
        return {};
    uint32_t ifd0 = 0;
    if (!r.u32(4, &ifd0) || ifd0 < 8)
        return {};
    const qint64 ifd1 = nextIfd(r, ifd0);
    // IFD1 must lie past the header and must not be IFD0 again.
    if (ifd1 < 8 || ifd1 == ifd0)
        return {};
    uint32_t count = 0;
    if (!r.u16(ifd1, &count) || ifd1 + 2 + qint64(count) * 12 > r.size())
        return {};
    uint32_t offset = 0;
    uint32_t length = 0;
    bool haveOffset = false;
    bool haveLength = false;
    for (uint32_t i = 0; i < count; ++i) {
        const qint64 entry = ifd1 + 2 + qint64(i) * 12;
        uint32_t tag = 0;
        if (!r.u16(entry, &tag))
            return {};
        if (tag == 0x0201)
            haveOffset = entryValue(r, entry, &offset);
        else if (tag == 0x0202)
            haveLength = entryValue(r, entry, &length);
    }
    if (!haveOffset || !haveLength || length < 4 || offset < 8 || qint64(offset) + qint64(length) > r.size())
        return {};
    QByteArray jpeg = tiff.mid(qint64(offset), qint64(length));
    if (!jpeg.startsWith("\xff\xd8"))
        return {};
    return jpeg;
}

QByteArray fromJpeg(QIODevice* device)
{
    if (!device || !device->isOpen() || device->isSequential() || !device->seek(0))
        return {};
    if (device->read(2) != QByteArray("\xff\xd8", 2))
        return {};
    // A camera writes EXIF first; a few segments of other kinds may come before it.
    for (int segment = 0; segment < 32; ++segment) {
        char c = 0;
        if (!device->getChar(&c) || uchar(c) != 0xff)
            return {};
        int fills = 0;
        while (uchar(c) == 0xff) {
            if (!device->getChar(&c) || ++fills > 64)
                return {};
        }
        const uchar marker = uchar(c);
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7))
            continue; // no length
        // Frame headers, scans and the end: EXIF is never past them.
        if (marker == 0xda || marker == 0xd9
            || (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc))
            return {};
        const QByteArray len = device->read(2);
        if (len.size() != 2)
            return {};
        const int length = (uchar(len[0]) << 8) | uchar(len[1]);
        if (length < 2)
            return {};
        const qint64 payloadStart = device->pos();
        if (marker == 0xe1 && length >= 2 + 6) {
            const QByteArray payload = device->read(length - 2);
            if (payload.size() != length - 2)
                return {};
            if (payload.startsWith(QByteArray("Exif\0\0", 6)))
                return fromTiff(payload.mid(6));
        }
        if (!device->seek(payloadStart + length - 2))
            return {};
    }
    return {};
}

bool usable(QSize thumb, QSize stored, QSize wanted)
{
    if (thumb.isEmpty() || stored.isEmpty() || wanted.isEmpty())
        return false;
    if (thumb.width() < wanted.width() || thumb.height() < wanted.height())
        return false;
    // The side that was rounded may be off by one pixel, no more.
    const double heightFromWidth = double(thumb.width()) * stored.height() / stored.width();
    const double widthFromHeight = double(thumb.height()) * stored.width() / stored.height();
    return std::abs(heightFromWidth - thumb.height()) <= 1.0 || std::abs(widthFromHeight - thumb.width()) <= 1.0;
}

}
