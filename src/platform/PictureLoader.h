#pragma once
#include <QImage>
#include <QSize>
#include <QString>

// The picture loader for JPEG, BMP and GIF (and anything else Qt reads). EXIF
// orientation is applied, so the natural size is the size as displayed.
enum class PictureFailure {
    None,
    PathNotFound, // the file is missing
    InvalidPicture, // the file is there but cannot be decoded
    Other, // anything else (no read permission, a folder, ...)
};

struct Picture {
    QImage image; // at the requested reduced size, or natural size
    QSize naturalSize; // the picture's own size in pixels, as displayed
    PictureFailure failure = PictureFailure::None;
    bool ok() const { return failure == PictureFailure::None; }
};

// Reads the picture. With a valid `fitInto`, a picture larger than that box is decoded
// at reduced size (JPEG scales inside the decoder), never whole and then shrunk.
Picture LoadPicture(const QString& path, QSize fitInto = QSize());

// The natural size of `natural` reduced to fit `box`, aspect kept, never enlarged.
QSize fitSize(QSize natural, QSize box);
