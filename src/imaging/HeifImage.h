#pragma once
#include "imaging/PictureLoader.h"

#include <QSize>
#include <QString>

// HEIF and HEIC pictures through libheif. Every picture comes out as it is meant to be
// seen: the file's rotation, mirroring and crop (irot, imir, clap) are applied, and its
// size is given as displayed. The EXIF orientation a HEIF file may also carry is left
// alone: those properties already turn the picture, and phones write both.
// Only regular files are opened. Nothing here touches a window, so every call is safe
// on worker threads, several at a time.
namespace HeifImage {

// False in a build without libheif: every call then refuses the file as InvalidPicture.
bool isAvailable();

// The size of the primary picture as displayed, from the header alone; invalid when the
// file cannot be read as HEIF.
QSize naturalSize(const QString& path);

// The board's thumbnail, fitted into `box` (never enlarged). It comes from the thumbnail
// the file embeds when that is at least as large as the result and of the same shape,
// else from the primary picture, decoded whole and reduced. `maxPixels` (0: no limit)
// bounds the picture that is decoded: above it the file is refused from its header.
// The natural size is always the primary picture's.
Picture thumbnail(const QString& path, QSize box, qint64 maxPixels = 0);

// The primary picture, whole, or reduced to fit `fitInto` when that is valid and the
// picture larger. A picture of more than `maxPixels` (0: no limit) is refused as invalid
// from the header, before anything is decoded.
Picture decode(const QString& path, QSize fitInto = QSize(), qint64 maxPixels = 0);

}
