#pragma once
// PNG files built byte by byte, so that tests can damage them on purpose.
#include <QByteArray>
#include <cstdint>

namespace pngbytes {

inline QByteArray be32(uint32_t v)
{
    const char bytes[] = { char(v >> 24), char(v >> 16), char(v >> 8), char(v) };
    return QByteArray(bytes, 4);
}

inline QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : typed) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return be32(uint32_t(data.size())) + typed + be32(crc ^ 0xFFFFFFFFu);
}

inline QByteArray signature() { return QByteArray("\x89PNG\r\n\x1a\n", 8); }
inline QByteArray iend() { return chunk("IEND", {}); }

inline QByteArray ihdr(uint32_t width, uint32_t height, int bitDepth = 8, int colourType = 6, int interlace = 0)
{
    const char rest[] = { char(bitDepth), char(colourType), 0, 0, char(interlace) };
    return chunk("IHDR", be32(width) + be32(height) + QByteArray(rest, 5));
}

// Rows of 8-bit RGBA behind filter byte 0, as one zlib stream.
inline QByteArray idatRgba(int width, int height)
{
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw.append('\0');
        for (int x = 0; x < width; ++x) {
            const char rgba[] = { char(x * 255 / qMax(1, width - 1)), char(y * 255 / qMax(1, height - 1)),
                                  char(x + y), char(255 - x) };
            raw.append(rgba, 4);
        }
    }
    return chunk("IDAT", qCompress(raw, 9).mid(4)); // without qCompress's length prefix
}

// 16 x 12 RGBA; its IHDR ends at byte 33.
inline QByteArray smallRgba() { return signature() + ihdr(16, 12) + idatRgba(16, 12) + iend(); }

}
