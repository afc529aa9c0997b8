#include "imaging/ThumbnailMaker.h"
#include "imaging/HeaderCheck.h"
#include "imaging/HeifImage.h"
#include "imaging/PictureDecoder.h"
#include "imaging/PictureLoader.h"
#include "imaging/PngDecoder.h"
#include "imaging/RawPreview.h"
#include "imaging/SharedThumbnails.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace ThumbnailMaker {

namespace {

    QImage toSize(const QImage& image, QSize size)
    {
        return image.size() == size ? image : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    // Of the same shape as `natural`, to within the pixel a scaled side was rounded by,
    // and at least `shown` large (less a pixel for another program's rounding).
    bool fitsAs(QSize thumb, QSize natural, QSize shown)
    {
        if (thumb.isEmpty() || natural.isEmpty() || thumb.width() + 1 < shown.width()
            || thumb.height() + 1 < shown.height())
            return false;
        const double heightFromWidth = double(thumb.width()) * natural.height() / natural.width();
        const double widthFromHeight = double(thumb.height()) * natural.width() / natural.height();
        return std::abs(heightFromWidth - thumb.height()) <= 1.0 || std::abs(widthFromHeight - thumb.width()) <= 1.0;
    }

    bool sharedFor(const ThumbRequest& request)
    {
        return !request.sharedRoot.isEmpty() && !SharedThumbnails::isInside(request.sharedRoot, request.path);
    }

    // A thumbnail from the shared cache, when it is one of this picture as it is now: shown
    // at the box's size.
    bool takeShared(const QImage& cached, QSize natural, QSize box, ThumbResult& r)
    {
        const QSize shown = fitSize(natural, box);
        if (cached.isNull() || !fitsAs(cached.size(), natural, shown))
            return false;
        r.image = toSize(cached, shown);
        r.natural = natural;
        r.source = ThumbResult::Source::Shared;
        return true;
    }

    // HEIF and RAW files through their own libraries, which judge the pixel count from
    // the header before they decode. The natural size costs a header parse of its own,
    // so it is asked only to check a thumbnail found in the shared cache.
    ThumbResult makeFromCameraFile(const ThumbRequest& request, bool heif, QSize box)
    {
        ThumbResult r;
        const bool shared = sharedFor(request);
        const SharedThumbnails::Source source = shared
            ? SharedThumbnails::describe(request.path, request.fileSize, request.mtimeMs,
                heif ? QByteArray("image/heif") : QByteArray("image/x-dcraw"))
            : SharedThumbnails::Source();
        // A build without the library shows no picture, whatever another program made of it.
        if (!(heif ? HeifImage::isAvailable() : RawPreview::isAvailable()))
            return r;
        if (shared) {
            const QImage cached = SharedThumbnails::find(request.sharedRoot, source, request.box);
            if (!cached.isNull()
                && takeShared(cached,
                    heif ? HeifImage::naturalSize(request.path) : RawPreview::naturalSize(request.path), box, r))
                return r;
            if (SharedThumbnails::hasFailure(request.sharedRoot, source))
                return r;
        }
        const int edge = shared ? SharedThumbnails::sizeClassFor(request.box) : 0;
        const QSize decodeBox = edge > 0 ? QSize(edge, edge) : box;
        const Picture picture = heif ? HeifImage::thumbnail(request.path, decodeBox, HeaderCheck::MaxPicturePixels)
                                     : RawPreview::load(request.path, decodeBox, HeaderCheck::MaxPicturePixels);
        if (picture.image.isNull()) {
            if (shared && picture.failure == PictureFailure::InvalidPicture)
                SharedThumbnails::storeFailure(request.sharedRoot, source);
            return r;
        }
        if (edge > 0)
            SharedThumbnails::store(request.sharedRoot, edge, source, picture.image, picture.naturalSize);
        r.image = toSize(picture.image, fitSize(picture.naturalSize, box));
        r.natural = picture.naturalSize;
        r.source = ThumbResult::Source::Decoded;
        return r;
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

ThumbResult make(ThumbRequest request)
{
    ThumbResult r;
    const QSize box(std::max(1, request.box), std::max(1, request.box));
    if (request.fileSize < 0)
        return r;
    QFile file(request.path);
    // Never a FIFO or a device, whose open or read could hold this thread for good.
    if (!FileOps::openRegularFile(file))
        return r; // gone since it was listed, or not ours to read

    const PictureDecoder::Route route
        = PictureDecoder::routeOf(request.path, file.peek(PictureDecoder::SignatureBytes));
    if (route == PictureDecoder::Route::Heif || route == PictureDecoder::Route::RawPreview) {
        file.close();
        return makeFromCameraFile(request, route == PictureDecoder::Route::Heif, box);
    }
    const bool png = route == PictureDecoder::Route::PngLibrary;
    const bool shared = sharedFor(request);
    const QByteArray format = png ? QByteArray("png") : QImageReader::imageFormat(&file);
    const SharedThumbnails::Source source = shared
        ? SharedThumbnails::describe(request.path, request.fileSize, request.mtimeMs, "image/" + format)
        : SharedThumbnails::Source();
    // A PNG the build cannot decode is no fault of the file.
    const bool canDecode = !png || (request.png && request.png->isAvailable());
    auto failed = [&] {
        if (shared && canDecode)
            SharedThumbnails::storeFailure(request.sharedRoot, source);
        return ThumbResult();
    };
    // Whatever Qt's reader reads, as the viewer shows it.
    if (!png && format.isEmpty())
        return failed();

    // The same limits as the viewer's, judged before any reader allocates: a few hundred
    // bytes of header can ask for gigabytes. A PNG's size comes from its IHDR alone (the
    // PNG decoder is the judge of the rest), never from Qt's reader, which reads every
    // chunk before the pixels whatever length it claims.
    if (!png && !HeaderCheck::fitsBudget(&file, format, HeaderCheck::MaxPicturePixels))
        return failed();
    QImageReader reader(&file, format);
    reader.setAutoTransform(false);
    const QSize stored = png ? HeaderCheck::pngSize(&file) : reader.size();
    if (!stored.isValid() && !png)
        return failed();
    if (qint64(stored.width()) * stored.height() > HeaderCheck::MaxPicturePixels)
        return failed();
    auto naturalFor = [&](Orientation o) { return PictureOrientation::swapsSides(o) ? stored.transposed() : stored; };

    // Qt's JPEG and TIFF readers parsed the turn with the header. A shared thumbnail is
    // checked against theirs first, so that exiv2's second open of the file is spent only
    // when that misses. A PNG this build cannot decode shows no picture, whatever another
    // program made of it.
    const QImage cached = shared && stored.isValid() && canDecode
        ? SharedThumbnails::find(request.sharedRoot, source, request.box)
        : QImage();
    const bool readerKnowsTurn = png || format == "jpeg" || format == "tiff";
    if (readerKnowsTurn
        && takeShared(cached, naturalFor(png ? Orientation::Upright : orientationFromReader(reader)), box, r))
        return r;
    const Orientation orientation = png ? Orientation::Upright : orientationOf(request.path, reader);
    const QSize natural = naturalFor(orientation);
    if (takeShared(cached, natural, box, r))
        return r;
    if (shared && SharedThumbnails::hasFailure(request.sharedRoot, source))
        return r;

    // Always the file's own pixels, decoded at reduced size: never a JPEG's EXIF thumbnail
    // a camera or an editor embedded, which may show another picture than the file does. Decoded at
    // the shared cache's size class, so that what is stored serves any box of the class.
    const int edge = shared ? SharedThumbnails::sizeClassFor(request.box) : 0;
    const QSize decodeBox = edge > 0 ? QSize(edge, edge) : box;
    QImage image;
    QSize size = natural;
    if (png) {
        if (!canDecode)
            return r;
        file.close();
        const Picture picture = request.png->decodeReduced(request.path, decodeBox, HeaderCheck::MaxPicturePixels);
        if (picture.image.isNull())
            return failed();
        image = picture.image;
        size = picture.naturalSize;
    } else {
        image = readAtSize(reader, stored, orientation, fitSize(natural, decodeBox));
        if (image.isNull())
            return failed();
    }
    if (edge > 0)
        SharedThumbnails::store(request.sharedRoot, edge, source, image, size);
    r.image = toSize(image, fitSize(size, box));
    r.natural = size;
    r.source = ThumbResult::Source::Decoded;
    return r;
}

QImage decodeThumbnail(const QString& path, int boxPixels, QSize* natural, const PngDecoder* png)
{
    ThumbRequest request = describeFile(path, boxPixels);
    request.png = png;
    const ThumbResult r = make(std::move(request));
    if (natural)
        *natural = r.image.isNull() ? QSize() : r.natural;
    return r.image;
}

}
