#pragma once
#include <QString>
#include <QStringList>

namespace Bench {

// A folder of `count` shoot files as hard links (the bench moves files about).
QString linkFolder(const QString& dir, const QStringList& shoot, int count,
    const QString& pattern = QStringLiteral("P%1.jpg"), bool fresh = true);
// The first 40 shoot files as a camera writes them: with a 160-pixel thumbnail of their own
// in the EXIF block. Made once into `dir`.
QStringList withThumbnails(const QStringList& shoot, const QString& dir);
// A PNG bomb: 16384 x 16384 grey pixels, 1 GiB once decoded to 32 bits, about 250 KB on disk.
QString pngBomb(const QString& work);
// Thirty hostile files of a few hundred bytes each, made anew in `dir`.
QString hostilePage(const QString& dir);
// vipsthumbnail at 128 pixels on `files`, in milliseconds; -1 when it fails.
double vipsThumbnail(const QString& vips, const QStringList& files, const QString& outDir);
// The desktop's own thumbnailer at 64 pixels, two files at a time, as a file manager runs it;
// -1 without it.
double desktopThumbnailer(const QStringList& files, const QString& outDir);

}
