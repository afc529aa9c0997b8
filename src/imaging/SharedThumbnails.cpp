#include "imaging/SharedThumbnails.h"
#include "imaging/HeaderCheck.h"
#include "platform/DurableFile.h"
#include "platform/FileOps.h"
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <array>
#include <cmath>
#include <cstdio>

#ifndef LUMO_VERSION
#define LUMO_VERSION "0"
#endif

namespace SharedThumbnails {

namespace {

    constexpr int kEdges[] = { 128, 256, 512, 1024 };

    uint32_t crc32(const QByteArray& bytes)
    {
        static const std::array<uint32_t, 256> table = [] {
            std::array<uint32_t, 256> t {};
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k)
                    c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
                t[n] = c;
            }
            return t;
        }();
        uint32_t c = 0xffffffffu;
        for (const char ch : bytes)
            c = table[(c ^ uchar(ch)) & 0xff] ^ (c >> 8);
        return c ^ 0xffffffffu;
    }

    void appendU32(QByteArray& out, uint32_t v)
    {
        out.append(char(v >> 24));
        out.append(char(v >> 16));
        out.append(char(v >> 8));
        out.append(char(v));
    }

    QByteArray chunk(const QByteArray& type, const QByteArray& data)
    {
        QByteArray out;
        appendU32(out, uint32_t(data.size()));
        const QByteArray body = type + data;
        out.append(body);
        appendU32(out, crc32(body));
        return out;
    }

    // The folder and every missing parent, each made 0700 as the cache wants them.
    bool makePrivateDir(const QString& path)
    {
        const QFileInfo fi(path);
        if (fi.isDir())
            return true;
        if (fi.exists())
            return false;
        const QString parent = fi.absolutePath();
        if (parent != fi.absoluteFilePath() && !makePrivateDir(parent))
            return false;
        return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(path).isDir();
    }

    // Whole seconds, also from a writer that records fractions.
    bool sameSeconds(const QString& text, qint64 seconds)
    {
        bool ok = false;
        const qint64 whole = text.toLongLong(&ok);
        if (ok)
            return whole == seconds;
        const double d = text.toDouble(&ok);
        return ok && std::isfinite(d) && qint64(std::floor(d)) == seconds;
    }

    bool matches(const QImage& image, const Source& source)
    {
        if (image.isNull() || image.text(QStringLiteral("Thumb::URI")).toUtf8() != source.uri)
            return false;
        if (!sameSeconds(image.text(QStringLiteral("Thumb::MTime")), source.mtime))
            return false;
        const QString size = image.text(QStringLiteral("Thumb::Size"));
        return size.isEmpty() || size.toLongLong() == source.size;
    }

    QImage readThumbnail(const QString& path)
    {
        // Something else planted under a thumbnail's name (a FIFO) must not hold a worker for good.
        QFile file(path);
        if (!FileOps::openRegularFile(file))
            return {};
        // Anything could be planted here: its chunks are checked before Qt's reader
        // allocates for them. The classes hold at most 1024 pixels a side; anything
        // larger is not a thumbnail.
        if (!HeaderCheck::pngChunksFit(&file, HeaderCheck::MaxPngChunk))
            return {};
        QImageReader reader(&file, "png");
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > 1024 || size.height() > 1024)
            return {};
        return reader.read();
    }

    // Through a private temporary file in the same folder, renamed over the old one, so a
    // reader never sees half of it.
    bool replaceFile(const QString& target, const QByteArray& bytes)
    {
        return DurableFile::write(target, bytes, DurableFile::Content::Cache).ok();
    }

}

QString defaultRoot()
{
    const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg + QStringLiteral("/thumbnails"));
#ifdef Q_OS_WIN
    return QString();
#else
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.cache/thumbnails"));
#endif
}

QByteArray fileUri(const QString& path)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
#ifdef Q_OS_WIN
    QByteArray bytes = abs.toUtf8();
    if (!bytes.startsWith('/'))
        bytes.prepend('/'); // file:///C:/...
#else
    const QByteArray bytes = QFile::encodeName(abs);
#endif
    // GLib keeps the unreserved characters and !$&'()*+,/:=@ of a path; everything else is escaped.
    static const QByteArray kept("-._~!$&'()*+,/:=@");
    QByteArray uri("file://");
    uri.reserve(bytes.size() + 16);
    for (const char c : bytes) {
        const uchar u = uchar(c);
        const bool alnum = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (alnum || (u < 0x80 && kept.contains(c))) {
            uri.append(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            uri.append('%');
            uri.append(hex[u >> 4]);
            uri.append(hex[u & 0xf]);
        }
    }
    return uri;
}

QString fileName(const QByteArray& uri)
{
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) + QStringLiteral(".png");
}

int sizeClassFor(int box)
{
    for (const int edge : kEdges)
        if (box <= edge)
            return edge;
    return 0;
}

QString sizeClassDir(int edge)
{
    switch (edge) {
    case 128:
        return QStringLiteral("normal");
    case 256:
        return QStringLiteral("large");
    case 512:
        return QStringLiteral("x-large");
    case 1024:
        return QStringLiteral("xx-large");
    default:
        return QString();
    }
}

Source describe(const QString& path, qint64 size, qint64 mtimeMs, const QByteArray& mimeType)
{
    Source o;
    o.uri = fileUri(path);
    o.mtime = mtimeMs >= 0 ? mtimeMs / 1000 : -((-mtimeMs + 999) / 1000);
    o.size = size;
    o.mimeType = mimeType;
    return o;
}

bool isInside(const QString& root, const QString& path)
{
    if (root.isEmpty())
        return false;
    const QString r = QDir::cleanPath(root) + QLatin1Char('/');
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).startsWith(r);
}

QImage find(const QString& root, const Source& source, int box)
{
    if (root.isEmpty())
        return {};
    const QString name = fileName(source.uri);
    for (const int edge : kEdges) {
        if (edge < box)
            continue;
        const QString path = root + QLatin1Char('/') + sizeClassDir(edge) + QLatin1Char('/') + name;
        if (!QFileInfo::exists(path))
            continue;
        QImage image = readThumbnail(path);
        if (matches(image, source))
            return image;
    }
    return {};
}

QByteArray encodePng(const QImage& image, const QList<QPair<QByteArray, QByteArray>>& texts)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Qt maps quality 80 to zlib level 1: a quarter of the default's time for 10% more bytes.
    writer.setQuality(80);
    if (!writer.write(image))
        return {};
    // Signature (8) and the header chunk (25): the text goes right after them.
    constexpr int kAfterHeader = 8 + 25;
    if (png.size() < kAfterHeader || png.mid(12, 4) != "IHDR")
        return {};
    QByteArray text;
    for (const auto& [key, value] : texts)
        text.append(chunk("tEXt", key + '\0' + value));
    png.insert(kAfterHeader, text);
    return png;
}

bool store(const QString& root, int edge, const Source& source, const QImage& thumb, QSize natural)
{
    const QString dirName = sizeClassDir(edge);
    if (root.isEmpty() || dirName.isEmpty() || thumb.isNull())
        return false;
    QList<QPair<QByteArray, QByteArray>> texts {
        { "Thumb::URI", source.uri },
        { "Thumb::MTime", QByteArray::number(source.mtime) },
        { "Thumb::Size", QByteArray::number(source.size) },
        { "Software", "pirapo-lumo " LUMO_VERSION },
    };
    if (!source.mimeType.isEmpty())
        texts.append({ "Thumb::Mimetype", source.mimeType });
    if (natural.isValid()) {
        texts.append({ "Thumb::Image::Width", QByteArray::number(natural.width()) });
        texts.append({ "Thumb::Image::Height", QByteArray::number(natural.height()) });
    }
    const QByteArray png = encodePng(thumb, texts);
    const QString dir = root + QLatin1Char('/') + dirName;
    if (png.isEmpty() || !makePrivateDir(dir))
        return false;
    return replaceFile(dir + QLatin1Char('/') + fileName(source.uri), png);
}

QString failureDir(const QString& root) { return root + QStringLiteral("/fail/pirapo-lumo-" LUMO_VERSION); }

bool hasFailure(const QString& root, const Source& source)
{
    if (root.isEmpty())
        return false;
    const QString path = failureDir(root) + QLatin1Char('/') + fileName(source.uri);
    return QFileInfo::exists(path) && matches(readThumbnail(path), source);
}

bool storeFailure(const QString& root, const Source& source)
{
    if (root.isEmpty())
        return false;
    // The standard's failure record: a 1 x 1 picture carrying the source file's URI and time.
    QImage dot(1, 1, QImage::Format_ARGB32);
    dot.fill(Qt::transparent);
    const QByteArray png = encodePng(dot,
        { { "Thumb::URI", source.uri }, { "Thumb::MTime", QByteArray::number(source.mtime) },
            { "Software", "pirapo-lumo " LUMO_VERSION } });
    const QString dir = failureDir(root);
    if (png.isEmpty() || !makePrivateDir(dir))
        return false;
    return replaceFile(dir + QLatin1Char('/') + fileName(source.uri), png);
}

}
