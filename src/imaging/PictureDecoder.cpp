#include "imaging/PictureDecoder.h"
#include "imaging/HeifImage.h"
#include "imaging/PngDecoder.h"
#include "imaging/RawPreview.h"
#include "platform/FileOps.h"
#include "platform/PictureFormats.h"
#include <QFile>

namespace PictureDecoder {

namespace {

    // The ISO base media file's first box names its brand: a HEIF picture, or a
    // sequence whose primary picture libheif still reads.
    bool isHeif(const QByteArray& firstBytes)
    {
        if (firstBytes.size() < SignatureBytes || firstBytes.mid(4, 4) != "ftyp")
            return false;
        const QByteArray brand = firstBytes.mid(8, 4);
        for (const char* heif : { "heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1" })
            if (brand == heif)
                return true;
        return false;
    }

}

Route routeOf(const QString& path, const QByteArray& firstBytes)
{
    // What the file says it is wins over its name; only a file that says nothing
    // (empty, damaged at the start) goes by its name.
    if (firstBytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Route::PngLibrary;
    for (const char* other : { "\xFF\xD8\xFF", "GIF87a", "GIF89a", "BM" })
        if (firstBytes.startsWith(other))
            return Route::QtReader;
    if (isHeif(firstBytes))
        return Route::Heif;
    if (PictureFormats::isRawName(path))
        return Route::RawPreview;
    return path.endsWith(u".png") || path.endsWith(u".PNG") ? Route::PngLibrary : Route::QtReader;
}

Route routeOf(const QString& path)
{
    QFile file(path);
    QByteArray first;
    if (FileOps::openRegularFile(file))
        first = file.read(SignatureBytes);
    return routeOf(path, first);
}

Picture decode(const QString& path, QSize area, const PngDecoder* png, qint64 maxPixels)
{
    switch (routeOf(path)) {
    case Route::PngLibrary:
        return png ? png->decodeReduced(path, area, maxPixels) : Picture();
    case Route::Heif:
        return HeifImage::decode(path, area, maxPixels);
    case Route::RawPreview:
        return RawPreview::load(path, area, maxPixels);
    case Route::QtReader:
        break;
    }
    return loadPicture(path, area, maxPixels);
}

}
