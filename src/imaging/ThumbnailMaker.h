#pragma once
#include <QImage>
#include <QSize>
#include <QString>

class PngDecoder;

// The one place a page fill turns a file into a thumbnail picture. Everything here
// works on values and files only, so it runs on worker threads.
namespace ThumbnailMaker {

// One thumbnail to make. Taken by value by the worker: nothing in it belongs to a window.
struct ThumbRequest {
    QString path;
    int box = 0; // edge of the square box, pixels
    qint64 fileSize = -1; // as the file was when asked; -1: it was missing
    qint64 mtimeMs = 0;
    const PngDecoder* png = nullptr; // must outlive the work; none: PNG names give no picture
    QString sharedRoot; // the desktop's shared thumbnail cache; empty: not used
};

struct ThumbResult {
    enum class Source { None, Memory, Shared, Decoded };
    QImage image; // fits the box; null when the file could not be read
    QSize natural; // the picture's own size as displayed; invalid with a null image
    Source source = Source::None;
};

// The request with the file's size and time filled in from the file system.
ThumbRequest describeFile(const QString& path, int box);

// Makes the thumbnail: from the shared cache when it holds a current one, else by
// decoding the file at reduced size. A picture decoded here goes into the shared cache
// (at its size class), a file that cannot be decoded into its failure records.
ThumbResult make(ThumbRequest request);

// The picture of `path` reduced to fit a square of `boxPixels` (never enlarged), and
// in `natural` the picture's own size in pixels. An empty image means the file could
// not be read; `natural` is then invalid. Files the PNG library takes go through `png`
// (none: no picture), HEIF through libheif, RAW files to their preview, every other
// through Qt's reader.
// No cache of any kind. Safe to call from any thread.
QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PngDecoder* png);

}
