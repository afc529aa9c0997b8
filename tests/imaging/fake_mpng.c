// A stand-in for the decoder: delivers a fixed 2x2 picture, counts every call, fails
// at the step the test asks for, and counts any misuse of the handle.
#include "mpng.h"

#include <string.h>

enum { Succeed, LoadFails, LoadReturnsTwo, ZeroSize, NegativeSize, GetFails, GetReturnsMinusOne, BadBitmapInfo };

static int g_mode, g_loads, g_gets, g_ends, g_faults, g_getsThisOpen;
static void* g_open; // the handle given out and not yet released
static int g_token;
static char g_lastPath[1024];

MPNG_API void fakeMpngSetMode(int32_t mode)
{
    g_mode = mode;
    g_loads = g_gets = g_ends = g_faults = 0;
    g_open = NULL;
}

// 0 loads, 1 gets, 2 ends, 3 misuses.
MPNG_API int32_t fakeMpngCalls(int32_t which) { return (int[]) { g_loads, g_gets, g_ends, g_faults }[which & 3]; }

MPNG_API const char* fakeMpngLastPath(void) { return g_lastPath; }

MPNG_API int32_t mLoadPNG(const char* path, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    ++g_loads;
    strncpy(g_lastPath, path ? path : "", sizeof g_lastPath - 1);
    // The caller hands over zeroed outputs, with nothing left open.
    if (*handle != NULL || *dataSize != 0 || g_open)
        ++g_faults;
    for (int i = 0; i < MPNG_BITMAPINFO_SIZE; ++i)
        g_faults += bitmapInfo[i] != 0;

    if (g_mode == LoadFails || g_mode == LoadReturnsTwo) {
        // Garbage left behind on failure must not tempt the caller into mEndPNG.
        *handle = &g_token;
        *dataSize = 16;
        return g_mode == LoadFails ? 0 : 2;
    }
    // 40-byte header, 2 x -2 (top-down), 1 plane, 32 bits
    const uint8_t header[16] = { 40, 0, 0, 0, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 32, 0 };
    memcpy(bitmapInfo, header, sizeof header);
    if (g_mode == BadBitmapInfo)
        bitmapInfo[14] = 7;
    *dataSize = g_mode == ZeroSize ? 0 : g_mode == NegativeSize ? -16 : 16;
    *handle = g_open = &g_token;
    g_getsThisOpen = 0;
    return 1;
}

MPNG_API int32_t mGetPNGData(void** handle, uint8_t* pixels)
{
    ++g_gets;
    if (!g_open || *handle != g_open || ++g_getsThisOpen > 1)
        ++g_faults;
    if (g_mode == GetFails || g_mode == GetReturnsMinusOne)
        return g_mode == GetFails ? 0 : -1;
    // Rows top-down, B G R A: red, green / blue, half-transparent white.
    static const uint8_t out[16] = { 0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128 };
    memcpy(pixels, out, sizeof out);
    return 1;
}

#ifndef FAKE_MPNG_WITHOUT_END
MPNG_API void mEndPNG(void** handle)
{
    ++g_ends;
    if (!g_open || *handle != g_open)
        ++g_faults;
    g_open = *handle = NULL;
}
#endif
