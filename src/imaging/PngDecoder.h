#pragma once

#include "imaging/PictureLoader.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

class QLibrary;

// Drives the mpng decoder library, loaded at run time from the program's folder.
// A missing library or function only costs the PNG pictures. Which files come here
// is PictureDecoder's one rule.
class PngDecoder {
public:
    explicit PngDecoder(const QString& libraryFolder);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    bool isAvailable() const;

    // An empty image on any failure; never throws, never shows anything.
    QImage decode(const QString& path) const;

    // The picture reduced to fit `fitInto` (never enlarged), read row by row when it is
    // larger, so that the whole picture is never held; the natural size comes from the
    // header. A picture of more than `maxPixels` (0: no limit) is refused as invalid
    // before a row is read. A file that cannot be decoded gives no failure but an empty
    // image, as decode() does.
    Picture decodeReduced(const QString& path, QSize fitInto, qint64 maxPixels = 0) const;

private:
    using LoadFn = int32_t (*)(const char*, void**, uint8_t*, int32_t*);
    using GetDataFn = int32_t (*)(void**, uint8_t*);
    using GetScaledFn = int32_t (*)(void**, int32_t, int32_t, uint8_t*);
    using EndFn = void (*)(void**);

    // Opens `path` through the library; false (and nothing open) when it cannot.
    bool open(const QString& path, void** handle, uint8_t* info, int32_t* dataSize) const;
    // The whole picture of an open handle, which it ends.
    QImage readWhole(void** handle, const uint8_t* info, int32_t dataSize) const;

    std::unique_ptr<QLibrary> m_library;
    LoadFn m_load = nullptr;
    GetDataFn m_getData = nullptr;
    GetScaledFn m_getScaled = nullptr; // optional: without it a reduced picture is read whole
    EndFn m_end = nullptr;
};

// A device-independent bitmap (BITMAPINFO of up to 1064 bytes, BI_RGB rows of
// 1, 4, 8, 24 or 32 bits padded to 4 bytes, bottom-up unless the height is
// negative) turned into an image. Anything that does not fit in dataSize bytes
// gives an empty image. 32-bit pixels keep their fourth byte as straight alpha.
QImage imageFromDib(const uint8_t* pixels, qint64 dataSize, const uint8_t* bitmapInfo);
