#pragma once
#include <QString>
#include <QStringList>

// Which files are pictures: the four classic formats, or those and the formats of today's
// cameras and phones. The folder listing and the decoders share these names.
namespace PictureFormats {

enum class FormatSet {
    All, // the classic four, JPEG under .jpeg too, TIFF, WebP, HEIF/HEIC and camera RAW files
    ClassicOnly, // JPEG (.jpg), BMP, GIF and PNG only, as the program always listed
};

// The name filters of `set` for a folder listing: "*.jpg;*.bmp;..."
QString listPattern(FormatSet set);

// A camera RAW file by its name's extension, case-insensitively.
bool isRawName(const QString& name);

// Each RAW name in `names` left out when a picture of the same base name (case-insensitive)
// is in the list too: the pair shows once, as the picture. The order is kept.
QStringList withoutPairedRaws(const QStringList& names);

}
