#if !defined(_WIN32)
#define _POSIX_C_SOURCE 200809L // fdopen, O_CLOEXEC
#endif

#include "mpng.h"
#include "mpng_internal.h"

#include <png.h>

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

// Anything larger is refused before a pixel buffer is asked for: the caller
// allocates dataSize bytes at once, and it must fit a signed 32-bit size.
enum { MAX_SIDE = 32767 };
#define MAX_PIXELS (1u << 28)

static const png_byte kKeptChunks[] = { 'p', 'H', 'Y', 's', '\0' };

typedef struct Decoder {
    FILE* file; // null when reading from memory
    const uint8_t* data;
    size_t size;
    size_t pos;
    png_structp png;
    png_infop info;
    png_bytepp rows; // owned here so a longjmp out of libpng cannot leak it
    png_bytep row; // the scaled read's one row, and its sums (also owned here)
    uint32_t* sums;
    uint32_t* column; // output column of each input column
    uint32_t width;
    uint32_t height;
    int used; // mGetPNGData runs at most once per open
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
    free(dec->row);
    free(dec->sums);
    free(dec->column);
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

static uint32_t pelsPerMeter(png_uint_32 v) { return v > 0x7FFFFFFFu ? 0 : (uint32_t)v; }

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
    putU32(h + 0, 40); // biSize
    putU32(h + 4, width); // biWidth
    putU32(h + 8, (uint32_t)(-(int64_t)height)); // biHeight < 0: top-down
    putU16(h + 12, 1); // biPlanes
    putU16(h + 14, 32); // biBitCount
    putU32(h + 16, 0); // biCompression = BI_RGB
    putU32(h + 20, width * 4u * height); // biSizeImage
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

// Only a regular file: opening a FIFO waits for a writer, and reading a device
// may never end. The type is checked on the open descriptor, so a file swapped
// after a check by name cannot slip by.
static FILE* openRegularFile(const char* path)
{
#if defined(_WIN32)
    FILE* file = fopen(path, "rb");
    struct _stat64 st;
    if (file && (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG)) {
        fclose(file);
        file = NULL;
    }
    return file;
#else
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return NULL;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return NULL;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "rb");
    if (!file)
        close(fd);
    return file;
#endif
}

MPNG_API int32_t mLoadPNG(const char* path, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    if (!validOutputs(handle, bitmapInfo, dataSize) || !path)
        return 0;
    Decoder* dec = (Decoder*)calloc(1, sizeof *dec);
    if (!dec)
        return 0;
    dec->file = openRegularFile(path);
    if (!dec->file) {
        free(dec);
        return 0;
    }
    return openDecoder(dec, handle, bitmapInfo, dataSize);
}

int32_t mpngLoadMemory(const uint8_t* data, size_t size, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
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

// The sums of one output row (or of all, for an interlaced file) turned into
// pixels. Each sum holds (colour * alpha) >> shift and (alpha * 255) >> shift of
// the input pixels that fall on it, premultiplied so that transparent pixels
// lend no colour.
static void finishRows(const Decoder* dec, const uint32_t* sums, uint32_t firstRow, uint32_t rowCount,
    uint32_t outWidth, uint32_t outHeight, int shift, uint8_t* pixels)
{
    for (uint32_t r = 0; r < rowCount; ++r) {
        const uint32_t y = firstRow + r;
        // Input rows that fall on output row y: those from ceil(y * H / h) up to ceil((y + 1) * H / h).
        const uint64_t rows = ((uint64_t)(y + 1) * dec->height + outHeight - 1) / outHeight
            - ((uint64_t)y * dec->height + outHeight - 1) / outHeight;
        for (uint32_t x = 0; x < outWidth; ++x) {
            const uint64_t cols = ((uint64_t)(x + 1) * dec->width + outWidth - 1) / outWidth
                - ((uint64_t)x * dec->width + outWidth - 1) / outWidth;
            const uint32_t* s = sums + ((size_t)r * outWidth + x) * 4;
            uint8_t* out = pixels + ((size_t)y * outWidth + x) * 4;
            const uint64_t alphaSum = s[3];
            if (alphaSum == 0) {
                memset(out, 0, 4);
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const uint64_t v = ((uint64_t)s[c] * 255 + alphaSum / 2) / alphaSum;
                out[c] = (uint8_t)(v > 255 ? 255 : v);
            }
            const uint64_t n = rows * cols * 255;
            const uint64_t a = ((alphaSum << shift) + n / 2) / n;
            out[3] = (uint8_t)(a > 255 ? 255 : a);
        }
    }
}

// Every row of every pass, each pixel added to the sums of the output pixel it falls on.
static void addRows(Decoder* dec, int interlaced, uint32_t outWidth, uint32_t outHeight, int shift, uint8_t* pixels)
{
    const int passes = interlaced ? PNG_INTERLACE_ADAM7_PASSES : 1;
    for (int pass = 0; pass < passes; ++pass) {
        uint32_t held = 0; // the output row whose sums are held, without interlacing
        for (uint32_t y = 0; y < dec->height; ++y) {
            png_read_row(dec->png, dec->row, NULL);
            // A pass delivers only its own rows and, in them, its own columns.
            if (interlaced && !PNG_ROW_IN_INTERLACE_PASS(y, pass))
                continue;
            const uint32_t outY = (uint32_t)((uint64_t)y * outHeight / dec->height);
            if (!interlaced && outY != held) {
                finishRows(dec, dec->sums, held, 1, outWidth, outHeight, shift, pixels);
                memset(dec->sums, 0, sizeof(uint32_t) * 4 * outWidth);
                held = outY;
            }
            uint32_t* sums = dec->sums + (size_t)(interlaced ? outY : 0) * outWidth * 4;
            const png_byte* p = dec->row;
            for (uint32_t x = 0; x < dec->width; ++x, p += 4) {
                if (interlaced && !PNG_COL_IN_INTERLACE_PASS(x, pass))
                    continue;
                uint32_t* s = sums + (size_t)dec->column[x] * 4;
                const uint32_t a = p[3];
                s[0] += (p[0] * a) >> shift;
                s[1] += (p[1] * a) >> shift;
                s[2] += (p[2] * a) >> shift;
                s[3] += (a * 255u) >> shift;
            }
        }
        if (!interlaced)
            finishRows(dec, dec->sums, held, 1, outWidth, outHeight, shift, pixels);
    }
    if (interlaced)
        finishRows(dec, dec->sums, 0, outHeight, outWidth, outHeight, shift, pixels);
}

static int readScaled(Decoder* dec, uint32_t outWidth, uint32_t outHeight, uint8_t* pixels)
{
    const int interlaced = png_get_interlace_type(dec->png, dec->info) == PNG_INTERLACE_ADAM7;
    // An interlaced file delivers rows in every pass, so it needs the sums of the whole
    // output; any other file one output row at a time.
    const uint32_t heldRows = interlaced ? outHeight : 1;
    // At most this many input pixels fall on one output pixel; the shift keeps their
    // sum of 16-bit values within 32 bits.
    const uint64_t most
        = (((uint64_t)dec->width + outWidth - 1) / outWidth) * (((uint64_t)dec->height + outHeight - 1) / outHeight);
    int shift = 0;
    while (most * (65025u >> shift) > 0xFFFFFFFFu)
        ++shift;

    dec->row = (png_bytep)malloc((size_t)dec->width * 4);
    dec->column = (uint32_t*)malloc(sizeof(uint32_t) * dec->width);
    dec->sums = (uint32_t*)calloc((size_t)heldRows * outWidth * 4, sizeof(uint32_t));
    if (!dec->row || !dec->column || !dec->sums)
        return 0;
    for (uint32_t x = 0; x < dec->width; ++x)
        dec->column[x] = (uint32_t)((uint64_t)x * outWidth / dec->width);

    if (setjmp(png_jmpbuf(dec->png)))
        return 0;
    addRows(dec, interlaced, outWidth, outHeight, shift, pixels);
    // Reading on to IEND catches a stream cut short after the last row.
    png_read_end(dec->png, NULL);
    return 1;
}

MPNG_API int32_t mGetPNGDataScaled(void** handle, int32_t width, int32_t height, uint8_t* pixels)
{
    if (!handle || !*handle || !pixels)
        return 0;
    Decoder* dec = (Decoder*)*handle;
    if (dec->used || width < 1 || height < 1 || (uint32_t)width > dec->width || (uint32_t)height > dec->height)
        return 0;
    dec->used = 1;
    return readScaled(dec, (uint32_t)width, (uint32_t)height, pixels) ? 1 : 0;
}

MPNG_API void mEndPNG(void** handle)
{
    if (!handle)
        return;
    destroy((Decoder*)*handle);
    *handle = NULL;
}
