// Entry points that stay inside the decoder's own builds (the fuzzer).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Same as mLoadPNG, reading from memory that must outlive the handle.
int32_t mpngLoadMemory(const uint8_t* data, size_t size, void** handle, uint8_t* bitmapInfo, int32_t* dataSize);

#ifdef __cplusplus
}
#endif
