#pragma once
#include <QByteArray>
#include <QSize>

class QIODevice;

// The thumbnail a camera embeds in a JPEG's EXIF block (IFD1, JPEGInterchangeFormat).
// Qt's reader does not expose it. Everything here treats the file as hostile: every
// offset is checked against the bytes actually read, nothing is followed twice, and
// no more than one APP1 segment (64 KB) is ever held.
namespace ExifThumbnail {

// The embedded JPEG thumbnail's bytes, empty when there is none. Reads from the start
// of `device` (a random-access device) up to the first frame header; leaves the
// position wherever the scan stopped.
QByteArray fromJpeg(QIODevice* device);

// The thumbnail inside a TIFF structure as EXIF carries it (what follows "Exif\0\0").
QByteArray fromTiff(const QByteArray& tiff);

// Whether a thumbnail of `thumb` pixels can stand in for a picture stored as `stored`
// that is to be shown at `wanted` (both in stored orientation): at least as large as
// wanted each way, and of the same shape to within one pixel of rounding.
bool usable(QSize thumb, QSize stored, QSize wanted);

}
