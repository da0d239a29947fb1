#include "DemoRecord.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Endian.h"
#include "fields/FieldCodec.h"

namespace qdxutil {

DemoRecord::DemoRecord(const SchemaTable& t) : table(t) {
    int length = t.FixedLength();
    for (size_t i = 0; i < t.fields.size(); ++i)
        if (t.fields[i].type == 12 || t.fields[i].type == 13) {
            variableField = static_cast<int>(i);
            length = t.fields[i].offset + t.fields[i].size;
        }
    bytes.assign(static_cast<size_t>(length), 0);
}

int DemoRecord::Field(const char* name) const {
    int f = table.FindField(Estring(name));
    if (f < 0) {
        // The demo's own schema and generator disagree: a fault in this program.
        std::fprintf(stderr, "demo: table %s has no field %s\n", table.name.Text(), name);
        std::abort();
    }
    return f;
}

void DemoRecord::Clear() { std::memset(bytes.data(), 0, bytes.size()); }

void DemoRecord::Text(int field, std::string_view text) {
    uint8_t* p = At(field);
    int size = Size(field);
    uint8_t type = table.fields[static_cast<size_t>(field)].type;
    if (type == 0) {
        int n = static_cast<int>(text.size()) < size ? static_cast<int>(text.size()) : size;
        std::memcpy(p, text.data(), static_cast<size_t>(n));
        std::memset(p + n, ' ', static_cast<size_t>(size - n));
    } else if (type == 10) {
        int n = static_cast<int>(text.size()) < size - 1 ? static_cast<int>(text.size()) : size - 1;
        p[0] = static_cast<uint8_t>(n);
        std::memcpy(p + 1, text.data(), static_cast<size_t>(n));
        std::memset(p + 1 + n, 0, static_cast<size_t>(size - 1 - n));
    } else {
        int n = static_cast<int>(text.size()) < size - 1 ? static_cast<int>(text.size()) : size - 1;
        std::memcpy(p, text.data(), static_cast<size_t>(n));
        std::memset(p + n, 0, static_cast<size_t>(size - n));
    }
}

void DemoRecord::Int(int field, int64_t value) { le::PutN(At(field), static_cast<uint64_t>(value), Size(field)); }

// Packed decimal: two digits a byte, the sign (0xF plus, 0xD minus) in the last low half.
void DemoRecord::Decimal(int field, int64_t scaled) {
    uint8_t* p = At(field);
    int size = Size(field);
    uint64_t magnitude = scaled < 0 ? static_cast<uint64_t>(-scaled) : static_cast<uint64_t>(scaled);
    int digits = 2 * size - 1;
    std::vector<uint8_t> halves(static_cast<size_t>(digits + 1), 0);
    for (int i = digits - 1; i >= 0; --i) {
        halves[static_cast<size_t>(i)] = static_cast<uint8_t>(magnitude % 10);
        magnitude /= 10;
    }
    halves[static_cast<size_t>(digits)] = scaled < 0 ? 0xD : 0xF;
    for (int b = 0; b < size; ++b)
        p[b] = static_cast<uint8_t>((halves[static_cast<size_t>(2 * b)] << 4) | halves[static_cast<size_t>(2 * b + 1)]);
}

void DemoRecord::Currency(int field, int64_t tenThousandths) { le::PutI64(At(field), tenThousandths); }

void DemoRecord::Date(int field, int year, int month, int day) {
    uint8_t* p = At(field);
    p[0] = static_cast<uint8_t>(day);
    p[1] = static_cast<uint8_t>(month);
    le::PutU16(p + 2, static_cast<uint16_t>(year));
}

void DemoRecord::Time(int field, int hours, int minutes, int seconds, int hundredths) {
    uint8_t* p = At(field);
    p[0] = static_cast<uint8_t>(hundredths);
    p[1] = static_cast<uint8_t>(seconds);
    p[2] = static_cast<uint8_t>(minutes);
    p[3] = static_cast<uint8_t>(hours);
}

void DemoRecord::Float(int field, double value) {
    uint8_t* p = At(field);
    switch (Size(field)) {
    case 4: {
        float f = static_cast<float>(value);
        std::memcpy(p, &f, 4);
        break;
    }
    case 8:
        std::memcpy(p, &value, 8);
        break;
    default: {
        // 80-bit extended: 64-bit mantissa with explicit integer bit, 15-bit exponent, sign.
        static_assert(LDBL_MANT_DIG == 64, "the 10-byte Float needs the x87 extended format");
        long double x = value;
        std::memcpy(p, &x, 10);
        break;
    }
    }
}

void DemoRecord::BFloat(int field, double value) {
    if (Size(field) == 4)
        DoubleToMbfSingle(value, At(field));
    else
        DoubleToMbfDouble(value, At(field));
}

void DemoRecord::Bool(int field, bool value) {
    uint8_t* p = At(field);
    std::memset(p, 0, static_cast<size_t>(Size(field)));
    p[0] = value ? 1 : 0;
}

int DemoRecord::Length() const {
    if (variableField < 0) return static_cast<int>(bytes.size());
    const SchemaField& f = table.fields[static_cast<size_t>(variableField)];
    const uint8_t* text = bytes.data() + f.offset;
    int n = 0;
    while (n < f.size - 1 && text[n] != 0) ++n;
    return f.offset + n + 1;
}

}  // namespace qdxutil
