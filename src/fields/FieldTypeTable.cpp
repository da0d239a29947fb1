// Type names and default column widths.

#include <cstdlib>

#include "fields/FieldCodec.h"

namespace {

// How a type's default width follows from the field length L.
enum class WidthRule : uint8_t {
    kZero,        // not shown by default (width comes from the heading)
    kMinusL,      // String: -L
    kMinusLLess1, // LString, ZString, Note: -(L - 1)
    kInteger,     // 3, 6, 11, 20 by length 1, 2, 4, 8; 20 otherwise
    kFloat,       // 11, 20, 25 by length 4, 8, 10; 0 otherwise
    kBFloat,      // 11, 20 by length 4, 8; 0 otherwise
    kDecimal,     // 2L + 2
    kFixed,       // the value in the table
};

struct TypeInfo {
    const char* name;
    WidthRule rule;
    int fixedWidth;
};

constexpr TypeInfo kTypes[] = {
    {"String", WidthRule::kMinusL, 0},
    {"Integer", WidthRule::kInteger, 0},
    {"Float", WidthRule::kFloat, 0},
    {"Date", WidthRule::kFixed, 10},
    {"Time", WidthRule::kFixed, 9},
    {"Decimal", WidthRule::kDecimal, 0},
    {"Money", WidthRule::kZero, 0},
    {"Logical", WidthRule::kZero, 0},
    {"Numeric", WidthRule::kZero, 0},
    {"BFloat", WidthRule::kBFloat, 0},
    {"LString", WidthRule::kMinusLLess1, 0},
    {"ZString", WidthRule::kMinusLLess1, 0},
    {"Note", WidthRule::kMinusLLess1, 0},
    {"Lvar", WidthRule::kZero, 0},
    {"Unsigned Integer", WidthRule::kInteger, 0},
    {"Auto Increment", WidthRule::kInteger, 0},
    {"Bit", WidthRule::kZero, 0},
    {"NumericSTS", WidthRule::kZero, 0},
    {"NumericSA", WidthRule::kZero, 0},
    {"Currency", WidthRule::kFixed, 21},
};
static_assert(sizeof kTypes / sizeof kTypes[0] == kTypeLastEngine + 1, "one entry per engine type code");

constexpr const char* kCalculatedName = "Calculated";
constexpr const char* kUnknownName = "Unknown type";

int TypeDefaultWidth(uint8_t type, int length) {
    if (type > kTypeLastEngine) return 0;
    const TypeInfo& info = kTypes[type];
    switch (info.rule) {
        case WidthRule::kZero: return 0;
        case WidthRule::kMinusL: return -length;
        case WidthRule::kMinusLLess1: return length > 1 ? -(length - 1) : 0;
        case WidthRule::kInteger:
            switch (length) {
                case 1: return 3;
                case 2: return 6;
                case 4: return 11;
                default: return 20;
            }
        case WidthRule::kFloat:
            switch (length) {
                case 4: return 11;
                case 8: return 20;
                case 10: return 25;
                default: return 0;
            }
        case WidthRule::kBFloat:
            switch (length) {
                case 4: return 11;
                case 8: return 20;
                default: return 0;
            }
        case WidthRule::kDecimal: return 2 * length + 2;
        case WidthRule::kFixed: return info.fixedWidth;
    }
    return 0;
}

}  // namespace

const char* DataTypeName(uint8_t type) {
    if (type <= kTypeLastEngine) return kTypes[type].name;
    return type == kTypeCalculated ? kCalculatedName : kUnknownName;
}

Estring DataTypeDescription(const FieldAttributes& field) {
    if (field.type > kTypeLastEngine) return Estring(DataTypeName(field.type));
    return Estring::Format("%s(%u)", kTypes[field.type].name, static_cast<unsigned>(field.length));
}

int DefaultDisplayWidth(const FieldAttributes& field) {
    int width = TypeDefaultWidth(field.type, field.length);
    int heading = field.name.Length();
    int dot = field.name.FindChar('.');
    if (dot > 0) {
        int after = field.name.Length() - dot - 1;
        heading = dot > after ? dot : after;
    }
    if (std::abs(width) < heading) return width < 0 ? -heading : heading;
    return width;
}
