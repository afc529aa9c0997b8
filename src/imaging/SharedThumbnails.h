#pragma once
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The thumbnail cache desktops share (freedesktop.org): PNG files under
// $XDG_CACHE_HOME/thumbnails/{normal,large,x-large,xx-large}, named by the MD5 of the
// source file's URI and carrying Thumb::URI and Thumb::MTime, so that a file manager's
// thumbnails serve the board and the board's serve the next run. Plain file work,
// safe from any thread.
namespace SharedThumbnails {

// "$XDG_CACHE_HOME/thumbnails" (an absolute XDG_CACHE_HOME only), else
// "~/.cache/thumbnails". Empty on Windows unless XDG_CACHE_HOME is set.
QString defaultRoot();

// file:// URI of an absolute path, escaped as GLib escapes it, so that the names match
// those other programs give.
QByteArray fileUri(const QString& path);
// "<md5 of uri in hex>.png"
QString fileName(const QByteArray& uri);

// The edge of the smallest size class holding a box of `box` pixels: 128, 256, 512 or
// 1024; 0 when the box is larger than any.
int sizeClassFor(int box);
QString sizeClassDir(int edge); // "normal", "large", "x-large", "xx-large"

// The source file a thumbnail stands for, as the cache records it.
struct Source {
    QByteArray uri;
    qint64 mtime = 0; // seconds since the epoch
    qint64 size = -1; // bytes
    QByteArray mimeType; // written only
};
Source describe(const QString& path, qint64 size, qint64 mtimeMs, const QByteArray& mimeType = QByteArray());

// The files the cache holds itself are never thumbnailed.
bool isInside(const QString& root, const QString& path);

// A thumbnail of `source` from the class for `box` or a larger one, checked against
// its URI, modification time and (when recorded) size; null when there is none.
QImage find(const QString& root, const Source& source, int box);

// Writes `thumb` into the class of edge `edge`: a temporary file in the same folder,
// then renamed over the name, mode 0600, folders 0700. `natural` is the source file's size in pixels.
bool store(const QString& root, int edge, const Source& source, const QImage& thumb, QSize natural);

// The application's record that the source file could not be read (fail/<application>/).
QString failureDir(const QString& root);
bool hasFailure(const QString& root, const Source& source);
bool storeFailure(const QString& root, const Source& source);

// PNG bytes of `image` with the given text chunks (tEXt, Latin-1) right after the header.
QByteArray encodePng(const QImage& image, const QList<QPair<QByteArray, QByteArray>>& texts);

}
