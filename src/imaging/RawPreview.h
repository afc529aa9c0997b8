#pragma once
#include "imaging/PictureLoader.h"

#include <QSize>
#include <QString>

// The picture a camera's RAW file carries for showing it: the preview the camera embedded
// (a JPEG or a bitmap), read through LibRaw. The RAW data itself is never read, so a
// preview costs a header parse and one read of the preview's bytes. The preview is turned
// by the RAW file's own orientation; an orientation inside the preview's JPEG is ignored,
// since LibRaw already takes it into account where a camera stores it only there.
// Only regular files are opened. Nothing here touches a window, so every call is safe
// on worker threads, several at a time.
namespace RawPreview {

// False in a build without LibRaw: every call then refuses the file as InvalidPicture.
bool isAvailable();

// The size of the preview as displayed; invalid when the file has none LibRaw can give.
QSize naturalSize(const QString& path);

// The largest preview LibRaw finds, turned upright, whole or reduced to fit `fitInto`
// when that is valid and the preview larger (a JPEG preview is then decoded at reduced
// size). A file LibRaw refuses, or one without a usable preview, gives an empty image
// and InvalidPicture, as does a preview of more than `maxPixels` (0: no limit), refused
// before it is decoded. The natural size is the preview's as displayed.
Picture load(const QString& path, QSize fitInto = QSize(), qint64 maxPixels = 0);

}
