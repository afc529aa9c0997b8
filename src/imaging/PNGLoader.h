#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

class QLibrary;

// Drives the mpng decoder library, loaded at run time from the program's folder.
// A missing library or function only costs the PNG pictures.
class PNGLoader {
public:
    explicit PNGLoader(const QString& libraryFolder);
    ~PNGLoader();
    PNGLoader(const PNGLoader&) = delete;
    PNGLoader& operator=(const PNGLoader&) = delete;

    bool isAvailable() const;

    // An empty image on any failure; never throws, never shows anything.
    QImage LoadPNG(const QString& path) const;

private:
    using LoadFn = int32_t (*)(const char*, void**, uint8_t*, int32_t*);
    using GetDataFn = int32_t (*)(void**, uint8_t*);
    using EndFn = void (*)(void**);

    std::unique_ptr<QLibrary> m_library;
    LoadFn m_load = nullptr;
    GetDataFn m_getData = nullptr;
    EndFn m_end = nullptr;
};

// A device-independent bitmap (BITMAPINFO of up to 1064 bytes, BI_RGB rows of
// 1, 4, 8, 24 or 32 bits padded to 4 bytes, bottom-up unless the height is
// negative) turned into an image. Anything that does not fit in dataSize bytes
// gives an empty image. 32-bit pixels keep their fourth byte as straight alpha.
QImage PictureFromDIB(const uint8_t* pixels, qint64 dataSize, const uint8_t* bitmapInfo);

// The image is already the picture type the controls take.
inline QImage PictureFromBitmap(QImage bitmap)
{
    return bitmap;
}
