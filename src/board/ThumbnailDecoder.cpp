#include "board/ThumbnailDecoder.h"
#include "imaging/PNGLoader.h"
#include "platform/PictureLoader.h"
#include <QImageReader>

namespace Board {

bool isPngName(const QString& path) { return path.endsWith(u".png") || path.endsWith(u".PNG"); }

namespace {

    // The platform loader reads JPEG, BMP and GIF only; a PNG behind another name
    // (".Png", ".jpg") is not one of its pictures.
    bool platformReadable(const QString& path)
    {
        const QByteArray format = QImageReader::imageFormat(path);
        return format == "jpeg" || format == "bmp" || format == "gif";
    }

}

QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PNGLoader* png)
{
    const QSize box(std::max(1, boxPixels), std::max(1, boxPixels));
    QImage image;
    QSize size;
    if (isPngName(path)) {
        image = png ? png->LoadPNG(path) : QImage();
        size = image.size();
        const QSize shown = fitSize(size, box);
        if (!image.isNull() && shown != size)
            image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else if (platformReadable(path)) {
        Picture p = LoadPicture(path, box);
        if (p.ok()) {
            image = std::move(p.image);
            size = p.naturalSize;
        }
    }
    if (image.isNull())
        size = QSize();
    if (natural)
        *natural = size;
    return image;
}

}
