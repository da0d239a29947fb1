#pragma once
// Where a field's bytes are: inside the viewed record or its join's record,
// clipped to the record's end. Internal to the codec.

#include <cstdint>

#include "fields/FieldAttributes.h"
#include "fields/FieldJoin.h"

struct FieldBytes {
    uint8_t* data = nullptr;  // first byte of the field, null when no byte lies inside the record
    int available = 0;        // bytes of the field inside the record (0 .. length)
    int length = 0;           // the field's declared length
    bool noJoinedRecord = false;

    // The whole field lies inside the record.
    bool Whole() const { return data != nullptr && available == length; }
};

// Locates field in record (recordLength bytes), or in its join's record.
// The record is taken as writable because joins hand out their own buffers;
// readers never write through data.
inline FieldBytes LocateField(const FieldAttributes& field, const uint8_t* record, int recordLength) {
    FieldBytes bytes;
    bytes.length = field.length;
    if (field.join != nullptr) {
        int joinedLength = 0;
        uint8_t* joined = field.join->JoinedRecord(record, recordLength, joinedLength);
        if (joined == nullptr) {
            bytes.noJoinedRecord = true;
            return bytes;
        }
        record = joined;
        recordLength = joinedLength;
    }
    if (record == nullptr || recordLength <= field.offset) return bytes;
    int inside = recordLength - field.offset;
    bytes.available = inside < field.length ? inside : field.length;
    bytes.data = const_cast<uint8_t*>(record) + field.offset;
    return bytes;
}
