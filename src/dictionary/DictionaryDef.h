#pragma once
// DictionaryDef: one table's definition read from the dictionary: its fields
// (the FieldList itself, in order of offset, then decimal places) and its
// indexes as lists of segments.
//
// Construction reads field.ddf (key 4) for the table, then the indexes:
// from index.ddf (key 2) when no open file is given, else from the open
// file's own specification (Stat). Callers test `valid`; a definition that
// is not valid opens and creates nothing.
//
// Each segment is a copy of its field whose `offset` is its offset in the
// key (the sizes of the segments before it), `dictionaryOffset` the field's
// offset in the record, `flags` the engine key flags (case-insensitive as
// 0x400) and `collatingNumber` the file's collating-sequence number.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/Estring.h"
#include "engine/Contract.h"
#include "fields/FieldList.h"

class BtrieveFile;

// Where a definition reports a failure: the two lines of a message box.
using DictionaryReport = std::function<void(const Estring& first, const Estring& second)>;

class DictionaryDef : public FieldList {
public:
    static constexpr int kMaxIndexes = 119;          // index numbers 0 to 118
    static constexpr int kStatBufferSize = static_cast<int>(qdx::wire::kStatBufferSize);
    static constexpr int kCollatingTableSize = 265;

    // fileRecord: the table's file.ddf record (at least 86 bytes: id, name,
    // location). dataFileName: the data file's path. openFile: the data file
    // open, or null. report: where failures go; null passes them to the
    // installed DictionaryMessages (dictionary/DictionaryMessages.h).
    // Requires: the dictionary is open (openDictionary).
    DictionaryDef(const uint8_t* fileRecord, const Estring& dataFileName, BtrieveFile* openFile,
                  const DictionaryReport& report = nullptr);
    ~DictionaryDef() override;

    // Replaces the indexes with those of an engine file specification (the
    // Stat buffer, kStatBufferSize bytes), as construction does with an open
    // file. False (with a report) when a key names a position no field has,
    // a key number above 118, or a key longer than the engine's keys.
    bool readIndexesFromSpecification(const uint8_t* specification);

    // Index n's segments (0 <= n < kMaxIndexes); empty when not defined.
    FieldList& index(int n) { return indexes[static_cast<size_t>(n)]; }
    const FieldList& index(int n) const { return indexes[static_cast<size_t>(n)]; }

    std::array<FieldList, kMaxIndexes> indexes;
    std::array<const uint8_t*, kMaxIndexes> indexCollatingTable{};  // none attached in this system
    int highestIndexNumber = -1;
    int segmentCount = 0;
    std::unique_ptr<uint8_t[]> collatingTables;  // collatingTableCount blocks of kCollatingTableSize
    int collatingTableCount = 0;
    int16_t tableId = 0;
    Estring tableName;
    Estring dataFileName;
    int recordEnd = 0;
    uint8_t valid = 0;

private:
    // False (with a report) when an index's segments are longer than a key.
    bool keysFit() const;
    int forEachRecordOfTable(BtrieveFile& file, int keyNumber, int tableIdOffset,
                             const std::function<bool(const uint8_t*)>& visit) const;
    bool readFields();
    bool readIndexesFromDictionary();
    bool readIndexesFromFile(BtrieveFile& file);
    void appendSegment(int indexNumber, const FieldAttributes& field, uint16_t keyFlags, uint8_t collating);
    void report(const Estring& first, const Estring& second) const;

    DictionaryReport reporter;
};
