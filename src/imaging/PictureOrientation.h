#pragma once
#include <QImage>
#include <QString>

// The turn a picture's EXIF block asks for, read through exiv2 for JPEG, TIFF, RAW and
// HEIF files alike. Only the header is read, never a pixel. Any fault of the file
// (cut short, lying offsets, no EXIF at all) gives Upright: a picture is then shown as
// stored, never refused for its metadata. Safe on worker threads, several at a time.
enum class Orientation {
    Upright = 1,
    Mirrored = 2, // left and right swapped
    UpsideDown = 3,
    Flipped = 4, // top and bottom swapped
    Transposed = 5, // mirrored along the top-left to bottom-right diagonal
    TurnedRight = 6, // a quarter turn clockwise shows it upright
    Transversed = 7, // mirrored along the other diagonal
    TurnedLeft = 8, // a quarter turn counter-clockwise shows it upright
};

namespace PictureOrientation {

// False in a build without exiv2: every file then reads as Upright.
bool isAvailable();

Orientation read(const QString& path);

// Whether showing the picture swaps its width and height.
bool swapsSides(Orientation orientation);

// `stored` as it is meant to be seen.
QImage apply(const QImage& stored, Orientation orientation);

}
