#pragma once
// Little-endian reads and writes of unaligned values in byte buffers. Every
// record, key, file specification and Stat buffer the engine exchanges is
// little-endian; these are the only helpers that touch such bytes.

#include <cstdint>
#include <cstring>

namespace le {

inline uint16_t GetU16(const void* p) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t GetU32(const void* p) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline uint64_t GetU64(const void* p) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return static_cast<uint64_t>(GetU32(b)) | (static_cast<uint64_t>(GetU32(b + 4)) << 32);
}
inline int16_t GetI16(const void* p) { return static_cast<int16_t>(GetU16(p)); }
inline int32_t GetI32(const void* p) { return static_cast<int32_t>(GetU32(p)); }
inline int64_t GetI64(const void* p) { return static_cast<int64_t>(GetU64(p)); }

inline void PutU16(void* p, uint16_t v) {
    uint8_t* b = static_cast<uint8_t*>(p);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(void* p, uint32_t v) {
    uint8_t* b = static_cast<uint8_t*>(p);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutU64(void* p, uint64_t v) {
    uint8_t* b = static_cast<uint8_t*>(p);
    for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutI16(void* p, int16_t v) { PutU16(p, static_cast<uint16_t>(v)); }
inline void PutI32(void* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline void PutI64(void* p, int64_t v) { PutU64(p, static_cast<uint64_t>(v)); }

// Little-endian integer of n bytes (1 to 8), sign-extended / zero-extended.
inline int64_t GetSigned(const void* p, int n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[i];
    if (n > 0 && n < 8 && (b[n - 1] & 0x80)) v |= ~0ULL << (8 * n);
    return static_cast<int64_t>(v);
}
inline uint64_t GetUnsigned(const void* p, int n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}
// Writes the low n bytes (1 to 8) of v.
inline void PutN(void* p, uint64_t v, int n) {
    uint8_t* b = static_cast<uint8_t*>(p);
    for (int i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace le
