#pragma once
#include "imaging/PictureOrientation.h"
#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

// The picture loader for JPEG, BMP and GIF (and anything else Qt reads). EXIF
// orientation is applied (read through exiv2), so the natural size is the size as displayed.
enum class PictureFailure {
    None,
    PathNotFound, // the file is missing
    InvalidPicture, // the file is there but cannot be decoded
    Other, // anything else (no read permission, a folder, ...)
};

struct Picture {
    QImage image; // at the requested reduced size, or natural size
    QSize naturalSize; // the picture's own size in pixels, as displayed
    PictureFailure failure = PictureFailure::None;
    bool ok() const { return failure == PictureFailure::None; }
};

// Reads the picture, only from a regular file. With a valid `fitInto`, a picture larger
// than that box is decoded at reduced size (JPEG scales inside the decoder), never whole
// and then shrunk. A picture of more than `maxPixels` (0: no limit) is refused as invalid
// from its header, before anything is decoded.
Picture loadPicture(const QString& path, QSize fitInto = QSize(), qint64 maxPixels = 0);

// The natural size of `natural` reduced to fit `box`, aspect kept, never enlarged.
QSize fitSize(QSize natural, QSize box);

// The JPEG decoder's own reduction, 1, 2, 4 or 8: the largest that still gives at least
// `wanted` pixels each way. Both sizes as stored in the file, before any rotation.
int jpegReduction(QSize stored, QSize wanted);

// What to hand QImageReader::setScaledSize so that the JPEG decoder reduces by a power
// of two: Qt picks ceil(8 / factor) / 8 itself, and 3/8, 5/8, ... have no fast path in
// libjpeg. Returns `wanted` when Qt's own pick already is a power of two (it then
// finishes the scale), else the size 1/jpegReduction() gives, which the caller shrinks
// to `wanted` afterwards. Invalid when the picture is read whole.
QSize jpegDecodeSize(QSize stored, QSize wanted);

// The size to hand QImageReader::setScaledSize for a picture stored as `stored` that is
// to come out at `target` as displayed: the reader scales before it turns, so a quarter
// turn swaps the sides. Invalid when the picture is read whole.
QSize decodeRequest(QSize stored, bool rotated90, QSize target, bool jpeg);

// How the picture `reader` opened at `path` is to be turned: from exiv2, or in a build
// without it from Qt's reader.
Orientation orientationOf(const QString& path, const QImageReader& reader);

// The turn Qt's reader found in the header it has already parsed: no second open of the
// file, but Qt knows the EXIF of fewer formats than exiv2.
Orientation orientationFromReader(const QImageReader& reader);

// Reads from `reader` (auto-transform off, size already known) at `target`, given as
// displayed, and turns the pixels by `orientation`. Null on failure; the reader's error
// tells why.
QImage readAtSize(QImageReader& reader, QSize stored, Orientation orientation, QSize target);
