#include "imaging/PictureLoader.h"
#include "imaging/HeaderCheck.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cmath>

QSize fitSize(QSize natural, QSize box)
{
    if (natural.isEmpty() || box.isEmpty())
        return natural;
    if (natural.width() <= box.width() && natural.height() <= box.height())
        return natural;
    const double s = std::min(double(box.width()) / natural.width(), double(box.height()) / natural.height());
    return QSize(std::max(1, int(std::ceil(natural.width() * s))), std::max(1, int(std::ceil(natural.height() * s))));
}

int jpegReduction(QSize stored, QSize wanted)
{
    if (stored.isEmpty() || wanted.isEmpty())
        return 1;
    int d = 8;
    while (d > 1 && (stored.width() / d < wanted.width() || stored.height() / d < wanted.height()))
        d /= 2;
    return d;
}

QSize jpegDecodeSize(QSize stored, QSize wanted)
{
    if (stored.isEmpty() || wanted.isEmpty() || wanted == stored)
        return QSize();
    const int d = jpegReduction(stored, wanted);
    // Qt's choice for `wanted`: scale_num = ceil(8 / f) out of 8, f the smaller ratio.
    const double f = std::min(double(stored.width()) / wanted.width(), double(stored.height()) / wanted.height());
    const int num = std::clamp(int(std::ceil(8.0 / f)), 1, 8);
    if (num * d == 8)
        return wanted;
    if (d == 1)
        return stored; // whole, then shrunk
    // Rounded down, so that the ratios are at least d and Qt's ceil lands on exactly 8 / d.
    return QSize(stored.width() / d, stored.height() / d);
}

QSize decodeRequest(QSize stored, bool rotated90, QSize target, bool jpeg)
{
    const QSize natural = rotated90 ? stored.transposed() : stored;
    if (!target.isValid() || target == natural)
        return QSize();
    const QSize wanted = rotated90 ? target.transposed() : target;
    const QSize request = jpeg ? jpegDecodeSize(stored, wanted) : wanted;
    return request == stored ? QSize() : request;
}

Orientation orientationOf(const QString& path, const QImageReader& reader)
{
    return PictureOrientation::isAvailable() ? PictureOrientation::read(path) : orientationFromReader(reader);
}

Orientation orientationFromReader(const QImageReader& reader)
{
    switch (reader.transformation()) {
    case QImageIOHandler::TransformationMirror:
        return Orientation::Mirrored;
    case QImageIOHandler::TransformationRotate180:
        return Orientation::UpsideDown;
    case QImageIOHandler::TransformationFlip:
        return Orientation::Flipped;
    case QImageIOHandler::TransformationFlipAndRotate90:
        return Orientation::Transposed;
    case QImageIOHandler::TransformationRotate90:
        return Orientation::TurnedRight;
    case QImageIOHandler::TransformationMirrorAndRotate90:
        return Orientation::Transversed;
    case QImageIOHandler::TransformationRotate270:
        return Orientation::TurnedLeft;
    default:
        return Orientation::Upright;
    }
}

QImage readAtSize(QImageReader& reader, QSize stored, Orientation orientation, QSize target)
{
    // Scaled as stored, turned afterwards: a quarter turn swaps the sides asked for.
    const bool swapped = PictureOrientation::swapsSides(orientation);
    const QSize request = decodeRequest(stored, swapped, target, reader.format() == "jpeg");
    if (request.isValid())
        reader.setScaledSize(request);
    QImage image;
    if (!reader.read(&image))
        return QImage();
    const QSize storedTarget = swapped ? target.transposed() : target;
    if (target.isValid() && image.size() != storedTarget)
        image = image.scaled(storedTarget, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return PictureOrientation::apply(image, orientation);
}

Picture loadPicture(const QString& path, QSize fitInto, qint64 maxPixels)
{
    Picture p;
    const QFileInfo fi(path);
    if (!fi.exists()) {
        p.failure = PictureFailure::PathNotFound;
        return p;
    }
    // Only a regular file, opened without waiting: a FIFO would hold the window for good.
    QFile file(path);
    if (!fi.isFile() || !FileOps::openRegularFile(file)) {
        p.failure = QFileInfo::exists(path) ? PictureFailure::Other : PictureFailure::PathNotFound;
        return p;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    // Refused from the header alone, before a pixel is decoded or a chunk allocated.
    if (!HeaderCheck::fitsBudget(&file, reader.format(), maxPixels)) {
        p.failure = PictureFailure::InvalidPicture;
        return p;
    }
    QSize stored = reader.size(); // before orientation
    if (!stored.isValid() || (maxPixels > 0 && qint64(stored.width()) * stored.height() > maxPixels)) {
        p.failure = PictureFailure::InvalidPicture;
        return p;
    }
    const Orientation orientation = orientationOf(path, reader);
    p.naturalSize = PictureOrientation::swapsSides(orientation) ? stored.transposed() : stored;
    const QSize target = fitInto.isValid() ? fitSize(p.naturalSize, fitInto) : QSize();
    p.image = readAtSize(reader, stored, orientation, target);
    if (p.image.isNull())
        p.failure = QFileInfo::exists(path) ? PictureFailure::InvalidPicture : PictureFailure::PathNotFound;
    return p;
}
