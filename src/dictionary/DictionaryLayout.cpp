#include "dictionary/DictionaryLayout.h"

#include <cstring>

#include "base/Endian.h"

namespace ddf {

Estring ReadFixedText(const uint8_t* p, int width) {
    int n = 0;
    while (n < width && p[n] != 0) ++n;
    return Estring(reinterpret_cast<const char*>(p), n).TrimRight();
}

void WriteFixedText(uint8_t* p, int width, const Estring& text) {
    int n = text.Length() < width ? text.Length() : width;
    std::memcpy(p, text.Text(), static_cast<size_t>(n));
    std::memset(p + n, ' ', static_cast<size_t>(width - n));
}

FileRecord DecodeFileRecord(const uint8_t* record) {
    FileRecord r;
    r.tableId = le::GetI16(record + kFileTableId);
    r.tableName = ReadFixedText(record + kFileTableName, kFileTableNameWidth);
    r.location = ReadFixedText(record + kFileLocation, kFileLocationWidth);
    r.flags = record[kFileFlags];
    return r;
}

void EncodeFileRecord(const FileRecord& value, uint8_t* record) {
    std::memset(record, 0, kFileRecordLength);
    le::PutI16(record + kFileTableId, value.tableId);
    WriteFixedText(record + kFileTableName, kFileTableNameWidth, value.tableName);
    WriteFixedText(record + kFileLocation, kFileLocationWidth, value.location);
    record[kFileFlags] = value.flags;
}

FieldRecord DecodeFieldRecord(const uint8_t* record) {
    FieldRecord r;
    r.fieldId = le::GetU16(record + kFieldId);
    r.tableId = le::GetI16(record + kFieldTableId);
    r.name = ReadFixedText(record + kFieldName, kFieldNameWidth);
    r.type = record[kFieldType];
    r.offset = le::GetU16(record + kFieldOffset);
    r.size = le::GetU16(record + kFieldSize);
    r.decimals = record[kFieldDecimals];
    r.flags = le::GetU16(record + kFieldFlags);
    return r;
}

void EncodeFieldRecord(const FieldRecord& value, uint8_t* record) {
    std::memset(record, 0, kFieldRecordLength);
    le::PutU16(record + kFieldId, value.fieldId);
    le::PutI16(record + kFieldTableId, value.tableId);
    WriteFixedText(record + kFieldName, kFieldNameWidth, value.name);
    record[kFieldType] = value.type;
    le::PutU16(record + kFieldOffset, value.offset);
    le::PutU16(record + kFieldSize, value.size);
    record[kFieldDecimals] = value.decimals;
    le::PutU16(record + kFieldFlags, value.flags);
}

IndexRecord DecodeIndexRecord(const uint8_t* record) {
    IndexRecord r;
    r.tableId = le::GetI16(record + kIndexTableId);
    r.fieldId = le::GetU16(record + kIndexFieldId);
    r.number = le::GetU16(record + kIndexNumber);
    r.segment = le::GetU16(record + kIndexSegment);
    r.flags = le::GetU16(record + kIndexFlags);
    return r;
}

void EncodeIndexRecord(const IndexRecord& value, uint8_t* record) {
    std::memset(record, 0, kIndexRecordLength);
    le::PutI16(record + kIndexTableId, value.tableId);
    le::PutU16(record + kIndexFieldId, value.fieldId);
    le::PutU16(record + kIndexNumber, value.number);
    le::PutU16(record + kIndexSegment, value.segment);
    le::PutU16(record + kIndexFlags, value.flags);
}

}  // namespace ddf
