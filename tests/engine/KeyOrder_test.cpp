// Key order for every data type: values inserted in a scrambled order must
// come back in key order (and reversed for descending segments), through Get
// First/Next, Get Last/Previous and Get Greater or Equal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kRecLen = 64;
constexpr size_t kIdAt = 60;

Bytes Le(uint64_t v, int n) {
    Bytes b(n);
    for (int i = 0; i < n; ++i) b[i] = uint8_t(v >> (8 * i));
    return b;
}
template <class T> Bytes Raw(T v) {
    Bytes b(sizeof(T));
    std::memcpy(b.data(), &v, sizeof(T));
    return b;
}
Bytes Extended(long double v) {
    Bytes b(16, 0);
    std::memcpy(b.data(), &v, sizeof v);
    b.resize(10);
    return b;
}
// Microsoft Binary Format from a double (the usual conversion).
Bytes Mbf4(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    Bytes b(4, 0);
    if ((u & 0x7FFFFFFF) == 0) return b;
    uint32_t exp = ((u >> 23) & 0xFF) + 2;
    b[3] = uint8_t(exp);
    b[2] = uint8_t(((u >> 16) & 0x7F) | ((u >> 24) & 0x80));
    b[1] = uint8_t(u >> 8);
    b[0] = uint8_t(u);
    return b;
}
Bytes Mbf8(double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    Bytes b(8, 0);
    if ((u & 0x7FFFFFFFFFFFFFFFull) == 0) return b;
    uint64_t exp = ((u >> 52) & 0x7FF) - 894;
    uint64_t mant = (u & 0xFFFFFFFFFFFFFull) << 3;  // 55 bits
    b[7] = uint8_t(exp);
    b[6] = uint8_t(((mant >> 48) & 0x7F) | ((u >> 56) & 0x80));
    for (int i = 0; i < 6; ++i) b[i] = uint8_t(mant >> (8 * i));
    return b;
}
// Packed decimal of n bytes holding an integer value.
Bytes Packed(int64_t v, int n) {
    Bytes b(n, 0);
    const bool neg = v < 0;
    uint64_t m = neg ? uint64_t(-v) : uint64_t(v);
    int nibble = 2 * n - 2;  // last digit nibble index (high half of last byte)
    b[n - 1] = neg ? 0x0D : 0x0F;
    for (; nibble >= 0; --nibble) {
        uint8_t d = uint8_t(m % 10);
        m /= 10;
        if (nibble % 2 == 0) b[nibble / 2] |= uint8_t(d << 4);
        else b[nibble / 2] |= d;
    }
    return b;
}
Bytes Date(int d, int m, int y) { return {uint8_t(d), uint8_t(m), uint8_t(y), uint8_t(y >> 8)}; }
Bytes Time(int h, int mi, int s, int hs) { return {uint8_t(hs), uint8_t(s), uint8_t(mi), uint8_t(h)}; }
// A value longer than its field is a mistake in the test table, reported
// rather than written past the field.
Bytes Text(const std::string& s, size_t width, char pad = ' ') {
    EXPECT_LE(s.size(), width) << "'" << s << "' does not fit " << width << " bytes";
    Bytes b(width, uint8_t(pad));
    for (size_t i = 0; i < s.size() && i < width; ++i) b[i] = uint8_t(s[i]);
    return b;
}
Bytes LStr(const std::string& s, size_t width) {
    EXPECT_LT(s.size(), width) << "'" << s << "' does not fit " << width << " bytes with its length";
    Bytes b(width, 0);
    b[0] = uint8_t(s.size());
    for (size_t i = 0; i < s.size() && i + 1 < width; ++i) b[i + 1] = uint8_t(s[i]);
    return b;
}

// ASCII numbers of n bytes: right-aligned digits with leading zeros and the
// sign in the last digit's zone (Numeric: '{' 'A'-'I' / '}' 'J'-'R';
// NumericSA: '0'-'9' / 'p'-'y') or in a separate last byte (NumericSTS).
enum class Sign { kZoned, kAscii, kSeparate };
Bytes AsciiNumber(int64_t v, size_t n, Sign sign) {
    const bool neg = v < 0;
    const size_t digits = sign == Sign::kSeparate ? n - 1 : n;
    std::string text = std::to_string(neg ? -v : v);
    text.insert(0, digits - text.size(), '0');
    Bytes b(text.begin(), text.end());
    const int d = b.back() - '0';
    switch (sign) {
    case Sign::kZoned: b.back() = uint8_t(neg ? (d ? 'J' + d - 1 : '}') : (d ? 'A' + d - 1 : '{')); break;
    case Sign::kAscii: b.back() = uint8_t(neg ? 'p' + d : '0' + d); break;
    case Sign::kSeparate: b.push_back(neg ? '-' : '+'); break;
    }
    return b;
}
Bytes Ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct OrderCase {
    const char* what;
    uint8_t type;
    uint16_t length;
    uint16_t flags;
    std::vector<Bytes> ascending;  // values in key order
};

std::string Hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (uint8_t c : b) {
        snprintf(buf, sizeof buf, "%02X", c);
        s += buf;
    }
    return s;
}

// Inserts the values scrambled; checks the order both ways, and Get Greater
// or Equal on each value.
void CheckOrder(const OrderCase& c, bool descending) {
    SCOPED_TRACE(std::string(c.what) + (descending ? " descending" : " ascending"));
    TempDir dir;
    const std::string path = dir.path("k.dat");
    uint16_t flags = c.flags | (descending ? 0x40 : 0);
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kRecLen, {{{1, c.length, flags, c.type}}})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    std::vector<size_t> order(c.ascending.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::mt19937 rng(42);
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t i : order) {
        Bytes r = Record(kRecLen);
        std::copy(c.ascending[i].begin(), c.ascending[i].end(), r.begin());
        PutU32(r, kIdAt, uint32_t(i));
        ASSERT_EQ(0, f.insert(r)) << "value " << Hex(c.ascending[i]);
    }
    std::vector<uint32_t> expect;
    for (size_t i = 0; i < c.ascending.size(); ++i) expect.push_back(uint32_t(i));
    if (descending) std::reverse(expect.begin(), expect.end());
    std::vector<uint32_t> got;
    for (auto& r : f.scan(0)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ(expect, got);
    got.clear();
    for (auto& r : f.scan(0, true)) got.push_back(GetU32(r, kIdAt));
    std::reverse(expect.begin(), expect.end());
    EXPECT_EQ(expect, got) << "backward";
    for (size_t i = 0; i < c.ascending.size(); ++i) {
        Bytes rec, key = c.ascending[i];
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0)) << Hex(c.ascending[i]);
        EXPECT_EQ(i, GetU32(rec, kIdAt)) << Hex(c.ascending[i]);
        EXPECT_TRUE(std::equal(c.ascending[i].begin(), c.ascending[i].end(), key.begin()))
            << "key buffer returns the value";
    }
}

std::vector<OrderCase> Cases() {
    using L = std::numeric_limits<int64_t>;
    std::vector<OrderCase> v;
    v.push_back({"integer 1", 1, 1, 0, {Le(0x80, 1), Le(0xFF, 1), Le(0, 1), Le(1, 1), Le(0x7F, 1)}});
    v.push_back({"integer 2", 1, 2, 0,
                 {Le(0x8000, 2), Le(uint16_t(-300), 2), Le(0xFFFF, 2), Le(0, 2), Le(1, 2), Le(255, 2),
                  Le(256, 2), Le(0x7FFF, 2)}});
    v.push_back({"integer 4", 1, 4, 0,
                 {Le(0x80000000u, 4), Le(uint32_t(-65536), 4), Le(0xFFFFFFFFu, 4), Le(0, 4), Le(1, 4),
                  Le(65536, 4), Le(0x7FFFFFFF, 4)}});
    v.push_back({"integer 8", 1, 8, 0,
                 {Le(uint64_t(L::min()), 8), Le(uint64_t(-(int64_t(1) << 32)), 8), Le(~0ull, 8), Le(0, 8),
                  Le(1, 8), Le(1ull << 32, 8), Le(uint64_t(L::max()), 8)}});
    v.push_back({"unsigned 1", 14, 1, 0, {Le(0, 1), Le(1, 1), Le(0x7F, 1), Le(0x80, 1), Le(0xFF, 1)}});
    v.push_back({"unsigned 2", 14, 2, 0, {Le(0, 2), Le(1, 2), Le(255, 2), Le(256, 2), Le(65535, 2)}});
    v.push_back({"unsigned 4", 14, 4, 0,
                 {Le(0, 4), Le(1, 4), Le(0x100, 4), Le(0x10000, 4), Le(0x80000000u, 4), Le(0xFFFFFFFFu, 4)}});
    v.push_back({"unsigned 8", 14, 8, 0,
                 {Le(0, 8), Le(1, 8), Le(1ull << 32, 8), Le(1ull << 63, 8), Le(~0ull, 8)}});
    v.push_back({"auto-increment 4 as signed", 15, 4, 0,
                 {Le(uint32_t(-5), 4), Le(uint32_t(-1), 4), Le(3, 4), Le(100, 4)}});
    v.push_back({"currency", 19, 8, 0,
                 {Le(uint64_t(L::min()), 8), Le(uint64_t(-55000), 8), Le(0, 8), Le(7, 8),
                  Le(uint64_t(L::max()), 8)}});
    v.push_back({"float 4", 2, 4, 0,
                 {Raw(-std::numeric_limits<float>::infinity()), Raw(-3.4e38f), Raw(-1.5f), Raw(-1e-30f),
                  Raw(0.0f), Raw(1e-30f), Raw(1.0f), Raw(2.5f), Raw(3.4e38f)}});
    v.push_back({"float 8", 2, 8, 0,
                 {Raw(-1.7e308), Raw(-2.0), Raw(-1.0), Raw(-4.9e-324), Raw(0.0), Raw(4.9e-324),
                  Raw(0.5), Raw(1.0), Raw(1e300)}});
    v.push_back({"float 10", 2, 10, 0,
                 {Extended(-1e4000L), Extended(-2.0L), Extended(-0.25L), Extended(0.0L), Extended(1e-4000L),
                  Extended(3.0L), Extended(1e4000L)}});
    v.push_back({"bfloat 4", 9, 4, 0,
                 {Mbf4(-1e30f), Mbf4(-2.0f), Mbf4(-1.0f), Mbf4(-1e-30f), Mbf4(0.0f), Mbf4(1e-30f),
                  Mbf4(0.75f), Mbf4(1.0f), Mbf4(1e30f)}});
    v.push_back({"bfloat 8", 9, 8, 0,
                 {Mbf8(-1e30), Mbf8(-2.0), Mbf8(-1.0), Mbf8(0.0), Mbf8(1.0), Mbf8(1.0000000001),
                  Mbf8(1e30)}});
    v.push_back({"date", 3, 4, 0,
                 {Date(1, 1, 0), Date(1, 1, 1900), Date(31, 12, 1999), Date(1, 1, 2000), Date(2, 1, 2000),
                  Date(1, 2, 2000), Date(15, 6, 2024), Date(31, 12, 9999)}});
    v.push_back({"time", 4, 4, 0,
                 {Time(0, 0, 0, 0), Time(0, 0, 0, 99), Time(0, 0, 1, 0), Time(0, 1, 0, 0), Time(1, 0, 0, 0),
                  Time(12, 30, 15, 50), Time(23, 59, 59, 99)}});
    v.push_back({"decimal 3", 5, 3, 0,
                 {Packed(-99999, 3), Packed(-123, 3), Packed(-1, 3), Packed(0, 3), Packed(1, 3),
                  Packed(123, 3), Packed(99999, 3)}});
    v.push_back({"money 4", 6, 4, 0,
                 {Packed(-9999999, 4), Packed(-10, 4), Packed(0, 4), Packed(5, 4), Packed(9999999, 4)}});
    {
        std::vector<Bytes> zoned, ascii, separate;
        for (int64_t x : {-99999, -10000, -9999, -120, -12, -10, -1, 0, 1, 9, 10, 12, 120, 9999, 10000, 99999}) {
            zoned.push_back(AsciiNumber(x, 5, Sign::kZoned));
            ascii.push_back(AsciiNumber(x, 5, Sign::kAscii));
        }
        for (int64_t x : {-9999, -1000, -999, -12, -1, 0, 1, 12, 999, 1000, 9999})
            separate.push_back(AsciiNumber(x, 5, Sign::kSeparate));
        // Either zone convention reads in both types.
        zoned.insert(zoned.begin() + 11, Ascii("00011"));
        ascii.insert(ascii.begin() + 11, Ascii("0001A"));
        v.push_back({"numeric 5", 8, 5, 0, zoned});
        v.push_back({"numericSA 5", 18, 5, 0, ascii});
        v.push_back({"numericSTS 5", 17, 5, 0, separate});
        v.push_back({"numeric 1", 8, 1, 0, {Ascii("R"), Ascii("J"), Ascii("0"), Ascii("A"), Ascii("9")}});
    }
    v.push_back({"decimal, only sign 0xD is negative", 5, 2, 0,
                 {Bytes{0x99, 0x9D}, Bytes{0x00, 0x1D}, Bytes{0x00, 0x0F}, Bytes{0x00, 0x1B}, Bytes{0x00, 0x2C},
                  Bytes{0x00, 0x3F}, Bytes{0x99, 0x9B}}});
    v.push_back({"logical 1", 7, 1, 0, {Le(0, 1), Le(1, 1), Le(255, 1)}});
    v.push_back({"bit 1", 16, 1, 0, {Le(0, 1), Le(1, 1), Le(0x80, 1), Le(255, 1)}});
    v.push_back({"logical 2", 7, 2, 0, {Le(0, 2), Le(1, 2), Le(256, 2)}});
    v.push_back({"string", 0, 4, 0,
                 {Text("", 4), Text("A", 4), Text("AB", 4), Text("B", 4), Text("a", 4), Text("b", 4)}});
    v.push_back({"string case-insensitive", 0, 8, 0x0400,
                 {Text("apple", 8), Text("Banana", 8), Text("cherry", 8), Text("DATE", 8)}});
    v.push_back({"zstring", 11, 6, 0,
                 {Text("", 6, '\0'), Text("a", 6, '\0'), Text("ab", 6, '\0'), Text("b", 6, '\0')}});
    v.push_back({"zstring case-insensitive", 11, 6, 0x0400,
                 {Text("abc", 6, '\0'), Text("ABD", 6, '\0'), Text("b", 6, '\0')}});
    v.push_back({"lstring", 10, 6, 0,
                 {LStr("", 6), LStr("a", 6), LStr(std::string("a\0", 2), 6), LStr("ab", 6), LStr("b", 6)}});
    v.push_back({"old binary flag", 0, 3, 0x0004,
                 {Le(0, 3), Le(1, 3), Le(0x100, 3), Le(0x10000, 3), Le(0xFFFFFF, 3)}});
    return v;
}

TEST(KeyOrder, EveryTypeAscendingAndDescending) {
    for (const OrderCase& c : Cases()) {
        CheckOrder(c, false);
        CheckOrder(c, true);
    }
}

// Every type code has an order case above, or cannot be a key at all.
TEST(KeyOrder, EveryTypeCodeIsCoveredOrRefused) {
    std::set<uint8_t> covered;
    for (const OrderCase& c : Cases()) {
        if (!(c.flags & 0x0004)) covered.insert(c.type);
    }
    TempDir dir;
    for (uint8_t type = 0; type <= 19; ++type) {
        if (covered.count(type)) continue;
        EXPECT_EQ(49, CreateFile(dir.path("t.dat"), MakeSpec(kRecLen, {{{1, 4, 0, type}}}))) << "type " << int(type);
    }
    EXPECT_EQ(18u, covered.size());
}

// Values that are different bytes but the same key.
TEST(KeyOrder, EqualValuesAreDuplicates) {
    struct Same {
        const char* what;
        uint8_t type;
        uint16_t length;
        uint16_t flags;
        Bytes a, b;
    };
    const Same cases[] = {
        {"plus and minus zero float", 2, 8, 0, Raw(0.0), Raw(-0.0)},
        {"plus and minus zero decimal", 5, 3, 0, Packed(0, 3), Bytes{0, 0, 0x0D}},
        {"bytes after a zstring's end", 11, 6, 0, Text("ab", 6, '\0'), Bytes{'a', 'b', 0, 'x', 'y', 'z'}},
        {"case-insensitive string", 0, 4, 0x0400, Text("abc", 4), Text("ABC", 4)},
        {"bfloat zero with junk mantissa", 9, 4, 0, Mbf4(0.0f), Bytes{1, 2, 0x83, 0}},
        {"packed sign 0xB and 0xF", 5, 2, 0, Bytes{0x00, 0x5B}, Bytes{0x00, 0x5F}},
        {"numeric minus zero", 8, 4, 0, Ascii("000}"), Ascii("000{")},
        {"numeric plain and zoned last digit", 8, 4, 0, Ascii("0012"), Ascii("001B")},
        {"numeric leading blanks", 8, 4, 0, Ascii("  1B"), Ascii("001B")},
        {"numericSA minus zero", 18, 4, 0, Ascii("000p"), Ascii("0000")},
        {"numericSTS minus zero", 17, 4, 0, Ascii("000-"), Ascii("000+")},
    };
    for (const Same& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        ASSERT_EQ(0, CreateFile(dir.path("d.dat"), MakeSpec(kRecLen, {{{1, c.length, c.flags, c.type}}})));
        File f;
        ASSERT_EQ(0, f.openFile(dir.path("d.dat")));
        Bytes r = Record(kRecLen);
        std::copy(c.a.begin(), c.a.end(), r.begin());
        ASSERT_EQ(0, f.insert(r));
        r = Record(kRecLen);
        std::copy(c.b.begin(), c.b.end(), r.begin());
        EXPECT_EQ(5, f.insert(r));
    }
}

TEST(KeyOrder, SegmentedKeysCompareSegmentBySegment) {
    // Segment 1: 2-byte string ascending; segment 2: 2-byte integer descending.
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("s.dat"),
                            MakeSpec(kRecLen, {{{1, 2, 0, 0}, {3, 2, 0x40, 1}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("s.dat")));
    struct Row { const char* text; int16_t n; };
    const Row expected[] = {{"AA", 5}, {"AA", 1}, {"AA", -3}, {"AB", 100}, {"AB", -100}, {"B ", 0}};
    const int insertOrder[] = {3, 0, 5, 2, 4, 1};
    for (int i : insertOrder) {
        Bytes r = Record(kRecLen);
        PutText(r, 0, expected[i].text, 2);
        r[2] = uint8_t(expected[i].n);
        r[3] = uint8_t(uint16_t(expected[i].n) >> 8);
        PutU32(r, kIdAt, uint32_t(i));
        ASSERT_EQ(0, f.insert(r));
    }
    std::vector<uint32_t> got;
    for (auto& r : f.scan(0)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5}), got);
    // Get Greater than ("AA", 1) in key order is ("AA", -3).
    Bytes rec, key = {'A', 'A', 1, 0};
    ASSERT_EQ(0, f.get(kGetGreater, rec, key, 0));
    EXPECT_EQ(2u, GetU32(rec, kIdAt));
    key = {'A', 'A', 1, 0};
    ASSERT_EQ(0, f.get(kGetLess, rec, key, 0));
    EXPECT_EQ(0u, GetU32(rec, kIdAt));
}

TEST(KeyOrder, DuplicatesKeepInsertionOrder) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("dup.dat"),
                            MakeSpec(kRecLen, {{{1, 4, 0, 1}}, {{5, 4, 0x0001, 0}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("dup.dat")));
    const char* groups[] = {"bb", "aa", "bb", "aa", "bb", "cc", "aa"};
    for (uint32_t i = 0; i < 7; ++i) {
        Bytes r = Record(kRecLen);
        PutU32(r, 0, 100 - i);
        PutText(r, 4, groups[i], 4);
        PutU32(r, kIdAt, i);
        ASSERT_EQ(0, f.insert(r));
    }
    std::vector<uint32_t> got;
    for (auto& r : f.scan(1)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ((std::vector<uint32_t>{1, 3, 6, 0, 2, 4, 5}), got);
    got.clear();
    for (auto& r : f.scan(1, true)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ((std::vector<uint32_t>{5, 4, 2, 0, 6, 3, 1}), got);
    Bytes rec, key = Text("bb", 4);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 1));
    EXPECT_EQ(0u, GetU32(rec, kIdAt)) << "Get Equal finds the first inserted";
    key = Text("bb", 4);
    ASSERT_EQ(0, f.get(kGetLessOrEqual, rec, key, 1));
    EXPECT_EQ(4u, GetU32(rec, kIdAt)) << "Less or Equal finds the last of them";
    key = Text("bb", 4);
    ASSERT_EQ(0, f.get(kGetGreater, rec, key, 1));
    EXPECT_EQ(5u, GetU32(rec, kIdAt));
    key = Text("bb", 4);
    ASSERT_EQ(0, f.get(kGetLess, rec, key, 1));
    EXPECT_EQ(6u, GetU32(rec, kIdAt));
    // A unique key refuses a duplicate and stores nothing.
    Bytes r = Record(kRecLen);
    PutU32(r, 0, 100);
    EXPECT_EQ(5, f.insert(r));
    EXPECT_EQ(7u, f.recordCount());
    EXPECT_EQ(7u, f.scan(1).size());
}

// An update that gives a record a new value of a duplicates key puts it
// after the records already holding that value; a record whose value in a
// key did not change (here: only its case, on a case-insensitive key) keeps
// its place there.
TEST(KeyOrder, UpdatedDuplicatesGoToTheEndOfTheirNewValue) {
    TempDir dir;
    const std::string path = dir.path("u.dat");
    // Key 0: unique id. Key 1: duplicates, case-insensitive name at 4.
    // Key 2: duplicates code at 8.
    ASSERT_EQ(0, CreateFile(path, MakeSpec(kRecLen, {{{1, 4, 0x0002, 1}},
                                                     {{5, 4, 0x0403, 0}},
                                                     {{9, 1, 0x0003, 14}}})));
    File f;
    ASSERT_EQ(0, f.openFile(path));
    struct Row { uint32_t id; const char* name; };
    for (Row r : {Row{1, "a"}, Row{2, "b"}, Row{3, "a"}, Row{4, "b"}, Row{5, "a"}, Row{6, "c"}}) {
        Bytes rec = Record(kRecLen);
        PutU32(rec, 0, r.id);
        PutText(rec, 4, r.name, 4);
        rec[8] = 7;
        ASSERT_EQ(0, f.insert(rec));
    }
    auto update = [&](uint32_t id, const char* name, uint8_t code, int8_t keyNumber = 0) {
        Bytes rec, key = Le(id, 4);
        ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
        PutText(rec, 4, name, 4);
        rec[8] = code;
        ASSERT_EQ(0, f.update(rec, keyNumber)) << id;
    };
    auto ids = [&](int8_t keyNumber, bool backward = false) {
        std::vector<uint32_t> got;
        for (auto& r : f.scan(keyNumber, backward)) got.push_back(GetU32(r, 0));
        return got;
    };
    update(1, "b", 7);  // to the end of b
    EXPECT_EQ((std::vector<uint32_t>{3, 5, 2, 4, 1, 6}), ids(1));
    update(4, "b", 8);  // key 1 unchanged, key 2 moves
    update(3, "A", 7);  // the same value without case: stays first
    update(1, "a", 7);  // back to a: now last of a
    EXPECT_EQ((std::vector<uint32_t>{3, 5, 1, 2, 4, 6}), ids(1));
    EXPECT_EQ((std::vector<uint32_t>{6, 4, 2, 1, 5, 3}), ids(1, true));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 5, 6, 4}), ids(2)) << "key 2 kept its order";
    Bytes rec, key = Text("a", 4);
    ASSERT_EQ(0, f.get(kGetLessOrEqual, rec, key, 1));
    EXPECT_EQ(1u, GetU32(rec, 0)) << "the last of a";
    // Positioning on the moved record finds its new place.
    key = Le(1, 4);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    const uint32_t pos = f.position();
    ASSERT_EQ(0, f.direct(pos, rec, 1));
    ASSERT_EQ(0, f.get(kGetNext, rec, key, 1));
    EXPECT_EQ(2u, GetU32(rec, 0));
    ASSERT_EQ(0, f.direct(pos, rec, 1));
    ASSERT_EQ(0, f.get(kGetPrevious, rec, key, 1));
    EXPECT_EQ(5u, GetU32(rec, 0));
    // Update on key 1 positions at the new place.
    update(5, "c", 7, 1);
    ASSERT_EQ(0, f.get(kGetPrevious, rec, key, 1));
    EXPECT_EQ(6u, GetU32(rec, 0));
    // The moved records delete cleanly, and the order survives reopening.
    key = Le(1, 4);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    ASSERT_EQ(0, f.erase());
    f.close();
    ASSERT_EQ(0, f.openFile(path));
    EXPECT_EQ((std::vector<uint32_t>{3, 2, 4, 6, 5}), ids(1));
    EXPECT_EQ(5u, ids(2).size());
    Bytes s;
    ASSERT_EQ(0, f.stat(s));
    EXPECT_EQ(5u, GetU32(s, 6));
    EXPECT_EQ(3u, GetU32(s, 32 + 6)) << "a, b, c";
    EXPECT_EQ(2u, GetU32(s, 48 + 6)) << "7 and 8";
}

TEST(KeyOrder, NullKeysLeaveRecordsOut) {
    TempDir dir;
    // Key 0: unique integer. Key 1: string, null when all blanks (0x0008).
    // Key 2: two segments, null when either is zero (0x0200, null value 0).
    ASSERT_EQ(0, CreateFile(dir.path("n.dat"),
                            MakeSpec(kRecLen, {{{1, 4, 0, 1}},
                                               {{5, 4, 0x0008 | 0x0003, 0, ' '}},
                                               {{9, 2, 0x0200 | 0x0003, 1, 0}, {11, 2, 0x0200 | 0x0003, 1, 0}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("n.dat")));
    struct Row { const char* text; int a, b; };
    const Row rows[] = {{"x", 1, 1}, {"", 0, 1}, {"y", 1, 0}, {"", 0, 0}, {"z", 2, 2}};
    for (uint32_t i = 0; i < 5; ++i) {
        Bytes r = Record(kRecLen);
        PutU32(r, 0, i);
        PutText(r, 4, rows[i].text, 4);
        r[8] = uint8_t(rows[i].a);
        r[10] = uint8_t(rows[i].b);
        PutU32(r, kIdAt, i);
        ASSERT_EQ(0, f.insert(r));
    }
    EXPECT_EQ(5u, f.scan(0).size());
    std::vector<uint32_t> got;
    for (auto& r : f.scan(1)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ((std::vector<uint32_t>{0, 2, 4}), got);
    got.clear();
    for (auto& r : f.scan(2)) got.push_back(GetU32(r, kIdAt));
    EXPECT_EQ((std::vector<uint32_t>{0, 4}), got);
    EXPECT_EQ(5u, f.stepAll().size());
    // Updating a null value into a real one brings the record into the key.
    Bytes rec, key = Le(1, 4);
    ASSERT_EQ(0, f.get(kGetEqual, rec, key, 0));
    PutText(rec, 4, "w", 4);
    rec[8] = 3;
    rec[10] = 7;
    ASSERT_EQ(0, f.update(rec, -1));
    EXPECT_EQ(4u, f.scan(1).size());
    EXPECT_EQ(3u, f.scan(2).size());
}

TEST(KeyOrder, AutoIncrementFillsZeroValues) {
    TempDir dir;
    ASSERT_EQ(0, CreateFile(dir.path("a.dat"), MakeSpec(kRecLen, {{{1, 4, 0, 15}}})));
    File f;
    ASSERT_EQ(0, f.openFile(dir.path("a.dat")));
    Bytes r = Record(kRecLen);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(1u, GetU32(r, 0)) << "written back into the caller's buffer";
    r = Record(kRecLen);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(2u, GetU32(r, 0));
    r = Record(kRecLen);
    PutU32(r, 0, 10);
    ASSERT_EQ(0, f.insert(r));
    r = Record(kRecLen);
    ASSERT_EQ(0, f.insert(r));
    EXPECT_EQ(11u, GetU32(r, 0));
    r = Record(kRecLen);
    PutU32(r, 0, 2);
    EXPECT_EQ(5, f.insert(r)) << "explicit value that exists";
    std::vector<uint32_t> got;
    for (auto& rec : f.scan(0)) got.push_back(GetU32(rec, 0));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 10, 11}), got);
    // 2-byte auto-increment, descending, in a new file.
    ASSERT_EQ(0, CreateFile(dir.path("b.dat"), MakeSpec(kRecLen, {{{1, 2, 0x40, 15}}})));
    File g;
    ASSERT_EQ(0, g.openFile(dir.path("b.dat")));
    for (int i = 0; i < 3; ++i) {
        r = Record(kRecLen);
        ASSERT_EQ(0, g.insert(r));
        EXPECT_EQ(i + 1, r[0] | r[1] << 8);
    }
}

}  // namespace
