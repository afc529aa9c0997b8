#include "imaging/RawPreview.h"
#include "platform/FileOps.h"

#include <QFile>
#include <QFileInfo>

#ifdef LUMO_HAVE_LIBRAW
#include <QBuffer>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <libraw/libraw.h>
#include <memory>

namespace {

// LibRaw reads through the QFile that FileOps opened, so that it never opens the path
// itself: the name could meanwhile be a FIFO.
class FileStream : public LibRaw_abstract_datastream {
public:
    explicit FileStream(QFile& file)
        : m_file(file)
    {
    }
    int valid() override { return m_file.isOpen(); }
    int read(void* data, size_t size, size_t count) override
    {
        if (size == 0 || count == 0)
            return 0;
        const qint64 got = m_file.read(static_cast<char*>(data), qint64(size * count));
        return got > 0 ? int(got / qint64(size)) : 0;
    }
    int seek(INT64 offset, int whence) override
    {
        const qint64 base = whence == SEEK_CUR ? m_file.pos() : whence == SEEK_END ? m_file.size() : 0;
        return m_file.seek(std::clamp<qint64>(base + offset, 0, m_file.size())) ? 0 : -1;
    }
    INT64 tell() override { return m_file.pos(); }
    INT64 size() override { return m_file.size(); }
    int get_char() override
    {
        char c = 0;
        return m_file.getChar(&c) ? uchar(c) : -1;
    }
    char* gets(char* text, int size) override { return m_file.readLine(text, size) > 0 ? text : nullptr; }
    // One number or word, as fscanf would read it, from what the next bytes hold.
    int scanf_one(const char* format, void* value) override
    {
        char text[32] = {};
        const qint64 got = m_file.peek(text, sizeof text - 1);
        if (got <= 0)
            return 0;
        const int read = std::sscanf(text, format, value);
        if (read > 0) {
            qint64 used = 0;
            while (used < got && std::strchr(" \t\n", text[used]))
                ++used;
            while (used < got && !std::strchr(" \t\n", text[used]))
                ++used;
            m_file.seek(m_file.pos() + used);
        }
        return read;
    }
    int eof() override { return m_file.atEnd(); }
    void* make_jas_stream() override { return nullptr; }

private:
    QFile& m_file;
};

// An open RAW file whose preview LibRaw has read into memory.
struct RawFile {
    QFile file;
    FileStream stream { file };
    std::unique_ptr<LibRaw> raw = std::make_unique<LibRaw>(); // far too large for a worker's stack

    PictureFailure open(const QString& path)
    {
        file.setFileName(path);
        if (!FileOps::openRegularFile(file))
            return QFileInfo::exists(path) ? PictureFailure::Other : PictureFailure::PathNotFound;
        if (raw->open_datastream(&stream) != LIBRAW_SUCCESS || raw->unpack_thumb() != LIBRAW_SUCCESS)
            return PictureFailure::InvalidPicture;
        return PictureFailure::None;
    }
};

bool withinBudget(QSize size, qint64 maxPixels)
{
    return !size.isEmpty() && (maxPixels <= 0 || qint64(size.width()) * size.height() <= maxPixels);
}

// LibRaw's flip: bit 1 mirrors left to right, bit 2 top to bottom, and bit 4 then
// transposes (5 and 6 are the quarter turns).
QImage upright(const QImage& image, int flip)
{
    QImage turned = image.mirrored(flip & 1, flip & 2);
    if (flip & 4)
        turned = turned.transformed(QTransform().rotate(90)).mirrored(true, false);
    return turned;
}

// A bitmap preview of 8 bits a channel, as LibRaw lays it out.
QImage bitmapPreview(LibRaw& raw)
{
    int error = 0;
    libraw_processed_image_t* bitmap = raw.dcraw_make_mem_thumb(&error);
    if (!bitmap)
        return QImage();
    QImage image;
    if (bitmap->type == LIBRAW_IMAGE_BITMAP && bitmap->bits == 8 && (bitmap->colors == 1 || bitmap->colors == 3)
        && qint64(bitmap->width) * bitmap->height * bitmap->colors <= qint64(bitmap->data_size))
        image = QImage(bitmap->data, bitmap->width, bitmap->height, bitmap->width * bitmap->colors,
            bitmap->colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8)
                    .copy();
    LibRaw::dcraw_clear_mem(bitmap);
    return image;
}

// The preview of `path`; with `decode` false only its natural size.
Picture read(const QString& path, QSize fitInto, qint64 maxPixels, bool decode)
{
    Picture p;
    RawFile file;
    p.failure = file.open(path);
    if (!p.ok())
        return p;
    const libraw_thumbnail_t& thumb = file.raw->imgdata.thumbnail;
    const int flip = file.raw->imgdata.sizes.flip & 7;
    QBuffer buffer;
    QImageReader reader;
    QSize stored;
    if (thumb.tformat == LIBRAW_THUMBNAIL_JPEG && thumb.thumb && thumb.tlength > 0) {
        buffer.setData(QByteArray::fromRawData(thumb.thumb, qsizetype(thumb.tlength)));
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setAutoTransform(false);
        stored = reader.size();
    } else if (thumb.tformat == LIBRAW_THUMBNAIL_BITMAP) {
        stored = QSize(thumb.twidth, thumb.theight);
    }
    // Refused from the header, before a pixel is decoded.
    if (!withinBudget(stored, maxPixels)) {
        p.failure = PictureFailure::InvalidPicture;
        return p;
    }
    p.naturalSize = flip & 4 ? stored.transposed() : stored;
    if (!decode)
        return p;
    const QSize target = fitInto.isValid() ? fitSize(p.naturalSize, fitInto) : p.naturalSize;
    const QSize wanted = flip & 4 ? target.transposed() : target; // as stored
    QImage image
        = reader.device() ? readAtSize(reader, stored, Orientation::Upright, wanted) : bitmapPreview(*file.raw);
    if (!image.isNull() && image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.image = upright(image, flip);
    if (p.image.isNull()) {
        p.naturalSize = QSize();
        p.failure = PictureFailure::InvalidPicture;
    }
    return p;
}

}

bool RawPreview::isAvailable() { return true; }

QSize RawPreview::naturalSize(const QString& path) { return read(path, QSize(), 0, false).naturalSize; }

Picture RawPreview::load(const QString& path, QSize fitInto, qint64 maxPixels)
{
    return read(path, fitInto, maxPixels, true);
}

#else

bool RawPreview::isAvailable() { return false; }

QSize RawPreview::naturalSize(const QString&) { return QSize(); }

Picture RawPreview::load(const QString& path, QSize, qint64)
{
    Picture p;
    p.failure = QFileInfo::exists(path) ? PictureFailure::InvalidPicture : PictureFailure::PathNotFound;
    return p;
}

#endif
