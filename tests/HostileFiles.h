#pragma once
// Picture files for the tests that feed the program bad input: well-formed ones of
// each format, and from them empty, cut-short and lying ones. All made in memory.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>
#include <QtEndian>
#include <cstdint>

namespace Hostile {

enum class Format { Jpeg, Gif, Bmp, Png };

inline const char* extension(Format f)
{
    switch (f) {
    case Format::Jpeg:
        return "jpg";
    case Format::Gif:
        return "gif";
    case Format::Bmp:
        return "bmp";
    case Format::Png:
        return "png";
    }
    return "";
}

inline QByteArray encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

// A picture with some structure, so every slot of it differs from its neighbours.
inline QImage picture(QSize size, int seed)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(
                x, y, qRgb((x * 7 + seed * 31) & 0xff, (y * 5 + seed * 17) & 0xff, (x + y + seed * 53) & 0xff));
    return img;
}

// GIF89a with a 256-grey palette. Qt reads GIF but cannot write it: the LZW stream
// sends a clear code every 254 pixels so that its codes stay 9 bits wide.
inline QByteArray gif(QSize size, int seed = 0)
{
    QByteArray out("GIF89a");
    auto u16 = [&](int v) {
        out.append(char(v & 0xff));
        out.append(char((v >> 8) & 0xff));
    };
    u16(size.width());
    u16(size.height());
    out.append(char(0xF7)); // global colour table of 256 entries
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < 256; ++i)
        out.append(QByteArray(3, char(i)));
    out.append(',');
    u16(0);
    u16(0);
    u16(size.width());
    u16(size.height());
    out.append('\0');
    out.append(char(8)); // LZW minimum code size

    QByteArray codes;
    uint32_t acc = 0;
    int bits = 0;
    auto put = [&](int code) {
        acc |= uint32_t(code) << bits;
        bits += 9;
        while (bits >= 8) {
            codes.append(char(acc & 0xff));
            acc >>= 8;
            bits -= 8;
        }
    };
    const int clear = 256;
    const int end = 257;
    int run = 0;
    put(clear);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (run == 254) {
                put(clear);
                run = 0;
            }
            put((x * 3 + y * 5 + seed * 29) & 0xff);
            ++run;
        }
    }
    put(end);
    if (bits > 0)
        codes.append(char(acc & 0xff));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append('\0');
    out.append(';');
    return out;
}

inline QByteArray wellFormed(Format f, QSize size = QSize(40, 30), int seed = 0)
{
    switch (f) {
    case Format::Jpeg:
        return encoded(picture(size, seed), "JPEG");
    case Format::Gif:
        return gif(size, seed);
    case Format::Bmp:
        return encoded(picture(size, seed), "BMP");
    case Format::Png:
        return encoded(picture(size, seed), "PNG");
    }
    return {};
}

inline uint32_t crc32(const QByteArray& data)
{
    uint32_t crc = 0xffffffffu;
    for (char ch : data) {
        crc ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The same file with its header claiming another size; everything else, the pixel
// data included, is left as it was, so the data is far too short for the claim.
inline QByteArray claimingSize(Format f, QSize claim, int seed = 0)
{
    QByteArray b = wellFormed(f, QSize(40, 30), seed);
    auto be16 = [&](qsizetype at, int v) { qToBigEndian<uint16_t>(uint16_t(v), b.data() + at); };
    auto le16 = [&](qsizetype at, int v) { qToLittleEndian<uint16_t>(uint16_t(v), b.data() + at); };
    switch (f) {
    case Format::Jpeg: {
        // Start of frame: FF C0..C2, length, precision, height, width.
        for (qsizetype i = 2; i + 9 < b.size(); ++i) {
            const auto m = uint8_t(b[i + 1]);
            if (uint8_t(b[i]) == 0xFF && m >= 0xC0 && m <= 0xC2) {
                be16(i + 5, claim.height());
                be16(i + 7, claim.width());
                break;
            }
        }
        break;
    }
    case Format::Gif:
        le16(6, claim.width()); // logical screen
        le16(8, claim.height());
        le16(6 + 7 + 768 + 5, claim.width()); // image descriptor
        le16(6 + 7 + 768 + 7, claim.height());
        break;
    case Format::Bmp:
        qToLittleEndian<int32_t>(claim.width(), b.data() + 18);
        qToLittleEndian<int32_t>(claim.height(), b.data() + 22);
        break;
    case Format::Png: {
        // IHDR follows the signature; its CRC must stay right so the size itself is judged.
        qToBigEndian<uint32_t>(uint32_t(claim.width()), b.data() + 16);
        qToBigEndian<uint32_t>(uint32_t(claim.height()), b.data() + 20);
        qToBigEndian<uint32_t>(crc32(b.mid(12, 17)), b.data() + 29);
        break;
    }
    }
    return b;
}

inline QByteArray truncated(Format f, int seed = 0)
{
    const QByteArray b = wellFormed(f, QSize(40, 30), seed);
    return b.left(b.size() / 2);
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

inline QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below the folders: path relative to `root` -> SHA-1 of its content.
// Compared before and after, it shows a file lost, added, renamed or changed.
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), QCryptographicHash::hash(read(path), QCryptographicHash::Sha1));
    }
    return files;
}

}
