#include "dictionary/DictionaryDef.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryLayout.h"
#include "dictionary/DictionaryMessages.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineBinding.h"
#include "btrieve/StatusText.h"

namespace {

constexpr int kRecordBufferSize = 4096;  // more than any dictionary record

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

// Calls visit with each record of a dictionary file whose table id (the
// first two bytes of key keyNumber, at tableIdOffset in the record) is this
// table's, in that key's order, until visit answers false. The engine status
// that ended the walk: 0, or 9 at the end.
int DictionaryDef::forEachRecordOfTable(BtrieveFile& file, int keyNumber, int tableIdOffset,
                                        const std::function<bool(const uint8_t*)>& visit) const {
    uint8_t key[kKeyBufferSize] = {};
    le::PutI16(key, tableId);
    uint8_t record[kRecordBufferSize];
    std::memset(record, 0, sizeof record);
    file.setDataLength(kRecordBufferSize);
    int status = file.getGreaterOrEqual(key, record, keyNumber);
    while (status == 0) {
        if (le::GetI16(record + tableIdOffset) != tableId || !visit(record)) return 0;
        std::memset(record, 0, sizeof record);
        file.setDataLength(kRecordBufferSize);
        status = file.getNext(key, record, keyNumber);
    }
    return status;
}

bool DictionaryDef::readFields() {
    int status = forEachRecordOfTable(FieldDictionary(), ddf::kFieldKeyByTable, ddf::kFieldTableId, [this](const uint8_t* record) {
        ddf::FieldRecord r = ddf::DecodeFieldRecord(record);
        if (r.size > 0) {
            Add(FieldAttributes::FromDictionary(r.name.View(), r.type, r.offset, r.size, r.flags, r.fieldId,
                                                r.decimals));
            if (r.type != kTypeNote && r.type != kTypeLvar && r.offset + r.size > recordEnd)
                recordEnd = r.offset + r.size;
        }
        return true;
    });
    if (status != 0 && status != qdx::wire::kEndOfFile) {
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
    highestIndexNumber = -1;
    bool tooLarge = false;
    int status = forEachRecordOfTable(IndexDictionary(), ddf::kIndexKeyByTable, ddf::kIndexTableId, [&](const uint8_t* record) {
        ddf::IndexRecord r = ddf::DecodeIndexRecord(record);
        if (r.number > highestIndexNumber) highestIndexNumber = r.number;
        if (r.number >= kMaxIndexes) {
            report("Index number too large", "Limit is " + Estring::FromInt(kMaxIndexes - 1));
            tooLarge = true;
            return false;
        }
        if (const FieldAttributes* field = FindById(r.fieldId)) {
            uint16_t flags = r.flags;
            if (flags & ddf::kIndexCaseInsensitive)
                flags = static_cast<uint16_t>((flags & ~ddf::kIndexCaseInsensitive) | qdx::wire::kSegNoCase);
            appendSegment(r.number, *field, flags, 0);
        }
        return true;
    });
    return !tooLarge && (status == 0 || status == qdx::wire::kEndOfFile) && keysFit();
}

// A field's size comes from field.ddf, not from the key: a damaged size
// would make an index longer than any key the engine hands back.
bool DictionaryDef::keysFit() const {
    for (int n = 0; n <= highestIndexNumber && n < kMaxIndexes; ++n) {
        const FieldList& segments = indexes[static_cast<size_t>(n)];
        long keyLength = 0;
        for (int i = 0; i < segments.Count(); ++i) keyLength += segments.Get(i)->length;
        if (keyLength > qdx::wire::kMaxKeyLength) {
            report("Error loading index " + Estring::FromInt(n),
                   "Key is longer than " + Estring::FromInt(qdx::wire::kMaxKeyLength) + " bytes");
            return false;
        }
    }
    return true;
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
    int keyCount = stat[qdx::wire::kSpecKeyCount];
    int keysComplete = 0;
    int keyNumber = -1;
    bool newKey = true;
    for (int segment = 0; keysComplete < keyCount && segment < qdx::wire::kMaxKeys; ++segment) {
        const uint8_t* entry = stat + qdx::wire::kSpecHeaderSize + qdx::wire::kSegmentEntrySize * segment;
        int entryKey = entry[qdx::wire::kSegKeyNumber];
        if (newKey)
            keyNumber = keyNumber < 0 ? entryKey : std::max(entryKey, keyNumber + 1);
        else
            keyNumber = std::max(entryKey, keyNumber);
        uint16_t position = le::GetU16(entry + qdx::wire::kSegPosition);
        uint16_t flags = le::GetU16(entry + qdx::wire::kSegFlags);
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
        appendSegment(keyNumber, *field, flags, entry[qdx::wire::kSegCollation]);
        highestIndexNumber = keyNumber;
        newKey = (flags & qdx::wire::kSegSegmented) == 0;
        if (newKey) ++keysComplete;
    }
    return keysFit();
}
