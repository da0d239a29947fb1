#ifndef QDX_ENGINE_BTRCALL_H
#define QDX_ENGINE_BTRCALL_H
/*
 * The record manager's single entry point, exported with C linkage by
 * libqdxengine.so. Every call returns an engine status (0 = success) and never
 * crashes on bad arguments: null buffers count as empty, a position block that
 * does not hold an open handle answers 3.
 *
 *   operation      operation code, plus an optional lock bias (100 to 400)
 *   positionBlock  128 bytes owned by the caller; holds the engine's handle
 *   dataBuffer     record, file specification, owner name ... per operation
 *   dataLength     in: size of dataBuffer; out: bytes returned
 *   keyBuffer      key value or file name; keyLength its size
 *   keyNumber      key number, open mode, or owner mode per operation
 */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer,
                uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
                int8_t keyNumber);

typedef int16_t (*BtrcallFunction)(uint16_t, void*, void*, uint32_t*, void*,
                                   uint8_t, int8_t);

#ifdef __cplusplus
}
#endif

#endif
