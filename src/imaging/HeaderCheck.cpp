#include "imaging/HeaderCheck.h"
#include <QIODevice>

namespace HeaderCheck {

namespace {

    uint32_t bigEndian32(const QByteArray& b, int at)
    {
        return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16)
            | (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
    }

    uint16_t bigEndian16(const QByteArray& b, int at) { return uint16_t((uint8_t(b[at]) << 8) | uint8_t(b[at + 1])); }

    constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

    // Reads at `at` without moving the device's own position for the caller.
    QByteArray readAt(QIODevice* device, qint64 at, qint64 n)
    {
        if (!device->seek(at))
            return {};
        return device->read(n);
    }

    class KeepPosition {
    public:
        explicit KeepPosition(QIODevice* d)
            : m_device(d)
            , m_pos(d->pos())
        {
        }
        ~KeepPosition() { m_device->seek(m_pos); }
        KeepPosition(const KeepPosition&) = delete;
        KeepPosition& operator=(const KeepPosition&) = delete;

    private:
        QIODevice* m_device;
        qint64 m_pos;
    };

}

bool pngChunksFit(QIODevice* device, qint64 maxChunk)
{
    if (!device || device->isSequential())
        return false;
    const KeepPosition keep(device);
    const qint64 size = device->size();
    if (readAt(device, 0, 8) != QByteArray(kPngSignature, 8))
        return false;
    for (qint64 at = 8; at + 12 <= size;) {
        const QByteArray head = readAt(device, at, 8);
        if (head.size() != 8)
            return false;
        const qint64 length = bigEndian32(head, 0);
        if (length > maxChunk || at + 12 + length > size)
            return false;
        if (head.mid(4, 4) == "IDAT" || head.mid(4, 4) == "IEND")
            return true;
        at += 12 + length;
    }
    return false;
}

QSize pngSize(QIODevice* device)
{
    if (!device || device->isSequential())
        return {};
    const KeepPosition keep(device);
    const QByteArray head = readAt(device, 0, 24);
    if (head.size() != 24 || !head.startsWith(QByteArray(kPngSignature, 8)) || head.mid(12, 4) != "IHDR")
        return {};
    const uint32_t w = bigEndian32(head, 16), h = bigEndian32(head, 20);
    if (w == 0 || h == 0 || w > INT32_MAX || h > INT32_MAX)
        return {};
    return QSize(int(w), int(h));
}

qint64 jpegCoefficientBytes(QIODevice* device)
{
    if (!device || device->isSequential())
        return 0;
    const KeepPosition keep(device);
    const qint64 size = device->size();
    if (readAt(device, 0, 2) != "\xFF\xD8")
        return 0;
    for (qint64 at = 2; at + 4 <= size;) {
        const QByteArray m = readAt(device, at, 4);
        if (m.size() != 4 || uint8_t(m[0]) != 0xFF)
            return 0;
        const uint8_t marker = uint8_t(m[1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const int length = bigEndian16(m, 2);
        // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC).
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            const QByteArray sof = readAt(device, at + 4, 6);
            if (sof.size() != 6)
                return 0;
            const bool progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            if (!progressive)
                return 0;
            const qint64 h = bigEndian16(sof, 1), w = bigEndian16(sof, 3), components = uint8_t(sof[5]);
            return w * h * components * 2;
        }
        if (marker == 0xDA || marker == 0xD9)
            return 0; // scan data before a frame header: not ours to judge
        at += 2 + length;
    }
    return 0;
}

bool fitsBudget(QIODevice* device, const QByteArray& format, qint64 maxPixels)
{
    if (format == "png")
        return pngChunksFit(device, MaxPngChunk);
    if (format == "jpeg" && maxPixels > 0)
        return jpegCoefficientBytes(device) <= decodeBudget(maxPixels);
    return true;
}

}
