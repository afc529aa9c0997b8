#include "board/ThumbnailDecoder.h"
#include "board/ThumbnailCacheShared.h"
#include "imaging/ExifThumbnail.h"
#include "imaging/PNGLoader.h"
#include "platform/PictureLoader.h"
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace Board {

bool isPngName(const QString& path) { return path.endsWith(u".png") || path.endsWith(u".PNG"); }

namespace {

    // The platform loader reads JPEG, BMP and GIF only; a PNG behind another name
    // (".Png", ".jpg") is not one of its pictures.
    bool platformFormat(const QByteArray& format) { return format == "jpeg" || format == "bmp" || format == "gif"; }

    QImage toSize(const QImage& image, QSize size)
    {
        return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    // Of the same shape as `natural`, to within the pixel a scaled side was rounded by,
    // and at least `shown` large (less a pixel for another program's rounding).
    bool fitsAs(QSize thumb, QSize natural, QSize shown)
    {
        return thumb.width() + 1 >= shown.width() && thumb.height() + 1 >= shown.height()
            && ExifThumbnail::usable(thumb, natural, QSize(1, 1));
    }

    QImage applyOrientation(const QImage& image, QImageIOHandler::Transformations t)
    {
        QImage out = image;
        if (t & QImageIOHandler::TransformationMirror)
            out = out.mirrored(true, false);
        if (t & QImageIOHandler::TransformationFlip)
            out = out.mirrored(false, true);
        if (t & QImageIOHandler::TransformationRotate90)
            out = out.transformed(QTransform().rotate(90));
        return out;
    }

    // The embedded thumbnail, turned and sized as the photo is shown; null when it
    // would not do.
    QImage exifThumbnail(const QByteArray& bytes, QSize stored, QImageIOHandler::Transformations t, QSize shown)
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "jpeg");
        reader.setAutoTransform(false);
        const QSize thumb = reader.size();
        const bool rotated = t & QImageIOHandler::TransformationRotate90;
        const QSize wanted = rotated ? shown.transposed() : shown;
        if (!ExifThumbnail::usable(thumb, stored, wanted))
            return {};
        QImage image;
        if (!reader.read(&image) || image.size() != thumb)
            return {};
        return toSize(applyOrientation(image, t), shown);
    }

}

ThumbRequest describeFile(const QString& path, int box)
{
    ThumbRequest r;
    r.path = path;
    r.box = box;
    const QFileInfo fi(path);
    if (fi.isFile()) {
        r.fileSize = fi.size();
        r.mtimeMs = fi.lastModified().toMSecsSinceEpoch();
    }
    return r;
}

ThumbResult loadThumbnail(ThumbRequest request)
{
    ThumbResult r;
    const QSize box(std::max(1, request.box), std::max(1, request.box));
    if (request.fileSize < 0)
        return r;
    QFile file(request.path);
    if (!file.open(QIODevice::ReadOnly))
        return r; // gone since it was listed, or not ours to read

    const bool png = isPngName(request.path);
    const bool shared = !request.sharedRoot.isEmpty() && !SharedThumbnails::isInside(request.sharedRoot, request.path);
    const QByteArray format = png ? QByteArray("png") : QImageReader::imageFormat(&file);
    const SharedThumbnails::Original original = shared
        ? SharedThumbnails::describe(request.path, request.fileSize, request.mtimeMs, "image/" + format)
        : SharedThumbnails::Original();
    // A PNG the build cannot decode is no fault of the file.
    const bool canDecode = !png || (request.png && request.png->isAvailable());
    auto failed = [&] {
        if (shared && canDecode)
            SharedThumbnails::storeFailure(request.sharedRoot, original);
        return ThumbResult();
    };
    if (!png && !platformFormat(format))
        return failed();

    // A camera's own thumbnail sits in the first segments; looked for before the decoder reads on.
    const QByteArray exif = format == "jpeg" ? ExifThumbnail::fromJpeg(&file) : QByteArray();
    if (!file.seek(0))
        return r;
    QImageReader reader(&file, format);
    reader.setAutoTransform(!png);
    const QSize stored = reader.size();
    // The PNG decoder is the judge of PNG files; Qt's header only helps to find a cached thumbnail.
    if (!stored.isValid() && !png)
        return failed();
    const QImageIOHandler::Transformations transform
        = png ? QImageIOHandler::TransformationNone : reader.transformation();
    const bool rotated = transform & QImageIOHandler::TransformationRotate90;
    const QSize natural = rotated ? stored.transposed() : stored;
    const QSize shown = fitSize(natural, box);

    if (shared) {
        // A PNG this build cannot decode shows no picture, whatever another program made of it.
        if (stored.isValid() && canDecode) {
            const QImage cached = SharedThumbnails::find(request.sharedRoot, original, request.box);
            if (!cached.isNull() && fitsAs(cached.size(), natural, shown)) {
                r.image = toSize(cached, shown);
                r.natural = natural;
                r.source = ThumbResult::Source::Shared;
                return r;
            }
        }
        if (SharedThumbnails::hasFailure(request.sharedRoot, original))
            return r;
    }

    if (!exif.isEmpty()) {
        QImage thumb = exifThumbnail(exif, stored, transform, shown);
        if (!thumb.isNull()) {
            r.image = std::move(thumb);
            r.natural = natural;
            r.source = ThumbResult::Source::Exif;
            return r;
        }
    }

    // Decoded at the shared cache's size class, so that what is stored serves any box of the class.
    const int edge = shared ? SharedThumbnails::sizeClassFor(request.box) : 0;
    const QSize decodeBox = edge > 0 ? QSize(edge, edge) : box;
    QImage image;
    QSize size = natural;
    if (png) {
        if (!canDecode)
            return r;
        image = request.png->LoadPNG(request.path);
        if (image.isNull())
            return failed();
        size = image.size();
        image = toSize(image, fitSize(size, decodeBox));
    } else {
        image = readAtSize(reader, stored, rotated, fitSize(natural, decodeBox));
        if (image.isNull())
            return failed();
    }
    if (edge > 0)
        SharedThumbnails::store(request.sharedRoot, edge, original, image, size);
    r.image = toSize(image, fitSize(size, box));
    r.natural = size;
    r.source = ThumbResult::Source::Decoded;
    return r;
}

QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PNGLoader* png)
{
    ThumbRequest request = describeFile(path, boxPixels);
    request.png = png;
    const ThumbResult r = loadThumbnail(std::move(request));
    if (natural)
        *natural = r.image.isNull() ? QSize() : r.natural;
    return r.image;
}

}
