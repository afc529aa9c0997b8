#include "mpng.h"
#include "mpng_internal.h"

#include <png.h>

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// Anything larger is refused before a pixel buffer is asked for: the caller
// allocates dataSize bytes at once, and it must fit a signed 32-bit size.
enum { MAX_SIDE = 32767 };
#define MAX_PIXELS (1u << 28)

static const png_byte kKeptChunks[] = {'p', 'H', 'Y', 's', '\0'};

typedef struct Decoder {
    FILE* file;            // null when reading from memory
    const uint8_t* data;
    size_t size;
    size_t pos;
    png_structp png;
    png_infop info;
    png_bytepp rows;       // owned here so a longjmp out of libpng cannot leak it
    uint32_t width;
    uint32_t height;
    int used;              // mGetPNGData runs at most once per open
} Decoder;

static void onError(png_structp png, png_const_charp message)
{
    (void)message;
    png_longjmp(png, 1);
}

static void onWarning(png_structp png, png_const_charp message)
{
    (void)png;
    (void)message;
}

// Our own reader instead of png_init_io: a FILE* must not cross into a libpng
// DLL built against another C runtime on Windows.
static void readBytes(png_structp png, png_bytep out, size_t length)
{
    Decoder* dec = (Decoder*)png_get_io_ptr(png);
    if (dec->file) {
        if (fread(out, 1, length, dec->file) != length)
            png_error(png, "unexpected end of file");
        return;
    }
    if (length > dec->size - dec->pos)
        png_error(png, "unexpected end of data");
    memcpy(out, dec->data + dec->pos, length);
    dec->pos += length;
}

static int readSource(Decoder* dec, uint8_t* out, size_t length)
{
    if (dec->file)
        return fread(out, 1, length, dec->file) == length;
    if (length > dec->size - dec->pos)
        return 0;
    memcpy(out, dec->data + dec->pos, length);
    dec->pos += length;
    return 1;
}

static void destroy(Decoder* dec)
{
    if (!dec)
        return;
    if (dec->png)
        png_destroy_read_struct(&dec->png, dec->info ? &dec->info : NULL, NULL);
    free(dec->rows);
    if (dec->file)
        fclose(dec->file);
    free(dec);
}

static void putU16(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)(v & 0xFF);
    p[1] = (uint8_t)((v >> 8) & 0xFF);
}

static void putU32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)(v & 0xFF);
    p[1] = (uint8_t)((v >> 8) & 0xFF);
    p[2] = (uint8_t)((v >> 16) & 0xFF);
    p[3] = (uint8_t)((v >> 24) & 0xFF);
}

static uint32_t pelsPerMeter(png_uint_32 v)
{
    return v > 0x7FFFFFFFu ? 0 : (uint32_t)v;
}

// No local is changed after setjmp and read after a longjmp, and everything
// that outlives the call sits in *dec on the heap, so nothing needs volatile.
static int readHeader(Decoder* dec, uint8_t* bitmapInfo, int32_t* dataSize)
{
    png_structp png = dec->png;
    png_infop info = dec->info;
    if (setjmp(png_jmpbuf(png)))
        return 0;

    png_set_read_fn(png, dec, readBytes);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, MAX_SIDE, MAX_SIDE);
    png_set_chunk_malloc_max(png, 1u << 20);
    png_set_chunk_cache_max(png, 128);
    // A damaged file is refused rather than shown half right.
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    // Only IHDR, PLTE, tRNS, IDAT, IEND and pHYs matter for the pixels;
    // skipping the rest keeps their decompressors (iCCP, zTXt, iTXt) out of
    // reach of hostile files.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, NULL, -1);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kKeptChunks, 1);

    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, NULL, NULL);
    if (width == 0 || height == 0 || width > MAX_SIDE || height > MAX_SIDE)
        return 0;
    if ((uint64_t)width * height > MAX_PIXELS)
        return 0;

    // Whatever the source, deliver 8-bit BGRA.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4
        || png_get_rowbytes(png, info) != (size_t)width * 4)
        return 0;

    dec->width = width;
    dec->height = height;

    uint8_t* h = bitmapInfo;
    memset(h, 0, MPNG_BITMAPINFO_SIZE);
    putU32(h + 0, 40);                                // biSize
    putU32(h + 4, width);                             // biWidth
    putU32(h + 8, (uint32_t)(-(int64_t)height));      // biHeight < 0: top-down
    putU16(h + 12, 1);                                // biPlanes
    putU16(h + 14, 32);                               // biBitCount
    putU32(h + 16, 0);                                // biCompression = BI_RGB
    putU32(h + 20, width * 4u * height);              // biSizeImage
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
        putU32(h + 24, pelsPerMeter(resX));
        putU32(h + 28, pelsPerMeter(resY));
    }
    *dataSize = (int32_t)(width * 4u * height);
    return 1;
}

static int32_t openDecoder(Decoder* dec, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    uint8_t signature[8];
    if (!readSource(dec, signature, sizeof signature) || png_sig_cmp(signature, 0, sizeof signature) != 0) {
        destroy(dec);
        return 0;
    }
    dec->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, dec, onError, onWarning);
    if (dec->png)
        dec->info = png_create_info_struct(dec->png);
    if (!dec->info || !readHeader(dec, bitmapInfo, dataSize)) {
        destroy(dec);
        return 0;
    }
    *handle = dec;
    return 1;
}

static int validOutputs(void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    if (!handle || !bitmapInfo || !dataSize)
        return 0;
    *handle = NULL;
    *dataSize = 0;
    return 1;
}

MPNG_API int32_t mLoadPNG(const char* path, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    if (!validOutputs(handle, bitmapInfo, dataSize) || !path)
        return 0;
    Decoder* dec = (Decoder*)calloc(1, sizeof *dec);
    if (!dec)
        return 0;
    dec->file = fopen(path, "rb");
    if (!dec->file) {
        free(dec);
        return 0;
    }
    return openDecoder(dec, handle, bitmapInfo, dataSize);
}

int32_t mpngLoadMemory(const uint8_t* data, size_t size, void** handle, uint8_t* bitmapInfo,
                       int32_t* dataSize)
{
    if (!validOutputs(handle, bitmapInfo, dataSize) || !data)
        return 0;
    Decoder* dec = (Decoder*)calloc(1, sizeof *dec);
    if (!dec)
        return 0;
    dec->data = data;
    dec->size = size;
    return openDecoder(dec, handle, bitmapInfo, dataSize);
}

static int readPixels(Decoder* dec)
{
    png_structp png = dec->png;
    if (setjmp(png_jmpbuf(png)))
        return 0;
    png_read_image(png, dec->rows);
    // Reading on to IEND catches a stream cut short after the last row.
    png_read_end(png, NULL);
    return 1;
}

MPNG_API int32_t mGetPNGData(void** handle, uint8_t* pixels)
{
    if (!handle || !*handle || !pixels)
        return 0;
    Decoder* dec = (Decoder*)*handle;
    if (dec->used)
        return 0;
    dec->used = 1;
    dec->rows = (png_bytepp)malloc(sizeof(png_bytep) * dec->height);
    if (!dec->rows)
        return 0;
    const size_t stride = (size_t)dec->width * 4;
    for (uint32_t y = 0; y < dec->height; ++y)
        dec->rows[y] = pixels + stride * y;
    return readPixels(dec) ? 1 : 0;
}

MPNG_API void mEndPNG(void** handle)
{
    if (!handle)
        return;
    destroy((Decoder*)*handle);
    *handle = NULL;
}
