#pragma once
#include "platform/PictureLoader.h"
#include <QSize>
#include <QString>

class PngDecoder;

// Which decoder reads a picture file. The board, the viewer and the pictures made ahead
// of the viewer all route by this one rule, so that they show the same pictures.
namespace PictureDecoder {

enum class Route {
    PngLibrary, // names ending in exactly ".png" or ".PNG"
    QtReader, // every other name: Qt's reader, which goes by the content
};
Route routeOf(const QString& path);

// The picture of `path` reduced to fit `area` (never enlarged) by the decoder its route
// names; without `png` the library's files give no picture. A picture of more than
// `maxPixels` (0: no limit) is refused as invalid from its header.
Picture decode(const QString& path, QSize area, const PngDecoder* png, qint64 maxPixels = 0);

}
