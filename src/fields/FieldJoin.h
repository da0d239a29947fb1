#pragma once
// FieldJoin: where a joined field's record comes from. The viewer's joins
// implement it (they own the joined file and its record buffer); the codec
// only asks for the buffer that belongs to the viewed record.

#include <cstdint>

class FieldJoin {
public:
    virtual ~FieldJoin() = default;

    // The joined file's record that matches viewedRecord (viewedLength bytes),
    // fetching it when the key differs from the cached one. Returns null when
    // there is no joined record; otherwise the buffer stays valid and owned by
    // the join until its next call or its destruction, and joinedLength is set
    // to the buffer's length in bytes.
    virtual uint8_t* JoinedRecord(const uint8_t* viewedRecord, int viewedLength, int& joinedLength) = 0;
};
