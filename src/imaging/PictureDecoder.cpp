#include "imaging/PictureDecoder.h"
#include "imaging/PngDecoder.h"
#include "platform/FileOps.h"
#include <QFile>

namespace PictureDecoder {

Route routeOf(const QString& path, const QByteArray& firstBytes)
{
    // What the file says it is wins over its name; only a file that says nothing
    // (empty, damaged at the start) goes by its name.
    if (firstBytes.startsWith("\x89PNG\r\n\x1a\n"))
        return Route::PngLibrary;
    for (const char* other : { "\xFF\xD8\xFF", "GIF87a", "GIF89a", "BM" })
        if (firstBytes.startsWith(other))
            return Route::QtReader;
    return path.endsWith(u".png") || path.endsWith(u".PNG") ? Route::PngLibrary : Route::QtReader;
}

Route routeOf(const QString& path)
{
    QFile file(path);
    QByteArray first;
    if (FileOps::openRegularFile(file))
        first = file.read(8);
    return routeOf(path, first);
}

Picture decode(const QString& path, QSize area, const PngDecoder* png, qint64 maxPixels)
{
    if (routeOf(path) == Route::PngLibrary)
        return png ? png->decodeReduced(path, area, maxPixels) : Picture();
    return loadPicture(path, area, maxPixels);
}

}
