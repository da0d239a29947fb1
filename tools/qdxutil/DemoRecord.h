#pragma once
// DemoRecord: builds one record of a schema table from typed values, writing
// the engine's byte layouts directly (the demo loader needs millions of them).

#include <cstdint>
#include <string_view>
#include <vector>

#include "dictionary/Schema.h"

namespace qdxutil {

class DemoRecord {
public:
    explicit DemoRecord(const SchemaTable& table);

    // The index of the field named name. Requires: the table has it.
    int Field(const char* name) const;
    // Zero bytes in the whole record.
    void Clear();

    // String: blank-padded (cut at the size); LString: length byte and text;
    // ZString and Note: zero-terminated (cut to size - 1). Text is code page 437.
    void Text(int field, std::string_view text);
    // Integer, Unsigned Integer, Auto Increment: the low bytes of value.
    void Int(int field, int64_t value);
    // Decimal: value in units of the field's last decimal place (cents for 2 places).
    void Decimal(int field, int64_t scaled);
    // Currency: value in ten-thousandths.
    void Currency(int field, int64_t tenThousandths);
    void Date(int field, int year, int month, int day);
    void Time(int field, int hours, int minutes, int seconds, int hundredths);
    // Float of 4, 8 or 10 bytes; BFloat of 4 or 8.
    void Float(int field, double value);
    void BFloat(int field, double value);
    // Logical and Bit.
    void Bool(int field, bool value);

    const uint8_t* Data() const { return bytes.data(); }
    // The length to insert: the fixed part, plus the Note's text and its zero byte.
    int Length() const;

private:
    uint8_t* At(int field) { return bytes.data() + table.fields[static_cast<size_t>(field)].offset; }
    int Size(int field) const { return table.fields[static_cast<size_t>(field)].size; }

    const SchemaTable& table;
    std::vector<uint8_t> bytes;
    int variableField = -1;
};

}  // namespace qdxutil
