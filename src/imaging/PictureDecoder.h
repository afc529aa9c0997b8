#pragma once
#include "imaging/PictureLoader.h"
#include <QSize>
#include <QString>

class PngDecoder;

// Which decoder reads a picture file. The board, the viewer and the pictures made ahead
// of the viewer all route by this one rule, so that they show the same pictures.
namespace PictureDecoder {

enum class Route {
    PngLibrary, // PNG content; without a known signature, names ending in ".png" or ".PNG"
    QtReader, // every other file: Qt's reader, which goes by the content
    Heif, // HEIF/HEIC content (an ISO box "ftyp" with a HEIF brand): libheif
    RawPreview, // a camera RAW name whose content is no other picture: the preview it embeds
};
// How many first bytes routeOf() looks at.
constexpr int SignatureBytes = 12;
// By the file's first bytes whatever its name, so that a JPEG named .png shows as a
// PNG named .jpg does; a file without a known signature goes by its name. RAW files
// mostly look like TIFF inside, so a RAW name goes to its preview unless the content
// is a JPEG, PNG, GIF, BMP or HEIF.
Route routeOf(const QString& path, const QByteArray& firstBytes);
Route routeOf(const QString& path); // reads the first bytes itself

// The picture of `path` reduced to fit `area` (never enlarged; invalid: whole) by the
// decoder its route names; without `png` the library's files give no picture. A picture of more than
// `maxPixels` (0: no limit) is refused as invalid from its header.
Picture decode(const QString& path, QSize area, const PngDecoder* png, qint64 maxPixels = 0);

}
