#pragma once
// JPEG files with an EXIF block made to measure: an orientation in IFD0 and, when given, a thumbnail in IFD1.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

namespace ExifJpeg {

inline QByteArray encode(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// Left half `left`, right half `right`: a picture whose turn can be seen.
inline QImage halves(QSize size, QColor left = Qt::red, QColor right = Qt::blue)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(right);
    QPainter(&img).fillRect(0, 0, size.width() / 2, size.height(), left);
    return img;
}

// Little-endian TIFF: IFD0 at 8 with the orientation, IFD1 at 26 and the thumbnail right after it.
inline QByteArray tiff(int orientation, const QByteArray& thumbnail)
{
    QByteArray out("II");
    auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char(v >> 8 * i));
    };
    auto entry = [&](quint32 tag, quint32 type, quint32 value) { put(tag, 2), put(type, 2), put(1, 4), put(value, 4); };
    put(42, 2), put(8, 4), put(1, 2);
    entry(0x0112, 3, quint32(orientation));
    put(thumbnail.isEmpty() ? 0 : 26, 4);
    if (thumbnail.isEmpty())
        return out;
    put(3, 2);
    entry(0x0103, 3, 6);
    entry(0x0201, 4, 26 + 2 + 3 * 12 + 4);
    entry(0x0202, 4, quint32(thumbnail.size()));
    put(0, 4);
    return out + thumbnail;
}

// `jpeg` with an APP1 EXIF segment carrying `tiffData` right after its SOI; the TIFF starts at 12.
inline QByteArray withExif(const QByteArray& jpeg, const QByteArray& tiffData)
{
    const int length = int(tiffData.size()) + 8;
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff)
        + QByteArray("Exif\0\0", 6) + tiffData + jpeg.mid(2);
}

}
