// The files the bench measures on, made from the shoot, and the outside tools it
// compares with.
#include "bench_files.h"
#include "ExifJpeg.h"
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace Bench {

// A folder of `count` shoot files as hard links (the bench moves files about).
QString linkFolder(const QString& dir, const QStringList& shoot, int count, const QString& pattern, bool fresh)
{
    if (fresh)
        QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i) {
        const QString src = shoot[i % shoot.size()];
        const QString name = pattern.arg(i + 1, 7, 10, QLatin1Char('0'));
        const QString dst = QDir(dir).filePath(name);
        if (::link(QFile::encodeName(src).constData(), QFile::encodeName(dst).constData()) != 0)
            QFile::copy(src, dst);
    }
    return dir;
}

// The first 40 shoot files as a camera writes them: with a 160-pixel thumbnail of their own
// in the EXIF block. Made once into `dir`.
QStringList withThumbnails(const QStringList& shoot, const QString& dir)
{
    QDir().mkpath(dir);
    QStringList out;
    for (int i = 0; i < 40 && i < shoot.size(); ++i) {
        const QString path = QDir(dir).filePath(QFileInfo(shoot[i]).fileName());
        out.append(path);
        if (QFileInfo::exists(path))
            continue;
        QFile in(shoot[i]);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray jpeg = in.readAll();
        QImageReader reader(shoot[i]);
        reader.setScaledSize(reader.size().scaled(160, 160, Qt::KeepAspectRatio));
        QByteArray thumb;
        QBuffer buffer(&thumb);
        buffer.open(QIODevice::WriteOnly);
        reader.read().save(&buffer, "JPEG", 80);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(withExif(jpeg, 1, thumb));
    }
    return out;
}

// A PNG bomb: 16384 x 16384 grey pixels, 1 GiB once decoded to 32 bits, about 250 KB on disk.
QString pngBomb(const QString& work)
{
    const QString path = QDir(work).filePath(QStringLiteral("bomb-16384.png"));
    if (!QFileInfo::exists(path)) {
        QImage bomb(16384, 16384, QImage::Format_Grayscale8);
        bomb.fill(0);
        bomb.save(path + QStringLiteral(".tmp"), "PNG", 0);
        QFile::rename(path + QStringLiteral(".tmp"), path);
    }
    return path;
}

// Thirty hostile files of a few hundred bytes each: progressive JPEGs whose frames claim
// 40000 x 40000 (colour) and 45000 x 45000 (grey), and PNGs whose text chunk claims 1 GiB,
// named .png and .jpg.
QString hostilePage(const QString& dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const auto encoded = [](const QImage& img, const char* format) {
        QByteArray b;
        QBuffer buffer(&b);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, format);
        return b;
    };
    const auto progressive = [&](int edge, bool grey) {
        QImage img(40, 30, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        img.fill(Qt::gray);
        QByteArray b = encoded(img, "JPEG");
        const qsizetype sof = b.indexOf("\xFF\xC0");
        b[sof + 1] = char(0xC2);
        for (int at : { 5, 7 }) {
            b[sof + at] = char(edge >> 8);
            b[sof + at + 1] = char(edge & 0xFF);
        }
        return b;
    };
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::gray);
    QByteArray textBomb = encoded(small, "PNG");
    textBomb.insert(8 + 25, QByteArray("\x40\x00\x00\x00tEXtKey\0", 12));
    const QByteArray colour = progressive(40000, false), grey = progressive(45000, true);
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile f(QDir(dir).filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    };
    for (int i = 0; i < 10; ++i) {
        put(QStringLiteral("H%1a.jpg").arg(i), colour);
        put(QStringLiteral("H%1b.jpg").arg(i), grey);
        put(QStringLiteral("H%1c.%2").arg(i).arg(i % 2 ? QStringLiteral("png") : QStringLiteral("jpg")), textBomb);
    }
    return dir;
}

double vipsThumbnail(const QString& vips, const QStringList& files, const QString& outDir)
{
    QDir(outDir).removeRecursively();
    QDir().mkpath(outDir);
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(vips,
        QStringList {
            QStringLiteral("-s"), QStringLiteral("128"), QStringLiteral("-o"), outDir + QStringLiteral("/%s.jpg") }
            + files);
    if (!p.waitForFinished(10 * 60 * 1000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "vipsthumbnail failed (%d): %s\n", p.exitCode(), p.readAllStandardError().constData());
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

// The desktop's own thumbnailer at 64 pixels, two files at a time, as a file manager runs it.
double desktopThumbnailer(const QStringList& files, const QString& outDir)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gdk-pixbuf-thumbnailer"));
    if (tool.isEmpty())
        return -1;
    QDir(outDir).removeRecursively();
    QDir().mkpath(outDir);
    QElapsedTimer t;
    t.start();
    for (qsizetype i = 0; i < files.size(); i += 2) {
        QList<QProcess*> pair;
        for (qsizetype j = i; j < std::min(files.size(), i + 2); ++j) {
            auto* p = new QProcess;
            p->start(tool,
                { QStringLiteral("-s"), QStringLiteral("64"), files[j],
                    QDir(outDir).filePath(QString::number(j) + QStringLiteral(".png")) });
            pair.append(p);
        }
        for (QProcess* p : pair) {
            p->waitForFinished(60 * 1000);
            delete p;
        }
    }
    return double(t.nsecsElapsed()) / 1e6;
}

}
