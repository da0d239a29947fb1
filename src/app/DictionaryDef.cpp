#include "app/DictionaryDef.h"

#include <algorithm>
#include <cstring>

#include "app/Dictionary.h"
#include "app/DictionaryLayout.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

namespace {

constexpr int kStatusEndOfFile = 9;
constexpr int kRecordBufferSize = 4096;  // more than any dictionary record
constexpr int kKeyBufferSize = 256;

// Stat buffer as read here (the engine's file specification):
//   OFFSET  WIDTH  MEANING
//   4       1      number of keys
//   16      16n    segment entries: position (2, 1-based) at 0, key flags
//                  (2) at 4, key number (1) at 14, collating-sequence
//                  number (1) at 15
constexpr int kStatKeyCount = 4;
constexpr int kStatFirstSegment = 16;
constexpr int kStatSegmentSize = 16;
constexpr int kStatSegmentPosition = 0;
constexpr int kStatSegmentFlags = 4;
constexpr int kStatSegmentKeyNumber = 14;
constexpr int kStatSegmentCollating = 15;
constexpr int kStatMaxSegments = 119;  // segment entries read at most
constexpr uint16_t kKeySegmented = 0x0010;
constexpr uint16_t kKeyCaseInsensitive = 0x0400;

}  // namespace

DictionaryDef::DictionaryDef(const uint8_t* fileRecord, const Estring& dataFile, BtrieveFile* openFile,
                             const DictionaryReport& reportTo)
    : reporter(reportTo) {
    tableId = le::GetI16(fileRecord + ddf::kFileTableId);
    tableName = ddf::ReadFixedText(fileRecord + ddf::kFileTableName, ddf::kFileTableNameWidth);
    dataFileName = dataFile;
    bool fieldsRead = readFields();
    bool indexesRead = openFile ? readIndexesFromFile(*openFile) : readIndexesFromDictionary();
    valid = fieldsRead && indexesRead;
}

DictionaryDef::~DictionaryDef() = default;

void DictionaryDef::report(const Estring& first, const Estring& second) const {
    if (reporter)
        reporter(first, second);
    else
        ShowDictionaryMessage(first, second);
}

bool DictionaryDef::readFields() {
    BtrieveFile& fields = FieldDictionary();
    uint8_t key[kKeyBufferSize] = {};
    le::PutI16(key, tableId);
    uint8_t record[kRecordBufferSize];
    std::memset(record, 0, sizeof record);
    fields.setDataLength(kRecordBufferSize);
    int status = fields.getGreaterOrEqual(key, record, ddf::kFieldKeyByTable);
    while (status == 0) {
        ddf::FieldRecord r = ddf::DecodeFieldRecord(record);
        if (r.tableId != tableId) break;
        if (r.size > 0) {
            Add(FieldAttributes::FromDictionary(r.name.View(), r.type, r.offset, r.size, r.flags, r.fieldId,
                                                r.decimals));
            if (r.type != kTypeNote && r.type != kTypeLvar && r.offset + r.size > recordEnd)
                recordEnd = r.offset + r.size;
        }
        std::memset(record, 0, sizeof record);
        fields.setDataLength(kRecordBufferSize);
        status = fields.getNext(key, record, ddf::kFieldKeyByTable);
    }
    if (status != 0 && status != kStatusEndOfFile) {
        report(statusText(status), "reading field list from field.ddf");
        return false;
    }
    return true;
}

void DictionaryDef::appendSegment(int indexNumber, const FieldAttributes& field, uint16_t keyFlags,
                                  uint8_t collating) {
    FieldList& segments = indexes[static_cast<size_t>(indexNumber)];
    int offsetInKey = 0;
    for (int i = 0; i < segments.Count(); ++i) offsetInKey += segments.Get(i)->length;
    auto segment = std::make_unique<FieldAttributes>(field);
    segment->offset = static_cast<uint16_t>(offsetInKey);
    segment->flags = keyFlags;
    segment->collatingNumber = collating;
    segment->owner = nullptr;
    segments.Add(std::move(segment));
    ++segmentCount;
}

bool DictionaryDef::readIndexesFromDictionary() {
    BtrieveFile& indexFile = IndexDictionary();
    uint8_t key[kKeyBufferSize] = {};
    le::PutI16(key, tableId);
    uint8_t record[kRecordBufferSize];
    std::memset(record, 0, sizeof record);
    indexFile.setDataLength(kRecordBufferSize);
    int status = indexFile.getGreaterOrEqual(key, record, ddf::kIndexKeyByTable);
    highestIndexNumber = -1;
    while (status == 0) {
        ddf::IndexRecord r = ddf::DecodeIndexRecord(record);
        if (r.tableId != tableId) break;
        if (r.number > highestIndexNumber) highestIndexNumber = r.number;
        if (r.number >= kMaxIndexes) {
            report("Index number too large", "Limit is " + Estring::FromInt(kMaxIndexes - 1));
            return false;
        }
        if (const FieldAttributes* field = FindById(r.fieldId)) {
            uint16_t flags = r.flags;
            if (flags & ddf::kIndexCaseInsensitive)
                flags = static_cast<uint16_t>((flags & ~ddf::kIndexCaseInsensitive) | kKeyCaseInsensitive);
            appendSegment(r.number, *field, flags, 0);
        }
        std::memset(record, 0, sizeof record);
        indexFile.setDataLength(kRecordBufferSize);
        status = indexFile.getNext(key, record, ddf::kIndexKeyByTable);
    }
    return status == 0 || status == kStatusEndOfFile;
}

bool DictionaryDef::readIndexesFromFile(BtrieveFile& file) {
    std::unique_ptr<uint8_t[]> stat(new uint8_t[kStatBufferSize]());
    highestIndexNumber = -1;
    if (file.stat(stat.get()) != 0) return true;  // no indexes, still valid
    return readIndexesFromSpecification(stat.get());
}

// Key numbers: a key's number is its first entry's key-number byte, but at
// least one above the previous key's; a later segment's byte may raise it.
bool DictionaryDef::readIndexesFromSpecification(const uint8_t* specification) {
    for (FieldList& index : indexes) index.Clear();
    segmentCount = 0;
    highestIndexNumber = -1;
    const uint8_t* stat = specification;
    int keyCount = stat[kStatKeyCount];
    int keysComplete = 0;
    int keyNumber = -1;
    bool newKey = true;
    for (int segment = 0; keysComplete < keyCount && segment < kStatMaxSegments; ++segment) {
        const uint8_t* entry = stat + kStatFirstSegment + kStatSegmentSize * segment;
        int entryKey = entry[kStatSegmentKeyNumber];
        if (newKey)
            keyNumber = keyNumber < 0 ? entryKey : std::max(entryKey, keyNumber + 1);
        else
            keyNumber = std::max(entryKey, keyNumber);
        uint16_t position = le::GetU16(entry + kStatSegmentPosition);
        uint16_t flags = le::GetU16(entry + kStatSegmentFlags);
        const FieldAttributes* field = nullptr;
        for (int i = 0; i < Count() && !field; ++i)
            if (Get(i)->dictionaryOffset + 1 == position) field = Get(i);
        if (!field) {
            report("Error loading index " + Estring::FromInt(keyNumber), "Field not defined in dictionary");
            return false;
        }
        if (keyNumber >= kMaxIndexes) {
            report("Index number too large", "Limit is " + Estring::FromInt(kMaxIndexes - 1));
            return false;
        }
        appendSegment(keyNumber, *field, flags, entry[kStatSegmentCollating]);
        highestIndexNumber = keyNumber;
        newKey = (flags & kKeySegmented) == 0;
        if (newKey) ++keysComplete;
    }
    return true;
}
