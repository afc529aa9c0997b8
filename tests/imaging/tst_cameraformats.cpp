// Pictures of today's cameras: HEIF/HEIC through libheif, the previews RAW files embed through LibRaw, TIFF, WebP and
// JPEG through Qt, each alone and routed as the board and the viewer route them. The real camera files, and files made
// here for what they lack: an embedded HEIC thumbnail, turned pictures, 50 MP, a FIFO, cut and lying files.
#include "ExifJpeg.h"
#include "TestFiles.h"
#include "imaging/HeaderCheck.h"
#include "imaging/HeifImage.h"
#include "imaging/PictureDecoder.h"
#include "imaging/PictureOrientation.h"
#include "imaging/RawPreview.h"
#include "imaging/ThumbnailMaker.h"
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTransform>
#include <QtTest>
#include <memory>
#ifdef LUMO_HAVE_LIBHEIF
#include <libheif/heif.h>
#endif

enum class Reader { HeifBoard, HeifViewer, Raw, Qt, Board, Viewer }; // the last two: routed by content
Q_DECLARE_METATYPE(Reader)
Q_DECLARE_METATYPE(Orientation)

// A 64 x 48 HEIC stored with a quarter turn clockwise: displayed 48 x 64, red above blue.
// Its embedded thumbnail (24 x 32 as displayed) is green: a thumbnail shows where it came from.
static void writeTurnedHeic([[maybe_unused]] const QString& path)
{
#ifdef LUMO_HAVE_LIBHEIF
    auto image = [](QRgb left, QRgb right) {
        heif_image* img = nullptr;
        heif_image_create(64, 48, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &img);
        heif_image_add_plane(img, heif_channel_interleaved, 64, 48, 8);
        int stride = 0;
        uint8_t* rows = heif_image_get_plane(img, heif_channel_interleaved, &stride);
        for (int i = 0; i < 64 * 48; ++i) {
            const QRgb c = i % 64 < 32 ? left : right;
            uint8_t* p = rows + i / 64 * stride + i % 64 * 3;
            p[0] = uint8_t(qRed(c)), p[1] = uint8_t(qGreen(c)), p[2] = uint8_t(qBlue(c));
        }
        return img;
    };
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    QVERIFY(encoder);
    heif_encoder_set_logging_level(encoder, 0);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation_rotate_90_cw;
    heif_image *primary = image(qRgb(255, 0, 0), qRgb(0, 0, 255)), *green = image(qRgb(0, 255, 0), qRgb(0, 255, 0));
    heif_image_handle *handle = nullptr, *thumbnail = nullptr;
    heif_context_encode_image(context, primary, encoder, options, &handle);
    heif_context_encode_thumbnail(context, green, handle, encoder, options, 32, &thumbnail);
    QCOMPARE(heif_context_write_to_file(context, QFile::encodeName(path)).code, heif_error_Ok);
    heif_image_handle_release(handle), heif_image_handle_release(thumbnail);
    heif_image_release(primary), heif_image_release(green);
    heif_encoding_options_free(options), heif_encoder_release(encoder), heif_context_free(context);
#endif
}

// Left half `left`, right half `right`: a picture whose turn can be seen.
static QImage halves(QSize size, QColor left = Qt::red, QColor right = Qt::blue)
{
    QImage img = Hostile::plain(size, right);
    QPainter(&img).fillRect(0, 0, size.width() / 2, size.height(), left);
    return img;
}

// A JPEG of `image` with an EXIF block: the orientation and, when given, a thumbnail.
static QByteArray exifJpeg(const QImage& image, int orientation, const QByteArray& thumbnail = {})
{
    return withExif(Hostile::encoded(image, "JPEG"), orientation, thumbnail);
}

// What the board's page fill makes of the file, as a picture: no failure reason there.
static Picture boardPicture(const QString& path, int box)
{
    const ThumbnailMaker::ThumbResult r = ThumbnailMaker::make(ThumbnailMaker::describeFile(path, box));
    return { r.image, r.natural, r.image.isNull() ? PictureFailure::InvalidPicture : PictureFailure::None };
}

class TestCameraFormats : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name) const
    {
        return QFileInfo::exists(m_dir.filePath(name)) ? m_dir.filePath(name) : LUMO_TESTDATA "/camera/" + name;
    }
    // The file with `bytes` put in `skip` bytes after the first `marker`.
    QByteArray patched(const QString& from, const QByteArray& marker, int skip, const QByteArray& bytes) const
    {
        QByteArray data = TestFiles::readFile(file(from));
        const qsizetype at = data.indexOf(marker);
        if (at < 0)
            qFatal("no %s in %s", marker.toHex().constData(), qPrintable(from));
        return data.replace(at + marker.size() + skip, bytes.size(), bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writeTurnedHeic(m_dir.filePath("turned.heic"));
        QVERIFY(QImageWriter(m_dir.filePath("made.webp")).write(QImage(file("ExifTool.tif")).scaled(640, 480)));
        // A quarter turn clockwise in IFD0, and in the embedded JPEG's EXIF block, which is where a RAF keeps it.
        const QByteArray upright = QByteArray::fromHex("12010300010000000100");
        TestFiles::writeFile(m_dir.filePath("turned.raf"), patched("FujiFilm.raf", upright, -2, "\x06"));
        TestFiles::writeFile(m_dir.filePath("turned.cr2"), patched("CanonRaw.cr2", upright, -2, "\x06"));
        // Stored 1600 x 1200, shown 1200 x 1600: the reader scales before it turns, so the size asked of it
        // must be given as stored. The stored left half (red) comes to the top.
        const QImage photo = halves(QSize(1600, 1200));
        TestFiles::writeFile(m_dir.filePath("turned.jpg"), exifJpeg(photo, 6));
        // Embedded thumbnails of another scene, one behind a photo cut short (the rest of which decodes grey).
        const QByteArray other = Hostile::encoded(halves(QSize(160, 120), Qt::green, Qt::yellow), "JPEG");
        for (int o : { 1, 6 })
            TestFiles::writeFile(m_dir.filePath(QString("thumbnail%1.jpg").arg(o)), exifJpeg(photo, o, other));
        const QByteArray whole = exifJpeg(photo, 1, other);
        const qsizetype scan = whole.lastIndexOf("\xff\xda");
        TestFiles::writeFile(m_dir.filePath("cut.jpg"), whole.left(scan + (whole.size() - scan) * 2 / 5));
        // 50 MP: as 32-bit pixels 200 MB, over Qt's allocation limit. Grey and coarse, so that making it is cheap.
        QImage big(8660, 5773, QImage::Format_Grayscale8);
        for (int y = 0; y < big.height(); ++y)
            memset(big.scanLine(y), (y / 97) % 2 ? 200 : 40, size_t(big.width()));
        QVERIFY(big.save(m_dir.filePath("50mp.jpg"), "JPEG", 30));
        QVERIFY(QImageReader(m_dir.filePath("50mp.jpg")).read().isNull()); // decoding it whole is refused
        TestFiles::writeFile(m_dir.filePath("text.jpg"), "hello");
        TestFiles::writeFile(m_dir.filePath("empty.jpg"), "");
        QVERIFY(QDir(m_dir.path()).mkdir("folder.jpg"));
        QImageWriter tiff(m_dir.filePath("turned.tif"));
        tiff.setTransformation(QImageIOHandler::TransformationRotate270); // stored 64 x 48, red on the right
        QVERIFY(tiff.write(halves(QSize(64, 48), Qt::blue, Qt::red)));
        QImage corners(40, 24, QImage::Format_RGB32); // one colour to each quarter: every turn and mirror differs
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 40; ++x)
                corners.setPixel(x, y, qRgb(x < 20 ? 255 : 0, y < 12 ? 255 : 0, 128));
        for (int o = 1; o <= 8; ++o)
            TestFiles::writeFile(m_dir.filePath(QString("exif%1.jpg").arg(o)), exifJpeg(corners, o));

        // Cut short, or with a header that claims more pixels than any reader may decode.
        const QByteArray heic = TestFiles::readFile(file("IMG_5195.HEIC")),
                         raf = TestFiles::readFile(file("FujiFilm.raf"));
        TestFiles::writeFile(m_dir.filePath("cut.heic"), heic.left(heic.size() / 3));
        TestFiles::writeFile(m_dir.filePath("huge.heic"), patched("turned.heic", "ispe", 4, QByteArray(8, '\x7f')));
        TestFiles::writeFile(m_dir.filePath("cut.raf"), raf.left(600)); // before its preview
        TestFiles::writeFile(m_dir.filePath("cut.rw2"), TestFiles::readFile(file("Panasonic.rw2")).left(600));
        // 16383 x 16383, the largest a lossy frame can say, on a canvas of 20000 x 20000 where there is one:
        // over the 256 MP every reader keeps to.
        const QByteArray webp = TestFiles::readFile(file("made.webp"));
        QByteArray hugeWebp = patched("made.webp", "\x9d\x01\x2a", 0, "\xff\x3f\xff\x3f");
        if (const qsizetype canvas = hugeWebp.indexOf("VP8X"); canvas > 0)
            hugeWebp.replace(canvas + 12, 6, QByteArray("\x1f\x4e\x00\x1f\x4e\x00", 6));
        TestFiles::writeFile(m_dir.filePath("huge.webp"), hugeWebp);
        TestFiles::writeFile(m_dir.filePath("cut.webp"), webp.left(webp.size() / 2));
        QVERIFY(Hostile::plain(QSize(640, 480), Qt::darkCyan).save(m_dir.filePath("made.tif"), "TIFF"));
        const QByteArray tif = TestFiles::readFile(file("made.tif"));
        TestFiles::writeFile(m_dir.filePath("cut.tif"), tif.left(tif.size() / 2));
        // ImageWidth and ImageLength of 65535 each: 4.3 G pixels.
        QByteArray lying = tif;
        for (const char* tag : { "\x00\x01", "\x01\x01" }) { // as SHORT or LONG, little-endian
            qsizetype at = lying.indexOf(QByteArray(tag, 2) + QByteArray("\x03\x00\x01\x00\x00\x00", 6));
            if (at < 0)
                at = lying.indexOf(QByteArray(tag, 2) + QByteArray("\x04\x00\x01\x00\x00\x00", 6));
            QCOMPARE_GT(at, 0);
            lying.replace(at + 8, 2, QByteArray("\xff\xff", 2));
        }
        TestFiles::writeFile(m_dir.filePath("huge.tif"), lying);
    }

    void pictures_data()
    {
        QTest::addColumn<Reader>("reader");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("box"); // invalid: the whole picture
        QTest::addColumn<QSize>("size"); // invalid: no image
        QTest::addColumn<QSize>("natural");
        QTest::addColumn<PictureFailure>("failure");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QRgb>("top"); // the colour a quarter in from the top left; 0: not checked
        const auto invalid = PictureFailure::InvalidPicture, other = PictureFailure::Other, ok = PictureFailure::None;
        const QSize whole, none, box(128, 128), iPhone(2566, 3313), turned(48, 64), raf(160, 120);
        const QRgb red = qRgb(255, 0, 0);
        auto row = [](const char* tag, Reader reader, const QString& name, QSize box, QSize size, QSize natural,
                       PictureFailure failure = PictureFailure::None, qint64 maxPixels = 0, QRgb top = 0) {
            QTest::newRow(tag) << reader << name << box << size << natural << failure << maxPixels << top;
        };
        row("iPhone HEIC, upright portrait", Reader::HeifViewer, "IMG_5195.HEIC", whole, iPhone, iPhone);
        row("iPhone HEIC without thumbnail", Reader::HeifBoard, "IMG_5195.HEIC", box, QSize(100, 128), iPhone);
        row("HEIC over the budget", Reader::HeifViewer, "IMG_5195.HEIC", whole, none, none, invalid, 8'000'000);
        row("small HEIF", Reader::HeifViewer, "samplefilehub.heif", box, QSize(128, 86), QSize(640, 426));
        row("turned HEIC", Reader::HeifViewer, "turned.heic", whole, turned, turned, ok, 0, red);
        row("HEIC thumbnail large enough", Reader::HeifBoard, "turned.heic", QSize(20, 20), QSize(15, 20), turned, ok,
            1000, qRgb(0, 255, 0));
        row("HEIC thumbnail too small", Reader::HeifBoard, "turned.heic", QSize(40, 40), QSize(30, 40), turned, ok, 0,
            red);
        row("HEIC decode over the budget", Reader::HeifBoard, "turned.heic", QSize(40, 40), none, none, invalid, 1000);
        row("HEIF FIFO", Reader::HeifViewer, "fifo.heic", whole, none, none, other);
        row("HEIF missing", Reader::HeifBoard, "gone.heic", box, none, none, PictureFailure::PathNotFound);
        row("RAF preview", Reader::Raw, "FujiFilm.raf", whole, raf, raf);
        row("RAF preview reduced", Reader::Raw, "FujiFilm.raf", box, QSize(128, 96), raf);
        row("RAF turned", Reader::Raw, "turned.raf", whole, raf.transposed(), raf.transposed());
        row("RAF preview over the budget", Reader::Raw, "FujiFilm.raf", whole, none, none, invalid, 1000);
        row("RW2 preview", Reader::Raw, "Panasonic.rw2", box, QSize(8, 8), QSize(8, 8));
        for (const char* name : { "Nikon.nef", "CanonRaw.cr2", "CanonRaw.cr3", "DNG.dng", "XMP.xmp" })
            row(name, Reader::Raw, name, box, none, none, invalid);
        row("RAW FIFO", Reader::Raw, "fifo.raf", box, none, none, other);
        row("TIFF", Reader::Qt, "ExifTool.tif", QSize(64, 64), QSize(64, 48), raf);
        row("WebP", Reader::Qt, "made.webp", box, QSize(128, 96), QSize(640, 480));
        row("turned JPEG", Reader::Qt, "turned.jpg", QSize(300, 300), QSize(225, 300), QSize(1200, 1600), ok, 0, red);
        row("turned TIFF", Reader::Board, "turned.tif", box, turned, turned, ok, 0, red);
        row("turned JPEG, wide box", Reader::Qt, "turned.jpg", QSize(800, 700), QSize(525, 700), QSize(1200, 1600));
        row("50 MP JPEG reduced", Reader::Qt, "50mp.jpg", QSize(1280, 960), QSize(1280, 854), QSize(8660, 5773));
        // Each kind of failure is told apart, so that the board and viewer can say which.
        row("missing", Reader::Qt, "gone.jpg", box, none, none, PictureFailure::PathNotFound);
        row("not a picture", Reader::Qt, "text.jpg", box, none, none, invalid);
        row("empty file", Reader::Qt, "empty.jpg", box, none, none, invalid);
        row("a folder", Reader::Qt, "folder.jpg", box, none, none, other);

        // The board and the viewer route by content: RAW-only files show their preview, HEIC upright.
        row("board: RAF", Reader::Board, "FujiFilm.raf", box, QSize(128, 96), raf);
        row("board: RW2", Reader::Board, "Panasonic.rw2", box, QSize(8, 8), QSize(8, 8));
        row("board: RAW without preview", Reader::Board, "Nikon.nef", box, none, none, invalid);
        row("board: turned HEIC", Reader::Board, "turned.heic", QSize(40, 40), QSize(30, 40), turned, ok, 0, red);
        row("board: iPhone HEIC", Reader::Board, "IMG_5195.HEIC", box, QSize(100, 128), iPhone);
        row("board: TIFF", Reader::Board, "made.tif", box, QSize(128, 96), QSize(640, 480));
        row("board: WebP", Reader::Board, "made.webp", box, QSize(128, 96), QSize(640, 480));
        row("board: 50 MP JPEG", Reader::Board, "50mp.jpg", box, QSize(128, 86), QSize(8660, 5773));
        // The file itself, never the thumbnail a camera or an editor embedded: it may show another scene.
        row("board: JPEG with a thumbnail", Reader::Board, "thumbnail1.jpg", box, QSize(128, 96), QSize(1600, 1200), ok,
            0, red);
        row("board: turned JPEG with a thumbnail", Reader::Board, "thumbnail6.jpg", box, QSize(96, 128),
            QSize(1200, 1600), ok, 0, red);
        row("board: JPEG cut short", Reader::Board, "cut.jpg", box, QSize(128, 96), QSize(1600, 1200), ok, 0, red);
        row("viewer: turned HEIC", Reader::Viewer, "turned.heic", whole, turned, turned, ok, 0, red);
        row("viewer: RAF", Reader::Viewer, "turned.raf", whole, raf.transposed(), raf.transposed());
        row("viewer: RAW without preview", Reader::Viewer, "DNG.dng", whole, none, none, invalid);
        for (const char* name :
            { "cut.heic", "huge.heic", "cut.raf", "cut.rw2", "huge.webp", "cut.webp", "cut.tif", "huge.tif" }) {
            row(qPrintable(QString("board: %1").arg(name)), Reader::Board, name, box, none, none, invalid);
            row(qPrintable(QString("viewer: %1").arg(name)), Reader::Viewer, name, whole, none, none, invalid);
        }
    }
    // The orientation every format's EXIF block gives, and Upright for whatever cannot be read.
    void orientation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Orientation>("orientation");
        const auto upright = Orientation::Upright, right = Orientation::TurnedRight;
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("exif%d.jpg", o) << QString("exif%1.jpg").arg(o) << Orientation(o);
        for (const auto& [name, orientation] :
            std::initializer_list<std::pair<const char*, Orientation>> { { "turned.jpg", right },
                { "turned.tif", Orientation::TurnedLeft }, { "ExifTool.tif", upright }, { "turned.cr2", right },
                { "turned.raf", right }, { "Panasonic.rw2", upright }, { "IMG_5195.HEIC", upright },
                { "samplefilehub.heif", upright }, { "CanonRaw.cr3", upright }, { "cut.heic", upright },
                { "cut.raf", upright }, { "cut.tif", upright }, { "huge.tif", upright }, { "text.jpg", upright },
                { "empty.jpg", upright }, { "gone.jpg", upright }, { "folder.jpg", upright }, { "fifo.jpg", upright } })
            QTest::newRow(name) << QString(name) << orientation;
    }
    void orientation()
    {
        QFETCH(QString, name);
        QFETCH(Orientation, orientation);
        if (!PictureOrientation::isAvailable())
            QSKIP("built without exiv2");
        const auto fifo
            = name.startsWith("fifo") ? std::make_unique<TestFiles::FifoGuard>(m_dir.filePath(name)) : nullptr;
        QCOMPARE(PictureOrientation::read(file(name)), orientation);
        QVERIFY(!fifo || !fifo->rescued());
        if (name.startsWith("exif")) { // turned as Qt's own reader turns it
            QImageReader qt(file(name));
            qt.setAutoTransform(true);
            QCOMPARE(loadPicture(file(name)).image, qt.read());
        }
    }

    void pictures()
    {
        QFETCH(Reader, reader);
        QFETCH(QString, name);
        QFETCH(QSize, box);
        QFETCH(qint64, maxPixels);
        QFETCH(QRgb, top);
        if (!(RawPreview::isAvailable() && HeifImage::isAvailable()))
            QSKIP("built without the camera libraries");
        const auto fifo
            = name.startsWith("fifo") ? std::make_unique<TestFiles::FifoGuard>(m_dir.filePath(name)) : nullptr;
        const QString path = file(name);
        const Picture p = reader == Reader::HeifBoard ? HeifImage::thumbnail(path, box, maxPixels)
            : reader == Reader::HeifViewer            ? HeifImage::decode(path, box, maxPixels)
            : reader == Reader::Raw                   ? RawPreview::load(path, box, maxPixels)
            : reader == Reader::Board                 ? boardPicture(path, box.width())
            : reader == Reader::Viewer
            ? PictureDecoder::decode(path, box, nullptr, maxPixels ? maxPixels : HeaderCheck::MaxPicturePixels)
            : loadPicture(path, box, maxPixels);
        QVERIFY(!fifo || !fifo->rescued());
        QTEST(p.failure, "failure");
        QTEST(p.image.isNull() ? QSize() : p.image.size(), "size");
        if (p.ok() || reader != Reader::Viewer) // a failed decode may still know the size from the header
            QTEST(p.naturalSize, "natural");
        const QRgb got = top ? p.image.pixel(p.image.width() / 4, p.image.height() / 4) : 0; // lossy: near enough
        QVERIFY2(qAbs(qRed(got) - qRed(top)) + qAbs(qGreen(got) - qGreen(top)) + qAbs(qBlue(got) - qBlue(top)) < 96,
            qPrintable(QColor(got).name()));
        if (name == "turned.raf")
            QCOMPARE(p.image, RawPreview::load(file("FujiFilm.raf")).image.transformed(QTransform().rotate(90)));
        // The same size from the header alone.
        if (p.ok() && (reader == Reader::Raw || reader == Reader::HeifBoard || reader == Reader::HeifViewer))
            QCOMPARE(
                reader == Reader::Raw ? RawPreview::naturalSize(path) : HeifImage::naturalSize(path), p.naturalSize);
    }
};

QTEST_GUILESS_MAIN(TestCameraFormats)
#include "tst_cameraformats.moc"
