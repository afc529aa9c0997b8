#pragma once
// Files for tests: write and read them whole, snapshot a folder tree so that a failed
// operation can be shown to have lost, added and overwritten nothing, and make picture
// files of each format in memory: well-formed ones, and from them cut-short and lying ones.
#include <QImage>
#include <QtTest> // and with it all of QtCore
#include <array>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace TestFiles {

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(data), qint64(data.size()));
}

inline void touch(const QString& path) { writeFile(path, "x"); }

// Made if missing. A later time marks a change whatever the clock's grain.
inline void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadWrite), qPrintable(path));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// A null array when the file cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Distinct bytes of varying length for every name, so that mix-ups show.
inline QByteArray contentOf(const QString& name) { return (name.toUtf8() + '\n').repeated(1 + int(qHash(name) % 200)); }

// Every entry under `root`, hidden ones too, by relative path: a file with its bytes, a folder as "<dir>".
inline QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> entries;
    const QDir base(root);
    QDirIterator it(
        root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(base.relativeFilePath(path), it.fileInfo().isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return entries;
}

// The process's peak resident memory in kB (VmHWM), restarted from the current use by
// restartPeakMemory(); false when the kernel cannot restart it.
inline qint64 peakMemoryKb()
{
    const QByteArray text = readFile("/proc/self/status");
    const qsizetype at = text.indexOf("VmHWM:");
    return at < 0 ? -1 : text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ')[0].toLongLong();
}
inline bool restartPeakMemory()
{
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// Root reads and writes everything: a test of what a user may not touch first turns the
// process into an ordinary user (nobody), for good. False when that cannot be done.
inline bool becomeOrdinaryUser()
{
    if (geteuid() == 0
        && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0
            || geteuid() == 0))
        return false;
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker cannot work with an undumpable process
    return true;
}

// A FIFO that cannot hold a test for good: from `graceMs` on, whatever is blocked opening it for reading is let go by a
// writer that opens and closes it, and rescued() says so, so that the test fails instead of hanging.
class FifoGuard {
public:
    explicit FifoGuard(const QString& path, int graceMs = 2000)
        : m_path(QFile::encodeName(path))
        , m_made(::mkfifo(m_path.constData(), 0600) == 0)
        , m_watch([this, graceMs] {
            for (int waited = 0; !m_done; waited += 50) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                const int fd = waited < graceMs ? -1 : ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    m_rescued = true;
                    ::close(fd);
                }
            }
        })
    {
    }
    ~FifoGuard()
    {
        m_done = true;
        m_watch.join();
    }
    bool made() const { return m_made; }
    bool rescued() const { return m_rescued; }

private:
    const QByteArray m_path;
    const bool m_made;
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_rescued { false };
    std::thread m_watch; // last: it starts once everything it reads is made
};
}

namespace Hostile {

enum class Format { Jpeg, Gif, Bmp, Png };

inline const char* extension(Format f) { return std::array { "jpg", "gif", "bmp", "png" }[size_t(f)]; }

inline QImage plain(QSize size, QColor c, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(size, format);
    img.fill(c);
    return img;
}

inline QByteArray be32(uint32_t v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

// Length, type, data and the CRC of type and data.
inline QByteArray pngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    uint32_t crc = 0xffffffffu;
    for (char ch : typed)
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - ((crc ^ (uint8_t(ch) >> k)) & 1u)));
    return be32(uint32_t(data.size())) + typed + be32(~crc);
}

// GIF89a, 256 greys, 9-bit LZW codes (a clear code every 254 pixels): Qt cannot write GIF.
inline QByteArray gif(QSize size, int seed)
{
    QByteArray out("GIF89a");
    auto u16 = [&](int v) { out.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    u16(size.width()), u16(size.height());
    out.append("\xF7\0\0", 3); // a global colour table of 256 entries
    for (int i = 0; i < 256; ++i)
        out.append(QByteArray(3, char(i)));
    out.append(',');
    u16(0), u16(0), u16(size.width()), u16(size.height());
    out.append("\0\x08", 2); // no local table; LZW minimum code size 8
    QByteArray codes;
    uint32_t acc = 0;
    int bits = 0, run = 0;
    auto put = [&](int code) {
        for (acc |= uint32_t(code) << bits, bits += 9; bits >= 8; acc >>= 8, bits -= 8)
            codes.append(char(acc & 0xff));
    };
    put(256);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x, ++run) {
            if (run == 254)
                put(256), run = 0;
            put((x * 3 + y * 5 + seed * 29) & 0xff);
        }
    put(257);
    if (bits > 0)
        codes.append(char(acc & 0xff));
    for (qsizetype i = 0; i < codes.size(); i += 255)
        out.append(char(qMin<qsizetype>(255, codes.size() - i))).append(codes.mid(i, 255));
    return out.append("\0;", 2);
}

inline QByteArray encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    img.save(&buffer, format);
    return bytes;
}

// Every part of it differs from its neighbours.
inline QByteArray wellFormed(Format f, QSize size = QSize(40, 30), int seed = 0)
{
    if (f == Format::Gif)
        return gif(size, seed);
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(
                x, y, qRgb((x * 7 + seed * 31) & 0xff, (y * 5 + seed * 17) & 0xff, (x + y + seed * 53) & 0xff));
    return encoded(img, f == Format::Jpeg ? "JPEG" : f == Format::Bmp ? "BMP" : "PNG");
}

// The same file with its header claiming another size; the pixel data stays, far too short.
inline QByteArray claimingSize(Format f, QSize claim, int seed = 0)
{
    QByteArray b = wellFormed(f, QSize(40, 30), seed);
    char* d = b.data();
    const auto w = uint16_t(claim.width()), h = uint16_t(claim.height());
    switch (f) {
    case Format::Jpeg: // start of frame: FF C0..C2, length, precision, height, width
        for (qsizetype i = 2; i + 9 < b.size(); ++i)
            if (uint8_t(d[i]) == 0xFF && uint8_t(d[i + 1]) >= 0xC0 && uint8_t(d[i + 1]) <= 0xC2) {
                qToBigEndian(h, d + i + 5), qToBigEndian(w, d + i + 7);
                break;
            }
        break;
    case Format::Gif: // the logical screen and the image descriptor
        for (int at : { 6, 6 + 7 + 768 + 5 })
            qToLittleEndian(w, d + at), qToLittleEndian(h, d + at + 2);
        break;
    case Format::Bmp:
        qToLittleEndian<int32_t>(w, d + 18), qToLittleEndian<int32_t>(h, d + 22);
        break;
    case Format::Png: // IHDR's CRC made right again, so that the size itself is judged
        return b.left(8) + pngChunk("IHDR", be32(w) + be32(h) + b.mid(24, 5)) + b.mid(33);
    }
    return b;
}

inline QByteArray truncated(Format f, int seed = 0)
{
    const QByteArray b = wellFormed(f, QSize(40, 30), seed);
    return b.left(b.size() / 2);
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

inline QByteArray read(const QString& path) { return TestFiles::readFile(path); }

}
