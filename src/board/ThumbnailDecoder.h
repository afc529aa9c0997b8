#pragma once
#include <QImage>
#include <QSize>
#include <QString>

class PNGLoader;

// The one place a page fill turns a file into a thumbnail picture, so that decoding
// can later move to worker threads and a cache without touching the board.
namespace Board {

// True when the name ends in exactly ".png" or ".PNG"; other spellings go to the
// platform loader like any other file.
bool isPngName(const QString& path);

// The picture of `path` reduced to fit a square of `boxPixels` (never enlarged), and
// in `natural` the picture's own size in pixels. An empty image means the file could
// not be read; `natural` is then invalid. JPEG, BMP and GIF content goes through the
// platform loader, names ending in ".png"/".PNG" through `png` (none: no picture).
// `png` must outlive the call.
// Safe to call from any thread.
QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PNGLoader* png);

}
