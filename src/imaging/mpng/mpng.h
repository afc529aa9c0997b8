// PNG decoder shared by the program and loaded at run time from its folder.
// The caller zeroes the handle, the 1064-byte bitmap information and the size,
// calls mLoadPNG, and after a result of 1 calls mGetPNGData or mGetPNGDataScaled
// at most once and mEndPNG exactly once.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#if defined(MPNG_BUILDING)
#define MPNG_API __declspec(dllexport)
#else
#define MPNG_API __declspec(dllimport)
#endif
#else
#define MPNG_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// A BITMAPINFO: 40-byte BITMAPINFOHEADER and room for 256 RGBQUAD entries.
#define MPNG_BITMAPINFO_SIZE 1064

// Opens the file (only a regular one, never waiting on a FIFO or a device) and
// describes the pixels it will deliver: 32 bits per pixel, BI_RGB, rows top-down
// (negative height) of B, G, R and straight alpha, no colour table. 1 = success;
// anything else = failure, and then the handle is null and nothing stays open.
MPNG_API int32_t mLoadPNG(const char* path, void** handle, uint8_t* bitmapInfo, int32_t* dataSize);

// Writes exactly dataSize bytes of pixels. 1 = success.
MPNG_API int32_t mGetPNGData(void** handle, uint8_t* pixels);

// Instead of mGetPNGData, for a picture shown smaller: writes width * height * 4
// bytes in the same layout, the whole picture reduced to width x height by
// averaging. The file is read one row at a time, so the full-size picture is
// never held. 1 <= width <= the picture's width, likewise the height. 1 = success.
MPNG_API int32_t mGetPNGDataScaled(void** handle, int32_t width, int32_t height, uint8_t* pixels);

// Releases what mLoadPNG opened and nulls the handle; a null handle is ignored.
MPNG_API void mEndPNG(void** handle);

#ifdef __cplusplus
}
#endif
