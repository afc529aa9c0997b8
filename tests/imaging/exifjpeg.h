#pragma once
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>

// JPEG files with an EXIF block made to measure: an orientation in IFD0 and, when given,
// a thumbnail in IFD1. Little-endian TIFF unless `bigEndian`.
namespace ExifJpeg {

inline QByteArray encode(const QImage& image, int quality = 90)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

// Left half `left`, right half `right`: a picture whose turn can be seen.
inline QImage halves(QSize size, QColor left = Qt::red, QColor right = Qt::blue)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(right);
    QPainter p(&img);
    p.fillRect(0, 0, size.width() / 2, size.height(), left);
    return img;
}

class Tiff {
public:
    explicit Tiff(bool bigEndian = false)
        : m_big(bigEndian)
    {
    }
    void u16(QByteArray& out, quint32 v) const
    {
        if (m_big) {
            out.append(char(v >> 8));
            out.append(char(v));
        } else {
            out.append(char(v));
            out.append(char(v >> 8));
        }
    }
    void u32(QByteArray& out, quint32 v) const
    {
        if (m_big) {
            u16(out, v >> 16);
            u16(out, v & 0xffff);
        } else {
            u16(out, v & 0xffff);
            u16(out, v >> 16);
        }
    }
    // One IFD entry with a single value of type SHORT (3) or LONG (4).
    void entry(QByteArray& out, quint32 tag, quint32 type, quint32 value) const
    {
        u16(out, tag);
        u16(out, type);
        u32(out, 1);
        if (type == 3) {
            u16(out, value);
            u16(out, 0);
        } else {
            u32(out, value);
        }
    }
    QByteArray header(quint32 ifd0 = 8) const
    {
        QByteArray out(m_big ? "MM" : "II");
        u16(out, 42);
        u32(out, ifd0);
        return out;
    }

private:
    bool m_big;
};

// The TIFF part of an EXIF block: IFD0 with the orientation, IFD1 with the thumbnail.
inline QByteArray tiff(int orientation, const QByteArray& thumbnail, bool bigEndian = false)
{
    const Tiff t(bigEndian);
    QByteArray out = t.header(8);
    // IFD0 at 8: one entry, then the offset of IFD1.
    const quint32 ifd1 = 8 + 2 + 12 + 4;
    t.u16(out, 1);
    t.entry(out, 0x0112, 3, quint32(orientation));
    t.u32(out, thumbnail.isEmpty() ? 0 : ifd1);
    if (thumbnail.isEmpty())
        return out;
    // IFD1: compression, offset and length, no next IFD; the thumbnail right after.
    const quint32 data = ifd1 + 2 + 3 * 12 + 4;
    t.u16(out, 3);
    t.entry(out, 0x0103, 3, 6);
    t.entry(out, 0x0201, 4, data);
    t.entry(out, 0x0202, 4, quint32(thumbnail.size()));
    t.u32(out, 0);
    out.append(thumbnail);
    return out;
}

// `jpeg` with an APP1 EXIF segment carrying `tiffData` put right after its SOI.
inline QByteArray withExif(const QByteArray& jpeg, const QByteArray& tiffData)
{
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiffData;
    QByteArray app1("\xff\xe1", 2);
    const int length = int(payload.size()) + 2;
    app1.append(char(length >> 8));
    app1.append(char(length & 0xff));
    app1.append(payload);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

}
