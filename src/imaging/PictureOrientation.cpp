#include "imaging/PictureOrientation.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QTransform>
#include <mutex>
#ifdef LUMO_HAVE_EXIV2
#include <exiv2/exiv2.hpp>
#endif

namespace PictureOrientation {

bool isAvailable()
{
#ifdef LUMO_HAVE_EXIV2
    return true;
#else
    return false;
#endif
}

#ifdef LUMO_HAVE_EXIV2
namespace {
    // exiv2 parses a file's XMP packet along with its EXIF block, and the XMP toolkit
    // registers namespaces in a table of its own: one registration at a time.
    std::mutex xmpMutex;
    void lockXmp(void*, bool lock)
    {
        if (lock)
            xmpMutex.lock();
        else
            xmpMutex.unlock();
    }

    // exiv2's own settings, once, whichever worker thread comes first.
    void prepare()
    {
        static std::once_flag once;
        std::call_once(once, [] {
            Exiv2::XmpParser::initialize(lockXmp);
            // A hostile file would otherwise print to stderr on every page.
            Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
#ifdef EXV_ENABLE_BMFF
            Exiv2::enableBMFF(true); // HEIF: compiled in, but off until asked for
#endif
        });
    }
}
#endif

Orientation read([[maybe_unused]] const QString& path)
{
#ifdef LUMO_HAVE_EXIV2
    prepare();
    // Only a regular file, and exiv2 opens the one checked where the system can name it:
    // by the name alone it could meanwhile open a FIFO and wait on it.
    QFile file(path);
    if (!FileOps::openRegularFile(file))
        return Orientation::Upright;
    QString opened = FileOps::openedFilePath(file);
    if (opened.isEmpty())
        opened = path;
    try {
#if defined(_WIN32) && defined(EXV_UNICODE_PATH)
        const auto image = Exiv2::ImageFactory::open(opened.toStdWString(), false); // Japanese names too
#else
        const auto image = Exiv2::ImageFactory::open(QFile::encodeName(opened).toStdString(), false);
#endif
        if (image.get() == nullptr)
            return Orientation::Upright;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto found = Exiv2::orientation(exif);
        if (found == exif.end() || found->count() == 0)
            return Orientation::Upright;
        const long value = found->toLong();
        if (value < int(Orientation::Upright) || value > int(Orientation::TurnedLeft))
            return Orientation::Upright;
        return Orientation(value);
    } catch (const std::exception&) { // Exiv2::Error among them: a broken header
    }
#endif
    return Orientation::Upright;
}

bool swapsSides(Orientation orientation) { return int(orientation) >= int(Orientation::Transposed); }

QImage apply(const QImage& stored, Orientation orientation)
{
    switch (orientation) {
    case Orientation::Upright:
        return stored;
    case Orientation::Mirrored:
        return stored.mirrored(true, false);
    case Orientation::UpsideDown:
        return stored.mirrored(true, true);
    case Orientation::Flipped:
        return stored.mirrored(false, true);
    case Orientation::Transposed:
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case Orientation::TurnedRight:
        return stored.transformed(QTransform().rotate(90));
    case Orientation::Transversed:
        return stored.transformed(QTransform().rotate(-90)).mirrored(true, false);
    case Orientation::TurnedLeft:
        return stored.transformed(QTransform().rotate(-90));
    }
    return stored;
}

}
