// Builds PNG files byte by byte, so that tests can damage them on purpose.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>

namespace pngbytes {

inline uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

inline QByteArray be32(uint32_t v)
{
    QByteArray out(4, '\0');
    out[0] = char(v >> 24);
    out[1] = char(v >> 16);
    out[2] = char(v >> 8);
    out[3] = char(v);
    return out;
}

inline QByteArray chunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return be32(uint32_t(data.size())) + typed + be32(crc32(typed));
}

// A chunk header whose length field lies; no data or CRC follows.
inline QByteArray lyingChunkHeader(const char* type, uint32_t claimedLength)
{
    return be32(claimedLength) + QByteArray(type, 4);
}

inline QByteArray signature()
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8);
}

inline QByteArray ihdr(uint32_t width, uint32_t height, int bitDepth = 8, int colourType = 6,
                       int interlace = 0)
{
    QByteArray data = be32(width) + be32(height);
    data.append(char(bitDepth));
    data.append(char(colourType));
    data.append('\0');  // compression
    data.append('\0');  // filter
    data.append(char(interlace));
    return chunk("IHDR", data);
}

// Rows of 8-bit RGBA, each behind filter byte 0, as one zlib stream.
inline QByteArray idatRgba(int width, int height)
{
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw.append('\0');
        for (int x = 0; x < width; ++x) {
            raw.append(char(x * 255 / qMax(1, width - 1)));
            raw.append(char(y * 255 / qMax(1, height - 1)));
            raw.append(char((x + y) & 0xFF));
            raw.append(char(255 - x));
        }
    }
    // qCompress puts a 4-byte length in front of a plain zlib stream.
    return chunk("IDAT", qCompress(raw, 9).mid(4));
}

inline QByteArray iend()
{
    return chunk("IEND", QByteArray());
}

inline QByteArray smallRgba(int width = 16, int height = 12)
{
    return signature() + ihdr(uint32_t(width), uint32_t(height)) + idatRgba(width, height) + iend();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace pngbytes
