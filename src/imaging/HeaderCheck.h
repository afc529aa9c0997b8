#pragma once
#include <QSize>
#include <cstdint>

class QIODevice;

// Looks at a picture's header before any decoder allocates for it: a damaged or
// hostile header can claim gigabytes in a few hundred bytes.
namespace HeaderCheck {

// The largest picture any reader decodes: 256 MP as cameras count them.
constexpr qint64 MaxPicturePixels = 256'000'000;

// The longest PNG chunk before the pixels that a reader is given: far above any real
// profile or text, far below what a lying length could make a reader allocate.
constexpr qint64 MaxPngChunk = 16 * 1024 * 1024;

// Every chunk of the PNG in `device` fits inside the file and none is longer than
// `maxChunk` bytes, up to the first IDAT. The device's position is kept.
bool pngChunksFit(QIODevice* device, qint64 maxChunk);

// The size from a PNG's IHDR without reading any other chunk; invalid when there is none.
QSize pngSize(QIODevice* device);

// What decoding the JPEG in `device` at any scale allocates at least, in bytes: a
// progressive (or arithmetic multi-scan) file keeps every coefficient of every
// component, two bytes each, whatever the output size. 0 for a baseline JPEG, whose
// scaled decode holds a few rows only, and for anything that is not a JPEG.
qint64 jpegCoefficientBytes(QIODevice* device);

// The same budget for every reader: what a picture of `maxPixels` takes in 32-bit pixels.
constexpr qint64 decodeBudget(qint64 maxPixels) { return maxPixels * 4; }

// What can be told of a file of `format` (Qt's name: "png", "jpeg") before its reader
// reads the header: a PNG's chunks fit, a JPEG's coefficients stay within the budget of
// `maxPixels` (0: no limit on that). The pixel count itself is the caller's to check.
bool fitsBudget(QIODevice* device, const QByteArray& format, qint64 maxPixels);

}
