#pragma once
// A JPEG as a camera writes it, for tests and the bench alike (Qt Core only).
#include <QByteArray>

// `jpeg` with an EXIF block right after its SOI: a little-endian TIFF with the orientation in IFD0 (at 8) and, when
// given, a thumbnail in IFD1 (at 26), right after it.
inline QByteArray withExif(const QByteArray& jpeg, int orientation, const QByteArray& thumbnail = {})
{
    QByteArray tiff("II");
    auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff.append(char(v >> 8 * i));
    };
    auto entry = [&](quint32 tag, quint32 type, quint32 value) { put(tag, 2), put(type, 2), put(1, 4), put(value, 4); };
    put(42, 2), put(8, 4), put(1, 2);
    entry(0x0112, 3, quint32(orientation));
    put(thumbnail.isEmpty() ? 0 : 26, 4);
    if (!thumbnail.isEmpty()) {
        put(3, 2);
        entry(0x0103, 3, 6);
        entry(0x0201, 4, 26 + 2 + 3 * 12 + 4);
        entry(0x0202, 4, quint32(thumbnail.size()));
        put(0, 4);
        tiff += thumbnail;
    }
    const int length = int(tiff.size()) + 8;
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff)
        + QByteArray("Exif\0\0", 6) + tiff + jpeg.mid(2);
}
