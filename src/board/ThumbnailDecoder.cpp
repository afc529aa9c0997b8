#include "board/ThumbnailDecoder.h"
#include "platform/PictureLoader.h"
#include <QImageReader>
#ifdef LUMO_HAVE_PNGLOADER
#include "imaging/PNGLoader.h"
#endif

namespace Board {

bool isPngName(const QString& path) { return path.endsWith(u".png") || path.endsWith(u".PNG"); }

namespace {

    QImage loadPng(const QString& path, const PNGLoader* png)
    {
#ifdef LUMO_HAVE_PNGLOADER
        if (png)
            return png->LoadPNG(path);
#else
        Q_UNUSED(path)
        Q_UNUSED(png)
#endif
        return QImage();
    }

    // The platform loader reads JPEG, BMP and GIF only; a PNG behind another name
    // (".Png", ".jpg") is not one of its pictures.
    bool platformReadable(const QString& path)
    {
        const QByteArray format = QImageReader::imageFormat(path);
        return format == "jpeg" || format == "bmp" || format == "gif";
    }

}

std::shared_ptr<PNGLoader> makePngLoader(const QString& libraryFolder)
{
#ifdef LUMO_HAVE_PNGLOADER
    return std::make_shared<PNGLoader>(libraryFolder);
#else
    Q_UNUSED(libraryFolder)
    return nullptr;
#endif
}

QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PNGLoader* png)
{
    const QSize box(std::max(1, boxPixels), std::max(1, boxPixels));
    QImage image;
    QSize size;
    if (isPngName(path)) {
        image = loadPng(path, png);
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
