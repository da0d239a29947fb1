#include "dictionary/SchemaTypes.h"

#include <cstdio>
#include <string>

#include "dictionary/Schema.h"

namespace {

constexpr int kAny = kSchemaMaxRecordLength;

// Type code, name, default size, fixed sizes, min, max, text, keyable, variable.
const SchemaTypeRule kRules[] = {
    {0, "String", 0, {0, 0, 0, 0}, 1, kAny, true, true, false},
    {1, "Integer", 0, {1, 2, 4, 8}, 0, 0, false, true, false},
    {2, "Float", 0, {4, 8, 10, 0}, 0, 0, false, true, false},
    {3, "Date", 4, {4, 0, 0, 0}, 0, 0, false, true, false},
    {4, "Time", 4, {4, 0, 0, 0}, 0, 0, false, true, false},
    {5, "Decimal", 0, {0, 0, 0, 0}, 1, 10, false, true, false},
    {6, "Money", 0, {0, 0, 0, 0}, 1, 10, false, true, false},
    {7, "Logical", 1, {1, 2, 0, 0}, 0, 0, false, true, false},
    {8, "Numeric", 0, {0, 0, 0, 0}, 1, 15, false, true, false},
    {9, "BFloat", 0, {4, 8, 0, 0}, 0, 0, false, true, false},
    {10, "LString", 0, {0, 0, 0, 0}, 2, 256, true, true, false},
    {11, "ZString", 0, {0, 0, 0, 0}, 2, kAny, true, true, false},
    {12, "Note", 0, {0, 0, 0, 0}, 2, kAny, true, false, true},
    {13, "Lvar", 0, {0, 0, 0, 0}, 1, kAny, false, false, true},
    {14, "Unsigned Integer", 0, {1, 2, 4, 8}, 0, 0, false, true, false},
    {15, "Auto Increment", 0, {2, 4, 8, 0}, 0, 0, false, true, false},
    {16, "Bit", 1, {1, 0, 0, 0}, 0, 0, false, true, false},
    {17, "NumericSTS", 0, {0, 0, 0, 0}, 2, 15, false, true, false},
    {18, "NumericSA", 0, {0, 0, 0, 0}, 1, 15, false, true, false},
    {19, "Currency", 8, {8, 0, 0, 0}, 0, 0, false, true, false},
};

// Spellings accepted besides the names themselves (compared in folded form).
struct Alias {
    const char* folded;
    uint8_t type;
};
const Alias kAliases[] = {
    {"unsigned", 14},
    {"autoinc", 15},
};

// Lower case without blanks, "_" and "-".
std::string Fold(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == ' ' || c == '_' || c == '-' || c == '\t') continue;
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return out;
}

}  // namespace

const SchemaTypeRule* FindSchemaTypeRule(uint8_t type) {
    for (const SchemaTypeRule& r : kRules)
        if (r.type == type) return &r;
    return nullptr;
}

bool SchemaSizeAllowed(const SchemaTypeRule& rule, int size) {
    if (rule.sizes[0] == 0) return size >= rule.minSize && size <= rule.maxSize;
    for (int s : rule.sizes)
        if (s != 0 && s == size) return true;
    return false;
}

const char* SchemaSizesText(const SchemaTypeRule& rule, char* buffer, int bufferSize) {
    if (rule.sizes[0] == 0) {
        std::snprintf(buffer, static_cast<size_t>(bufferSize), "from %d to %d", rule.minSize, rule.maxSize);
        return buffer;
    }
    int count = 0;
    while (count < 4 && rule.sizes[count] != 0) ++count;
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += (i == count - 1) ? " or " : ", ";
        text += std::to_string(rule.sizes[i]);
    }
    std::snprintf(buffer, static_cast<size_t>(bufferSize), "%s", text.c_str());
    return buffer;
}

const char* SchemaTypeName(uint8_t type) {
    const SchemaTypeRule* rule = FindSchemaTypeRule(type);
    return rule ? rule->name : nullptr;
}

bool SchemaTypeFromName(std::string_view name, uint8_t& type) {
    std::string folded = Fold(name);
    if (folded.empty()) return false;
    for (const SchemaTypeRule& r : kRules)
        if (Fold(r.name) == folded) {
            type = r.type;
            return true;
        }
    for (const Alias& a : kAliases)
        if (folded == a.folded) {
            type = a.type;
            return true;
        }
    return false;
}

bool SchemaTypeIsText(uint8_t type) {
    const SchemaTypeRule* rule = FindSchemaTypeRule(type);
    return rule && rule->text && rule->keyable;
}
