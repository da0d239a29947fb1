// Key order against an independent model: random values of every key type
// (with ties, extremes and odd encodings) are inserted into a duplicates key;
// Get First/Next must return them sorted by a comparator written from what
// the values mean (numbers by value, dates by their parts, text by bytes),
// equal values in insertion order, Get Last/Previous the exact reverse, and
// Get Greater / GE / Less / LE on random probes the record the model names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kRecLen = 48;
constexpr size_t kIdAt = 44;

// ---- values as numbers, from their documented layouts -------------------

int64_t Signed(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | p[i];
    if (n < 8 && (p[n - 1] & 0x80)) v |= ~uint64_t(0) << (8 * n);
    return int64_t(v);
}
uint64_t Unsigned(const uint8_t* p, size_t n) {
    uint64_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | p[i];
    return v;
}
long double Real(const uint8_t* p, size_t n) {
    if (n == 4) { float f; std::memcpy(&f, p, 4); return f; }
    if (n == 8) { double d; std::memcpy(&d, p, 8); return d; }
    long double x = 0;
    std::memcpy(&x, p, 10);
    return x;
}
// Microsoft Binary Format: exponent byte last (bias 129 with the mantissa
// read as 1.m), sign in the top bit of the byte before it.
long double Mbf(const uint8_t* p, size_t n) {
    const int exponent = p[n - 1];
    if (exponent == 0) return 0;
    long double m = 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        const uint8_t b = i == n - 2 ? (p[i] & 0x7F) : p[i];
        m = (m + b) / 256.0L;
    }
    // m is now the mantissa bits as a fraction below 1/2 (top bit removed).
    const long double value = std::ldexp(0.5L + m, exponent - 128);
    return (p[n - 2] & 0x80) ? -value : value;
}
long double Packed(const uint8_t* p, size_t n) {
    long double v = 0;
    for (size_t i = 0; i < n; ++i) {
        v = v * 10 + (p[i] >> 4);
        if (i + 1 < n) v = v * 10 + (p[i] & 0x0F);
    }
    return (p[n - 1] & 0x0F) == 0x0D ? -v : v;
}
// Zoned ASCII number: the last digit carries the sign ('{' 'A'-'I' and
// '0'-'9' positive, '}' 'J'-'R' and 'p'-'y' negative); NumericSTS has a
// separate '+' or '-' byte after the digits.
long double Zoned(const uint8_t* p, size_t n, bool separate) {
    const size_t digits = separate ? n - 1 : n;
    long double v = 0;
    bool negative = separate && p[n - 1] == '-';
    for (size_t i = 0; i < digits; ++i) {
        const uint8_t c = p[i];
        int d = 0;
        if (c >= '0' && c <= '9') d = c - '0';
        if (!separate && i + 1 == digits) {
            if (c == '{') d = 0;
            else if (c >= 'A' && c <= 'I') d = c - 'A' + 1;
            else if (c == '}') d = 0, negative = true;
            else if (c >= 'J' && c <= 'R') d = c - 'J' + 1, negative = true;
            else if (c >= 'p' && c <= 'y') d = c - 'p', negative = true;
        }
        v = v * 10 + d;
    }
    return negative ? -v : v;
}
template <class T> int Cmp(T a, T b) { return a < b ? -1 : b < a ? 1 : 0; }
int CmpText(const uint8_t* a, size_t na, const uint8_t* b, size_t nb, bool fold) {
    auto f = [fold](uint8_t c) { return fold && c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c; };
    for (size_t i = 0; i < std::min(na, nb); ++i)
        if (f(a[i]) != f(b[i])) return f(a[i]) < f(b[i]) ? -1 : 1;
    return Cmp(na, nb);
}
size_t ZLen(const uint8_t* p, size_t n) {
    size_t i = 0;
    while (i < n && p[i]) ++i;
    return i;
}

// ---- one segment type: a random value maker and the comparator ---------

struct TypeModel {
    const char* what;
    uint8_t type;
    uint16_t length;
    uint16_t flags;  // extra segment flags (0x0400 case-insensitive, 0x0004 old binary)
    std::function<Bytes(std::mt19937&)> make;
    std::function<int(const uint8_t*, const uint8_t*)> compare;
};

Bytes RandomBytes(std::mt19937& r, size_t n) {
    Bytes b(n);
    for (auto& c : b) c = uint8_t(r());
    return b;
}
// Integers near the interesting points: zero, the extremes, small values.
Bytes RandomInteger(std::mt19937& r, size_t n) {
    Bytes b(n, 0);
    switch (r() % 5) {
    case 0: b = RandomBytes(r, n); break;
    case 1: b.assign(n, 0xFF); b[0] = uint8_t(r() % 4 + 0xFC); break;  // -1..-4
    case 2: b[0] = uint8_t(r() % 4); break;
    case 3: b.assign(n, r() % 2 ? 0xFF : 0x00); b[n - 1] = r() % 2 ? 0x80 : 0x7F; break;  // extremes
    default: b[n - 1] = uint8_t(r()); break;
    }
    return b;
}
Bytes RandomFloat(std::mt19937& r, size_t n) {
    static const double kSpecial[] = {0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 1e-310, -1e-310, 1e300, -1e300,
                                      HUGE_VAL, -HUGE_VAL, 3.0e38, -3.0e38, 1e-40, -1e-40};
    double d;
    if (r() % 3 == 0) {
        d = kSpecial[r() % (sizeof kSpecial / sizeof kSpecial[0])];
    } else {
        std::uniform_real_distribution<double> u(-1000, 1000);
        d = std::ldexp(u(r), int(r() % 80) - 40);
    }
    Bytes b(16, 0);
    if (n == 4) { float f = float(d); std::memcpy(b.data(), &f, 4); }
    else if (n == 8) std::memcpy(b.data(), &d, 8);
    else { long double x = d * (1 + 1e-18L * (r() % 7)); std::memcpy(b.data(), &x, 10); }
    b.resize(n);
    return b;
}
Bytes RandomMbf(std::mt19937& r, size_t n) {
    Bytes b = RandomBytes(r, n);
    switch (r() % 4) {
    case 0: b[n - 1] = 0; break;  // zero, junk mantissa
    case 1: b[n - 1] = uint8_t(128 + r() % 4); break;
    default: break;
    }
    if (r() % 4 == 0) std::fill(b.begin(), b.end() - 2, 0);
    return b;
}
Bytes RandomPacked(std::mt19937& r, size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t((r() % (i == 0 ? 3 : 10)) << 4 | r() % 10);
    static const uint8_t kSigns[] = {0x0C, 0x0D, 0x0F, 0x0D};
    b[n - 1] = uint8_t((b[n - 1] & 0xF0) | kSigns[r() % 4]);
    if (r() % 6 == 0) { std::fill(b.begin(), b.end() - 1, 0); b[n - 1] &= 0x0F; }  // zeros of both signs
    return b;
}
Bytes RandomZoned(std::mt19937& r, size_t n, int kind) {
    Bytes b(n);
    const size_t digits = kind == 2 ? n - 1 : n;
    for (size_t i = 0; i < digits; ++i) b[i] = uint8_t('0' + r() % (i == 0 ? 2 : 10));
    if (r() % 5 == 0) b[0] = ' ';
    const int d = int(r() % 10);
    const bool neg = r() % 2;
    if (kind == 0) b[digits - 1] = uint8_t(neg ? (d ? 'J' + d - 1 : '}') : (d ? 'A' + d - 1 : '{'));
    if (kind == 1) b[digits - 1] = uint8_t(neg ? 'p' + d : '0' + d);
    if (kind == 2) b[n - 1] = neg ? '-' : '+';
    return b;
}
Bytes RandomText(std::mt19937& r, size_t n, const char* alphabet, uint8_t pad) {
    Bytes b(n, pad);
    const size_t len = r() % (n + 1);
    const size_t k = strlen(alphabet);
    for (size_t i = 0; i < len; ++i) b[i] = uint8_t(alphabet[r() % k]);
    return b;
}

std::vector<TypeModel> Models() {
    std::vector<TypeModel> v;
    for (uint16_t n : {1, 2, 4, 8}) {
        v.push_back({"integer", 1, n, 0, [n](std::mt19937& r) { return RandomInteger(r, n); },
                     [n](const uint8_t* a, const uint8_t* b) { return Cmp(Signed(a, n), Signed(b, n)); }});
        v.push_back({"unsigned", 14, n, 0, [n](std::mt19937& r) { return RandomInteger(r, n); },
                     [n](const uint8_t* a, const uint8_t* b) { return Cmp(Unsigned(a, n), Unsigned(b, n)); }});
    }
    v.push_back({"auto-increment", 15, 4, 0,
                 [](std::mt19937& r) {
                     Bytes b = RandomInteger(r, 4);
                     if (b == Bytes(4, 0)) b[0] = 1;  // zero would be replaced
                     return b;
                 },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Signed(a, 4), Signed(b, 4)); }});
    v.push_back({"currency", 19, 8, 0, [](std::mt19937& r) { return RandomInteger(r, 8); },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Signed(a, 8), Signed(b, 8)); }});
    for (uint16_t n : {4, 8, 10})
        v.push_back({"float", 2, n, 0, [n](std::mt19937& r) { return RandomFloat(r, n); },
                     [n](const uint8_t* a, const uint8_t* b) { return Cmp(Real(a, n), Real(b, n)); }});
    for (uint16_t n : {4, 8})
        v.push_back({"bfloat", 9, n, 0, [n](std::mt19937& r) { return RandomMbf(r, n); },
                     [n](const uint8_t* a, const uint8_t* b) { return Cmp(Mbf(a, n), Mbf(b, n)); }});
    v.push_back({"date", 3, 4, 0,
                 [](std::mt19937& r) {
                     const int y = r() % 3 ? 1990 + r() % 40 : r() % 10000;
                     return Bytes{uint8_t(1 + r() % 31), uint8_t(1 + r() % 12), uint8_t(y), uint8_t(y >> 8)};
                 },
                 [](const uint8_t* a, const uint8_t* b) {
                     const int ya = a[2] | a[3] << 8, yb = b[2] | b[3] << 8;
                     if (ya != yb) return Cmp(ya, yb);
                     if (a[1] != b[1]) return Cmp(a[1], b[1]);
                     return Cmp(a[0], b[0]);
                 }});
    v.push_back({"time", 4, 4, 0,
                 [](std::mt19937& r) {
                     return Bytes{uint8_t(r() % 100), uint8_t(r() % 60), uint8_t(r() % 60), uint8_t(r() % 24)};
                 },
                 [](const uint8_t* a, const uint8_t* b) {
                     for (int i = 3; i >= 0; --i)
                         if (a[i] != b[i]) return Cmp(a[i], b[i]);
                     return 0;
                 }});
    for (uint8_t t : {5, 6})
        v.push_back({t == 5 ? "decimal" : "money", t, 4, 0, [](std::mt19937& r) { return RandomPacked(r, 4); },
                     [](const uint8_t* a, const uint8_t* b) { return Cmp(Packed(a, 4), Packed(b, 4)); }});
    v.push_back({"numeric", 8, 4, 0, [](std::mt19937& r) { return RandomZoned(r, 4, r() % 2); },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Zoned(a, 4, false), Zoned(b, 4, false)); }});
    v.push_back({"numericSA", 18, 4, 0, [](std::mt19937& r) { return RandomZoned(r, 4, r() % 2); },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Zoned(a, 4, false), Zoned(b, 4, false)); }});
    v.push_back({"numericSTS", 17, 4, 0, [](std::mt19937& r) { return RandomZoned(r, 4, 2); },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Zoned(a, 4, true), Zoned(b, 4, true)); }});
    v.push_back({"logical", 7, 1, 0, [](std::mt19937& r) { return Bytes{uint8_t(r() % 3 ? r() % 2 : r())}; },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(a[0], b[0]); }});
    v.push_back({"bit", 16, 1, 0, [](std::mt19937& r) { return Bytes{uint8_t(r())}; },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(a[0], b[0]); }});
    for (uint16_t fold : {0, 0x0400}) {
        v.push_back({fold ? "string no case" : "string", 0, 5, fold,
                     [](std::mt19937& r) { return RandomText(r, 5, "aAbB z\x01\xE9", ' '); },
                     [fold](const uint8_t* a, const uint8_t* b) { return CmpText(a, 5, b, 5, fold); }});
        v.push_back({fold ? "zstring no case" : "zstring", 11, 5, fold,
                     [](std::mt19937& r) {
                         Bytes b = RandomText(r, 5, "aAbB\xFF", 0);
                         if (r() % 3 == 0) b[4] = uint8_t(r());  // junk after the end
                         return b;
                     },
                     [fold](const uint8_t* a, const uint8_t* b) {
                         return CmpText(a, ZLen(a, 5), b, ZLen(b, 5), fold);
                     }});
        v.push_back({fold ? "lstring no case" : "lstring", 10, 5, fold,
                     [](std::mt19937& r) {
                         Bytes b = RandomText(r, 5, "aAb\x00\xFF", 0);
                         b[0] = uint8_t(r() % 6 == 0 ? r() : r() % 5);  // sometimes longer than the field
                         return b;
                     },
                     [fold](const uint8_t* a, const uint8_t* b) {
                         return CmpText(a + 1, std::min<size_t>(a[0], 4), b + 1, std::min<size_t>(b[0], 4), fold);
                     }});
    }
    v.push_back({"old binary flag", 0, 3, 0x0004, [](std::mt19937& r) { return RandomInteger(r, 3); },
                 [](const uint8_t* a, const uint8_t* b) { return Cmp(Unsigned(a, 3), Unsigned(b, 3)); }});
    return v;
}

// ---- the check ------------------------------------------------------------

struct SegmentModel {
    const TypeModel* type;
    uint16_t at;  // 0-based offset in the record
    bool descending;
};

int CompareRecords(const std::vector<SegmentModel>& segs, const Bytes& a, const Bytes& b) {
    for (const SegmentModel& s : segs) {
        int c = s.type->compare(a.data() + s.at, b.data() + s.at);
        if (s.descending) c = -c;
        if (c) return c;
    }
    return 0;
}

uint32_t Id(const Bytes& r) { return GetU32(r, kIdAt); }

void CheckModel(const std::vector<SegmentModel>& segs, uint32_t seed, const std::string& what) {
    SCOPED_TRACE(what + " seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    TempDir dir;
    const std::string path = dir.path("r.dat");
    KeySpec key;
    for (const SegmentModel& s : segs) {
        key.push_back({uint16_t(s.at + 1), s.type->length,
                       uint16_t(0x0001 | s.type->flags | (s.descending ? 0x0040 : 0)), s.type->type});
    }
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kRecLen, {key})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    constexpr uint32_t kCount = 160;
    uint32_t len = 0;
    ASSERT_EQ(0, f.call(kBegin, nullptr, &len, nullptr, 0, 0));
    std::vector<Bytes> inserted;
    for (uint32_t id = 0; id < kCount; ++id) {
        Bytes r = Record(kRecLen);
        // A few values repeat exactly, so ties come from equal bytes too.
        if (!inserted.empty() && rng() % 6 == 0) {
            r = inserted[rng() % inserted.size()];
        } else {
            for (const SegmentModel& s : segs) {
                Bytes v = s.type->make(rng);
                std::copy(v.begin(), v.end(), r.begin() + s.at);
            }
        }
        PutU32(r, kIdAt, id);
        ASSERT_EQ(0, f.insert(r));
        inserted.push_back(r);
    }
    ASSERT_EQ(0, f.call(kEnd, nullptr, &len, nullptr, 0, 0));

    // The model's order: by value, equal values by insertion.
    std::vector<Bytes> expect = inserted;
    std::stable_sort(expect.begin(), expect.end(),
                     [&](const Bytes& a, const Bytes& b) { return CompareRecords(segs, a, b) < 0; });
    std::vector<Bytes> got = f.scan(0);
    ASSERT_EQ(expect.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (Id(got[i]) != Id(expect[i])) {
            ADD_FAILURE() << "position " << i << ": engine gives id " << Id(got[i]) << ", model id "
                          << Id(expect[i]) << " (model compares them " << CompareRecords(segs, got[i], expect[i])
                          << ")";
            return;
        }
    }
    std::vector<Bytes> back = f.scan(0, true);
    std::reverse(back.begin(), back.end());
    ASSERT_EQ(got, back) << "Get Last/Previous is the reverse";

    // Probes: a random value (or an inserted one) and the record each
    // positioning operation should land on.
    for (int probe = 0; probe < 40; ++probe) {
        Bytes r = Record(kRecLen);
        if (probe % 2) {
            r = inserted[rng() % inserted.size()];
        } else {
            for (const SegmentModel& s : segs) {
                Bytes v = s.type->make(rng);
                std::copy(v.begin(), v.end(), r.begin() + s.at);
            }
        }
        Bytes keyValue;
        for (const SegmentModel& s : segs)
            keyValue.insert(keyValue.end(), r.begin() + s.at, r.begin() + s.at + s.type->length);
        auto firstWhere = [&](auto pred) -> int {
            for (size_t i = 0; i < expect.size(); ++i)
                if (pred(CompareRecords(segs, expect[i], r))) return int(i);
            return -1;
        };
        auto lastWhere = [&](auto pred) -> int {
            for (size_t i = expect.size(); i-- > 0;)
                if (pred(CompareRecords(segs, expect[i], r))) return int(i);
            return -1;
        };
        struct Probe { uint16_t op; int want; };
        const int eq = firstWhere([](int c) { return c == 0; });
        const Probe probes[] = {
            {kGetEqual, eq},
            {kGetGreaterOrEqual, firstWhere([](int c) { return c >= 0; })},
            {kGetGreater, firstWhere([](int c) { return c > 0; })},
            {kGetLessOrEqual, lastWhere([](int c) { return c <= 0; })},
            {kGetLess, lastWhere([](int c) { return c < 0; })},
        };
        for (const Probe& p : probes) {
            Bytes rec, k = keyValue;
            const int16_t st = f.get(p.op, rec, k, 0);
            if (p.want < 0) {
                EXPECT_EQ(p.op == kGetEqual ? 4 : 9, st) << "op " << p.op << " probe " << probe;
            } else {
                ASSERT_EQ(0, st) << "op " << p.op << " probe " << probe;
                EXPECT_EQ(Id(expect[p.want]), Id(rec)) << "op " << p.op << " probe " << probe;
            }
        }
    }
}

TEST(KeyOrderModel, EveryTypeAgainstAnIndependentComparator) {
    const std::vector<TypeModel> models = Models();
    uint32_t seed = 7;
    for (const TypeModel& m : models) {
        for (bool descending : {false, true}) {
            const std::string what = std::string(m.what) + " " + std::to_string(m.length) +
                                     (descending ? " descending" : "");
            CheckModel({{&m, 0, descending}}, seed++, what);
        }
    }
}

TEST(KeyOrderModel, SegmentedKeysAgainstAnIndependentComparator) {
    const std::vector<TypeModel> models = Models();
    std::mt19937 rng(99);
    // Random three-segment keys of random types and directions.
    for (int round = 0; round < 12; ++round) {
        std::vector<SegmentModel> segs;
        std::string what = "segments";
        uint16_t at = 0;
        for (int s = 0; s < 3; ++s) {
            const TypeModel& m = models[rng() % models.size()];
            const bool descending = rng() % 2;
            segs.push_back({&m, at, descending});
            at = uint16_t(at + m.length);
            what += std::string(" ") + m.what + "/" + std::to_string(m.length) + (descending ? "-" : "+");
        }
        // Auto-increment only leads a key.
        if (std::any_of(segs.begin() + 1, segs.end(), [](const SegmentModel& s) { return s.type->type == 15; }))
            continue;
        CheckModel(segs, 1000 + round, what);
    }
}

}  // namespace
