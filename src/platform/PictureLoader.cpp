#include "platform/PictureLoader.h"
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

Picture LoadPicture(const QString& path, QSize fitInto)
{
    Picture p;
    const QFileInfo fi(path);
    if (!fi.exists()) {
        p.failure = PictureFailure::PathNotFound;
        return p;
    }
    if (!fi.isFile() || !fi.isReadable()) {
        p.failure = PictureFailure::Other;
        return p;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize stored = reader.size(); // before orientation
    if (!stored.isValid()) {
        p.failure = reader.error() == QImageReader::FileNotFoundError ? PictureFailure::PathNotFound
                                                                        : PictureFailure::InvalidPicture;
        return p;
    }
    const bool swapped = reader.transformation() & QImageIOHandler::TransformationRotate90;
    p.naturalSize = swapped ? stored.transposed() : stored;
    if (fitInto.isValid()) {
        const QSize target = fitSize(p.naturalSize, fitInto);
        if (target != p.naturalSize)
            reader.setScaledSize(swapped ? target.transposed() : target); // given before rotation
    }
    if (!reader.read(&p.image)) {
        p.image = QImage();
        p.failure = reader.error() == QImageReader::FileNotFoundError ? PictureFailure::PathNotFound
                                                                        : PictureFailure::InvalidPicture;
    }
    return p;
}
