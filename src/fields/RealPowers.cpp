#include "fields/RealPowers.h"

#include <cmath>

namespace {

// 10^0 .. 10^27 are exact in a 64-bit mantissa (5^27 < 2^64).
constexpr int kExactPowers = 28;

struct PowerTable {
    long double value[kExactPowers];
    constexpr PowerTable() : value() {
        long double p = 1.0L;
        for (int i = 0; i < kExactPowers; ++i) {
            value[i] = p;
            p *= 10.0L;
        }
    }
};

constexpr PowerTable kPowers;

// Largest power applied in one step (10^4000 and 10^-4000 are both normal).
constexpr int kStep = 4000;

}  // namespace

long double PowerOf10(int n) {
    if (n >= 0 && n < kExactPowers) return kPowers.value[n];
    return powl(10.0L, static_cast<long double>(n));
}

long double ScaleByPowerOf10(long double x, int n) {
    while (n > kStep) {
        x *= PowerOf10(kStep);
        n -= kStep;
    }
    while (n < -kStep) {
        x /= PowerOf10(kStep);
        n += kStep;
    }
    if (n >= 0) return x * PowerOf10(n);
    return x / PowerOf10(-n);
}
