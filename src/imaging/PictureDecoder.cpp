#include "imaging/PictureDecoder.h"
#include "imaging/PngDecoder.h"

namespace PictureDecoder {

Route routeOf(const QString& path)
{
    return path.endsWith(u".png") || path.endsWith(u".PNG") ? Route::PngLibrary : Route::QtReader;
}

Picture decode(const QString& path, QSize area, const PngDecoder* png, qint64 maxPixels)
{
    if (routeOf(path) == Route::PngLibrary)
        return png ? png->decodeReduced(path, area, maxPixels) : Picture();
    return loadPicture(path, area, maxPixels);
}

}
