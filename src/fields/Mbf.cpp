// Microsoft Binary Format reals.
//
// Single (4 bytes)                      Double (8 bytes)
// OFFSET WIDTH MEANING                  OFFSET WIDTH MEANING
//   0     2+7b mantissa, low first        0     6+7b mantissa, low first
//   2     1b   sign (top bit of byte 2)   6     1b   sign (top bit of byte 6)
//   3     1    exponent, bias 129 for     7     1    exponent, bias 129 for
//              1.m; 0 means zero                     1.m; 0 means zero
//
// The value is 1.m x 2^(exponent - 129): IEEE single exponent = MBF - 2,
// IEEE double exponent = MBF + 894. Doubles keep 52 of the 55 mantissa bits.

#include <cmath>
#include <cstring>

#include "base/Endian.h"
#include "fields/FieldCodec.h"

namespace {

constexpr int kExponentBias = 129;
constexpr int kSingleMantissaBits = 23;  // stored bits, the leading 1 is implied
constexpr int kDoubleMantissaBits = 55;
constexpr int kDoubleDroppedBits = 3;    // 55 MBF bits -> 52 IEEE bits
constexpr uint8_t kSignBit = 0x80;

// Builds MBF bytes from a value: mantissaBits stored bits (leading 1 implied),
// rounded to nearest; overflow saturates, underflow gives zero.
void EncodeMbf(double value, uint8_t* p, int bytes, int mantissaBits) {
    std::memset(p, 0, static_cast<size_t>(bytes));
    if (std::isnan(value) || value == 0) return;
    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    uint64_t mantissa;
    int exponent;
    if (std::isinf(magnitude)) {
        mantissa = (1ULL << mantissaBits) - 1;
        exponent = 255;
    } else {
        int binaryExponent;
        double fraction = std::frexp(magnitude, &binaryExponent);  // [0.5, 1)
        // The leading 1 plus mantissaBits bits.
        double scaled = std::ldexp(fraction, mantissaBits + 1);
        double rounded = std::nearbyint(scaled);
        mantissa = static_cast<uint64_t>(rounded);
        exponent = binaryExponent + 128;
        if (mantissa >> (mantissaBits + 1)) {  // rounding carried into a new bit
            mantissa >>= 1;
            ++exponent;
        }
        if (exponent < 1) return;  // below the smallest MBF value
        if (exponent > 255) {
            mantissa = (1ULL << (mantissaBits + 1)) - 1;
            exponent = 255;
        }
        mantissa &= (1ULL << mantissaBits) - 1;
    }
    for (int i = 0; i < bytes - 1; ++i) p[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    if (negative) p[bytes - 2] |= kSignBit;
    p[bytes - 1] = static_cast<uint8_t>(exponent);
}

}  // namespace

double MbfSingleToDouble(const uint8_t* p) {
    int exponent = p[3];
    if (exponent == 0) return 0.0;
    uint32_t mantissa = (static_cast<uint32_t>(p[2] & 0x7F) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
    double value = std::ldexp(static_cast<double>(mantissa | (1u << kSingleMantissaBits)),
                              exponent - kExponentBias - kSingleMantissaBits);
    return (p[2] & kSignBit) ? -value : value;
}

double MbfDoubleToDouble(const uint8_t* p) {
    int exponent = p[7];
    if (exponent == 0) return 0.0;
    uint64_t mantissa = le::GetUnsigned(p, 7) & ((1ULL << kDoubleMantissaBits) - 1);
    mantissa >>= kDoubleDroppedBits;  // low bits dropped, not rounded
    const int kept = kDoubleMantissaBits - kDoubleDroppedBits;
    double value = std::ldexp(static_cast<double>(mantissa | (1ULL << kept)), exponent - kExponentBias - kept);
    return (p[6] & kSignBit) ? -value : value;
}

void DoubleToMbfSingle(double value, uint8_t* p) { EncodeMbf(value, p, 4, kSingleMantissaBits); }

void DoubleToMbfDouble(double value, uint8_t* p) {
    // The double's 52 bits shifted up by 3: exact, so encode at 52 bits and shift.
    uint8_t scratch[8];
    EncodeMbf(value, scratch, 8, kDoubleMantissaBits - kDoubleDroppedBits);
    uint64_t mantissa = le::GetUnsigned(scratch, 7) & ((1ULL << (kDoubleMantissaBits - kDoubleDroppedBits)) - 1);
    bool negative = (scratch[6] & kSignBit) != 0 && scratch[7] != 0;
    mantissa <<= kDoubleDroppedBits;
    le::PutN(p, mantissa, 7);
    if (negative) p[6] |= kSignBit;
    p[7] = scratch[7];
}
