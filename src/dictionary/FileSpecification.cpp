#include "dictionary/FileSpecification.h"

#include "base/Endian.h"
#include "engine/Contract.h"

using namespace qdx::wire;

std::vector<uint8_t> BuildFileSpecification(const SchemaTable& table) {
    size_t segments = 0;
    for (const SchemaIndex& index : table.indexes) segments += index.segments.size();
    std::vector<uint8_t> spec(kSpecHeaderSize + kSegmentEntrySize * segments, 0);
    le::PutU16(&spec[kSpecRecordLength], static_cast<uint16_t>(table.FixedLength()));
    le::PutU16(&spec[kSpecPageSize], kSpecPageSizeValue);
    le::PutU16(&spec[kSpecKeyCount], static_cast<uint16_t>(table.indexes.size()));
    le::PutU16(&spec[kSpecFileFlags], table.VariableLength() ? kFileVariable : 0);
    uint8_t* entry = &spec[kSpecHeaderSize];
    for (const SchemaIndex& index : table.indexes) {
        for (size_t s = 0; s < index.segments.size(); ++s, entry += kSegmentEntrySize) {
            const SchemaField& field = table.fields[static_cast<size_t>(index.segments[s].field)];
            le::PutU16(entry + kSegPosition, static_cast<uint16_t>(field.offset + 1));
            le::PutU16(entry + kSegLength, static_cast<uint16_t>(field.size));
            le::PutU16(entry + kSegFlags, index.KeyFlags(s));
            entry[kSegType] = field.type;
            entry[kSegNullValue] = 0;
            entry[kSegKeyNumber] = static_cast<uint8_t>(index.number);
            entry[kSegCollation] = 0;
        }
    }
    return spec;
}
