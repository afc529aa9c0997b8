#include "imaging/HeifImage.h"
#include "platform/FileOps.h"

#include <QFile>
#include <QFileInfo>

#ifdef LUMO_HAVE_LIBHEIF
#include <QColorSpace>
#include <libheif/heif.h>
#include <memory>
#include <vector>

namespace {

// libheif sets up its codecs and colour conversions in heif_init(), which two threads
// must not run at once; the first caller runs it, any other waits for it here.
void initialiseLibrary()
{
    static const bool initialised = heif_init(nullptr).code == heif_error_Ok;
    Q_UNUSED(initialised);
}

// libheif reads through the QFile that FileOps opened, so that it never opens the path
// itself: the name could meanwhile be a FIFO.
int64_t position(void* file) { return static_cast<QFile*>(file)->pos(); }

int readBytes(void* data, size_t size, void* file)
{
    return static_cast<QFile*>(file)->read(static_cast<char*>(data), qint64(size)) == qint64(size) ? 0 : 1;
}

int seekTo(int64_t position, void* file) { return static_cast<QFile*>(file)->seek(position) ? 0 : 1; }

heif_reader_grow_status waitForSize(int64_t size, void* file)
{
    return size > static_cast<QFile*>(file)->size() ? heif_reader_grow_status_size_beyond_eof
                                                    : heif_reader_grow_status_size_reached;
}

const heif_reader fileReader = { 1, position, readBytes, seekTo, waitForSize };

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;

// An open HEIF file and its primary picture. The file stays open: libheif reads the
// coded picture from it only when it is decoded.
struct HeifFile {
    QFile file;
    std::unique_ptr<heif_context, ContextFree> context;
    Handle primary;

    PictureFailure open(const QString& path)
    {
        initialiseLibrary();
        file.setFileName(path);
        if (!FileOps::openRegularFile(file))
            return QFileInfo::exists(path) ? PictureFailure::Other : PictureFailure::PathNotFound;
        context.reset(heif_context_alloc());
        heif_image_handle* handle = nullptr;
        if (!context || heif_context_read_from_reader(context.get(), &fileReader, &file, nullptr).code != heif_error_Ok
            || heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
            return PictureFailure::InvalidPicture;
        primary.reset(handle);
        return PictureFailure::None;
    }
};

// As displayed: libheif reports the size after rotation and crop.
QSize displayedSize(const heif_image_handle* handle)
{
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

bool withinBudget(QSize size, qint64 maxPixels)
{
    return !size.isEmpty() && (maxPixels <= 0 || qint64(size.width()) * size.height() <= maxPixels);
}

// The embedded thumbnail of `primary` to reduce to `target` instead of decoding the primary
// picture: the smallest one that is at least as large and has the same shape. None when
// no thumbnail qualifies.
Handle thumbnailFor(const heif_image_handle* primary, QSize target)
{
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || target.isEmpty())
        return Handle();
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    ids.resize(size_t(heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count)));
    Handle best;
    qint64 bestArea = 0;
    for (const heif_item_id id : ids) {
        heif_image_handle* handle = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &handle).code != heif_error_Ok)
            continue;
        Handle candidate(handle);
        const QSize size = displayedSize(handle);
        const QSize shape = size.scaled(target, Qt::KeepAspectRatio);
        const qint64 area = qint64(size.width()) * size.height();
        if (size.width() >= target.width() && size.height() >= target.height()
            && qAbs(shape.width() - target.width()) <= 1 && qAbs(shape.height() - target.height()) <= 1
            && (!best || area < bestArea)) {
            best = std::move(candidate);
            bestArea = area;
        }
    }
    return best;
}

// The picture of `handle` as displayed, 8 bits a channel; null on failure.
QImage decodeHandle(const heif_image_handle* handle)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle);
    const std::unique_ptr<heif_decoding_options, void (*)(heif_decoding_options*)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    if (!options)
        return QImage();
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    // Four bytes a pixel even without alpha: Qt reduces a 32-bit picture some twenty times
    // faster than one of three bytes a pixel.
    const heif_error error
        = heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get());
    if (error.code != heif_error_Ok || !decoded) {
        if (decoded)
            heif_image_release(decoded);
        return QImage();
    }
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    const QImage::Format format = !alpha                   ? QImage::Format_RGBX8888
        : heif_image_handle_is_premultiplied_alpha(handle) ? QImage::Format_RGBA8888_Premultiplied
                                                           : QImage::Format_RGBA8888;
    // The image keeps libheif's pixels and releases them with itself: a large picture is
    // not copied. Qt wants whole 32-bit words for its rows.
    QImage image;
    if (pixels && stride % 4 == 0 && quintptr(pixels) % 4 == 0)
        image = QImage(
            pixels, width, height, stride, format, [](void* img) { heif_image_release(static_cast<heif_image*>(img)); },
            decoded);
    if (image.isNull()) {
        if (pixels)
            image = QImage(pixels, width, height, stride, format).copy();
        heif_image_release(decoded);
    }
    if (const size_t iccSize = heif_image_handle_get_raw_color_profile_size(handle)) {
        QByteArray icc(qsizetype(iccSize), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok)
            image.setColorSpace(QColorSpace::fromIccProfile(icc));
    }
    return image;
}

Picture read(const QString& path, QSize fitInto, qint64 maxPixels, bool embeddedThumbnail)
{
    Picture p;
    HeifFile heif;
    p.failure = heif.open(path);
    if (!p.ok())
        return p;
    const QSize natural = displayedSize(heif.primary.get());
    const QSize target = fitInto.isValid() ? fitSize(natural, fitInto) : natural;
    const Handle thumbnail = embeddedThumbnail ? thumbnailFor(heif.primary.get(), target) : Handle();
    const heif_image_handle* source = thumbnail ? thumbnail.get() : heif.primary.get();
    // Refused from the header, before a pixel is decoded.
    if (!withinBudget(displayedSize(source), maxPixels) || target.isEmpty()) {
        p.failure = PictureFailure::InvalidPicture;
        return p;
    }
    const QImage image = decodeHandle(source);
    if (image.isNull()) {
        p.failure = PictureFailure::InvalidPicture;
        return p;
    }
    p.naturalSize = natural;
    p.image = image.size() == target ? image : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return p;
}

}

bool HeifImage::isAvailable() { return true; }

QSize HeifImage::naturalSize(const QString& path)
{
    HeifFile heif;
    return heif.open(path) == PictureFailure::None ? displayedSize(heif.primary.get()) : QSize();
}

Picture HeifImage::thumbnail(const QString& path, QSize box, qint64 maxPixels)
{
    return read(path, box, maxPixels, true);
}

Picture HeifImage::decode(const QString& path, QSize fitInto, qint64 maxPixels)
{
    return read(path, fitInto, maxPixels, false);
}

#else

bool HeifImage::isAvailable() { return false; }

QSize HeifImage::naturalSize(const QString&) { return QSize(); }

Picture HeifImage::thumbnail(const QString& path, QSize, qint64) { return decode(path); }

Picture HeifImage::decode(const QString& path, QSize, qint64)
{
    Picture p;
    p.failure = QFileInfo::exists(path) ? PictureFailure::InvalidPicture : PictureFailure::PathNotFound;
    return p;
}

#endif
