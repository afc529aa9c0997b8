// How long the camera formats take to give a board thumbnail and a whole picture, on
// files made here from one large photo (a wallpaper by default):
//   lumo_camera_timing [--source IMAGE] [--runs N] [--work DIR]
// HEIC with and without the thumbnail a phone embeds, the RAW preview through LibRaw,
// and TIFF, WebP and JPEG through Qt's reader, whole and reduced. Medians in ms.
#include "imaging/HeifImage.h"
#include "imaging/PictureLoader.h"
#include "imaging/PictureOrientation.h"
#include "imaging/RawPreview.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#ifdef LUMO_HAVE_LIBHEIF
#include <libheif/heif.h>
#endif

namespace {

const QSize board(160, 160);

double median(const std::function<void()>& work, int runs)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void report(const char* what, const Picture& p, double ms)
{
    std::printf("%-48s %8.1f ms  %4dx%-4d of %dx%d%s\n", what, ms, p.image.width(), p.image.height(),
        p.naturalSize.width(), p.naturalSize.height(), p.ok() ? "" : "  FAILED");
}

#ifdef LUMO_HAVE_LIBHEIF
// The photo as a phone writes it: one HEVC picture, and a 320 pixel thumbnail when asked.
bool writeHeic(const QImage& photo, const QString& path, bool withThumbnail)
{
    const QImage rgb = photo.convertToFormat(QImage::Format_RGB888);
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* rows = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), rgb.width() * 3, rows + y * stride);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 80);
    heif_encoder_set_logging_level(encoder, 0);
    heif_image_handle* handle = nullptr;
    bool ok = heif_context_encode_image(context, image, encoder, nullptr, &handle).code == heif_error_Ok;
    if (ok && withThumbnail) {
        heif_image_handle* thumbnail = nullptr;
        ok = heif_context_encode_thumbnail(context, image, handle, encoder, nullptr, 320, &thumbnail).code
            == heif_error_Ok;
        heif_image_handle_release(thumbnail);
    }
    ok = ok && heif_context_write_to_file(context, QFile::encodeName(path)).code == heif_error_Ok;
    heif_image_handle_release(handle);
    heif_encoder_release(encoder);
    heif_context_free(context);
    heif_image_release(image);
    return ok;
}
#endif

// A RAF whose embedded JPEG is `preview`, as a camera's 1920 pixel preview: the stripped
// test file with the JPEG appended and the header pointing at it. The JPEG keeps the old
// one's EXIF, by which LibRaw knows the camera.
bool writeRaf(const QString& stripped, const QImage& preview, const QString& path)
{
    QFile in(stripped);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray raf = in.readAll();
    const QByteArray old = raf.mid(qFromBigEndian<quint32>(raf.constData() + 84));
    const QByteArray exif = old.mid(2, 2 + qFromBigEndian<quint16>(old.constData() + 4));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "JPEG", 92);
    const int jfif = jpeg.mid(2, 2) == "\xff\xe0" ? 2 + qFromBigEndian<quint16>(jpeg.constData() + 4) : 0;
    jpeg = jpeg.left(2) + exif + jpeg.mid(2 + jfif);
    qToBigEndian<quint32>(quint32(raf.size()), raf.data() + 84);
    qToBigEndian<quint32>(quint32(jpeg.size()), raf.data() + 88);
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(raf + jpeg) == raf.size() + jpeg.size();
}

}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({ "source", "the photo the files are made from", "image" });
    parser.addOption({ "runs", "runs per figure", "n", "7" });
    parser.addOption({ "work", "folder for the files (default: a temporary one)", "dir" });
    parser.addOption({ "testdata", "the shared test data", "dir", LUMO_TESTDATA });
    parser.process(app);
    QString source = parser.value("source");
    if (source.isEmpty()) {
        QDirIterator it("/usr/share/wallpapers", { "5120x2880.*" }, QDir::Files, QDirIterator::Subdirectories);
        source = it.hasNext() ? it.next() : QString();
    }
    const QImage big(source);
    if (big.isNull()) {
        std::fprintf(stderr, "no source photo (--source)\n");
        return 1;
    }
    QTemporaryDir temporary;
    const QString work = parser.isSet("work") ? parser.value("work") : temporary.path();
    const QString camera = parser.value("testdata") + "/camera/";
    const int runs = std::max(1, parser.value("runs").toInt());
    const QImage photo = big.scaled(4032, 3024, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::printf(
        "source %s, 4032x3024, board box %dx%d, %d runs\n", qPrintable(source), board.width(), board.height(), runs);

    auto time = [runs](const char* what, const std::function<Picture()>& read) {
        Picture p;
        report(what, p = read(), median([&] { p = read(); }, runs));
    };
#ifdef LUMO_HAVE_LIBHEIF
    const QString heic = work + "/thumb.heic", bare = work + "/bare.heic";
    if (writeHeic(photo, heic, true) && writeHeic(photo, bare, false)) {
        time("HEIC board, embedded thumbnail", [&] { return HeifImage::thumbnail(heic, board); });
        time("HEIC board, no thumbnail: reduced decode", [&] { return HeifImage::thumbnail(bare, board); });
        time("HEIC viewer, whole", [&] { return HeifImage::decode(heic); });
    }
#endif
    time("iPhone HEIC (42 tiles) board, reduced decode",
        [&] { return HeifImage::thumbnail(camera + "IMG_5195.HEIC", board); });
    time("iPhone HEIC (42 tiles) viewer, whole", [&] { return HeifImage::decode(camera + "IMG_5195.HEIC"); });
    time("iPhone HEIC natural size only", [&] {
        Picture p;
        p.naturalSize = HeifImage::naturalSize(camera + "IMG_5195.HEIC");
        return p;
    });

    const QString raf = work + "/preview.raf";
    if (writeRaf(camera + "FujiFilm.raf", photo.scaled(1920, 1440), raf)) {
        time("RAF 1920 preview, board", [&] { return RawPreview::load(raf, board); });
        time("RAF 1920 preview, viewer", [&] { return RawPreview::load(raf); });
        time("RAF natural size only", [&] {
            Picture p;
            p.naturalSize = RawPreview::naturalSize(raf);
            return p;
        });
    }
    time("RAW without preview (NEF)", [&] { return RawPreview::load(camera + "Nikon.nef", board); });

    // The orientation alone, of real camera JPEGs with maker notes: exiv2 against Qt's JPEG reader.
    const QDir photos(parser.value("testdata") + "/photos");
    for (const QString& name : photos.entryList({ "*.jpg" }, QDir::Files, QDir::Name)) {
        const QString path = photos.filePath(name);
        const double exiv2 = median([&] { PictureOrientation::read(path); }, runs * 10);
        const double qt = median([&] { QImageReader(path).transformation(); }, runs * 10);
        std::printf("%-30s orientation %d: exiv2 %6.3f ms, Qt's reader %6.3f ms\n", qPrintable(name),
            int(PictureOrientation::read(path)), exiv2, qt);
    }

    for (const char* format : { "tiff", "webp", "jpeg" }) {
        const QString path = work + "/photo." + format;
        QImageWriter writer(path, format);
        writer.setQuality(90);
        writer.setCompression(1); // TIFF: LZW
        if (!writer.write(photo))
            continue;
        QImageReader probe(path);
        std::printf("%s: the reader %s scaled reads\n", format,
            probe.supportsOption(QImageIOHandler::ScaledSize) ? "does" : "does not do");
        time(qPrintable(QString("%1 board, scaled read").arg(format)), [&] { return loadPicture(path, board); });
        time(qPrintable(QString("%1 viewer, whole").arg(format)), [&] { return loadPicture(path); });
    }
    return 0;
}
