// A stand-in for the decoder: delivers a fixed 2x2 picture, counts every call,
// can be told to fail at each step, and notes any misuse of the handle.
#include "mpng.h"

#include <string.h>

enum Mode {
    Succeed = 0,
    LoadFails = 1,
    LoadReturnsTwo = 2,
    ZeroSize = 3,
    NegativeSize = 4,
    GetFails = 5,
    GetReturnsMinusOne = 6,
    BadBitmapInfo = 7,
};

static int g_mode;
static int g_loads, g_gets, g_ends, g_faults;
static int g_getsThisOpen;
static void* g_open;  // the handle given out and not yet released
static char g_lastPath[1024];
static int g_token;

MPNG_API void fakeMpngSetMode(int32_t mode)
{
    g_mode = mode;
    g_loads = g_gets = g_ends = g_faults = 0;
    g_open = NULL;
    g_lastPath[0] = '\0';
}

// 0 loads, 1 gets, 2 ends, 3 misuses seen.
MPNG_API int32_t fakeMpngCalls(int32_t which)
{
    switch (which) {
    case 0: return g_loads;
    case 1: return g_gets;
    case 2: return g_ends;
    default: return g_faults;
    }
}

MPNG_API const char* fakeMpngLastPath(void)
{
    return g_lastPath;
}

static void putU32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

MPNG_API int32_t mLoadPNG(const char* path, void** handle, uint8_t* bitmapInfo, int32_t* dataSize)
{
    ++g_loads;
    strncpy(g_lastPath, path ? path : "", sizeof g_lastPath - 1);
    g_lastPath[sizeof g_lastPath - 1] = '\0';
    // The caller must hand over zeroed outputs.
    if (*handle != NULL || *dataSize != 0)
        ++g_faults;
    for (int i = 0; i < MPNG_BITMAPINFO_SIZE; ++i)
        if (bitmapInfo[i] != 0) {
            ++g_faults;
            break;
        }
    if (g_open)
        ++g_faults;

    if (g_mode == LoadFails || g_mode == LoadReturnsTwo) {
        // Garbage left behind on failure must not tempt the caller into mEndPNG.
        *handle = &g_token;
        *dataSize = 16;
        return g_mode == LoadFails ? 0 : 2;
    }
    memset(bitmapInfo, 0, MPNG_BITMAPINFO_SIZE);
    putU32(bitmapInfo + 0, 40);
    putU32(bitmapInfo + 4, 2);
    putU32(bitmapInfo + 8, (uint32_t)-2);
    bitmapInfo[12] = 1;
    bitmapInfo[14] = g_mode == BadBitmapInfo ? 7 : 32;
    *dataSize = g_mode == ZeroSize ? 0 : g_mode == NegativeSize ? -16 : 16;
    g_open = &g_token;
    g_getsThisOpen = 0;
    *handle = g_open;
    return 1;
}

MPNG_API int32_t mGetPNGData(void** handle, uint8_t* pixels)
{
    ++g_gets;
    if (!g_open || *handle != g_open || ++g_getsThisOpen > 1)
        ++g_faults;
    if (g_mode == GetFails)
        return 0;
    if (g_mode == GetReturnsMinusOne)
        return -1;
    // Rows top-down, B G R A: red, green / blue, half-transparent white.
    static const uint8_t pixelsOut[16] = {0, 0, 255, 255, 0, 255, 0, 255,
                                          255, 0, 0, 255, 255, 255, 255, 128};
    memcpy(pixels, pixelsOut, sizeof pixelsOut);
    return 1;
}

#ifndef FAKE_MPNG_WITHOUT_END
MPNG_API void mEndPNG(void** handle)
{
    ++g_ends;
    if (!g_open || *handle != g_open)
        ++g_faults;
    g_open = NULL;
    *handle = NULL;
}
#endif
