#pragma once
// What a schema may say about each engine data type: its name, the sizes a
// field of it may have, and whether it can be part of a key.

#include <cstdint>

struct SchemaTypeRule {
    uint8_t type;
    const char* name;        // as shown to users
    int defaultSize;         // used when the schema gives none; 0 = a size is required
    int sizes[4];            // the only sizes allowed; all 0 = any size from minSize to maxSize
    int minSize;
    int maxSize;
    bool text;               // case-insensitive key segments allowed
    bool keyable;            // may be an index segment
    bool variable;           // the variable-length tail of the record (Note, Lvar)
};

// The rule for a type code, or null.
const SchemaTypeRule* FindSchemaTypeRule(uint8_t type);
// True when size is allowed for the rule's type.
bool SchemaSizeAllowed(const SchemaTypeRule& rule, int size);
// "1, 2, 4 or 8" / "from 2 to 256": the sizes allowed, for messages.
const char* SchemaSizesText(const SchemaTypeRule& rule, char* buffer, int bufferSize);
