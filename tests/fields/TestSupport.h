#pragma once
// Helpers shared by the field tests: hex byte strings and field builders.

#include <cstdint>
#include <string>
#include <vector>

#include "fields/FieldAttributes.h"

namespace fieldtest {

// "00 12 3D" -> bytes.
inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    int nibbles = 0;
    uint8_t current = 0;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        current = static_cast<uint8_t>((current << 4) | v);
        if (++nibbles == 2) {
            bytes.push_back(current);
            nibbles = 0;
            current = 0;
        }
    }
    return bytes;
}

inline std::string ToHex(const uint8_t* p, size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        out += kDigits[p[i] >> 4];
        out += kDigits[p[i] & 15];
    }
    return out;
}
inline std::string ToHex(const std::vector<uint8_t>& v) { return ToHex(v.data(), v.size()); }

// A field of the viewed file at offset 0.
inline FieldAttributes MakeField(uint8_t type, int length, int decimals = 2, int width = 0, int offset = 0) {
    FieldAttributes field;
    field.name = "F";
    field.type = type;
    field.length = static_cast<uint16_t>(length);
    field.offset = static_cast<uint16_t>(offset);
    field.decimals = decimals;
    field.width = width;
    return field;
}

}  // namespace fieldtest
