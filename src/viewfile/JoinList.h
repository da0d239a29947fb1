#pragma once
// Joins: other tables linked to the viewed one by key. For every viewed
// record a join computes a key of one index of the joined file from one
// formula per segment, reads the matching record (Get Equal) and offers it
// to the joined fields ("join.field") of the view's FieldList.
//
// Nothing here touches the screen: the browser adds the dialogs, and a
// caller that may ask the user for an owner name installs a JoinFileOpener.
//
// Ownership: a JoinList owns its joins; a join owns its open file, its
// definition, its record buffer and its compiled join values. Joined fields
// live in the view's FieldList and point to their join, so a join is removed
// only after its fields are taken out of that list (Remove does both).

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "fields/FieldJoin.h"
#include "viewfile/View.h"

class BtrieveFile;
class DictionaryDef;
class Expression;
class FieldAttributes;
class FieldList;

// Opens a joined table's file at path with ownerName (which an opener that
// asks the user may change); recordBufferSize receives the size of the
// join's record buffer. Returns the engine status (the opener shows a
// failure itself when it can).
using JoinFileOpener =
    std::function<int(BtrieveFile& file, const Estring& path, Estring& ownerName, unsigned& recordBufferSize)>;

// Opens path with ownerName, asking nobody; the buffer is 32768 bytes for a
// file with variable-length records, else the record length.
int OpenJoinedFileQuietly(BtrieveFile& file, const Estring& path, Estring& ownerName, unsigned& recordBufferSize);

class Join : public FieldJoin {
public:
    static constexpr int kKeySize = 255;

    // Takes over an open file and the table's definition (built over it).
    // Requires: file is open; definition is valid.
    Join(std::unique_ptr<BtrieveFile> file, std::unique_ptr<DictionaryDef> definition, unsigned recordBufferSize);
    ~Join() override;
    Join(const Join&) = delete;
    Join& operator=(const Join&) = delete;

    // fetchJoinedRecord: builds the key from the join values over
    // viewedRecord; when it equals the cached key the buffer is returned as
    // it is (or null again when that key had no record), otherwise the
    // record is read with Get Equal. Null when a value cannot be evaluated
    // or stored in its segment, or nothing matches.
    uint8_t* JoinedRecord(const uint8_t* viewedRecord, int viewedLength, int& joinedLength) override;

    // Builds the lookup key into key (kKeySize bytes, cleared first). False
    // when a value cannot be evaluated or stored in its segment's type.
    bool BuildKey(const uint8_t* viewedRecord, int viewedLength, uint8_t* key);

    // The formulas, compiled once over fields (the view's list, which must
    // outlive the join or be replaced by another Bind). Forgets the cached record.
    void SetValues(const std::vector<Estring>& values);
    void Bind(const FieldList* fields);
    const std::vector<Estring>& Values() const { return joinValues; }

    // The index used for the lookup; forgets the cached record.
    void SetKeyNumber(int key);
    int KeyNumber() const { return keyNumber; }
    // keyNumber's segments (empty when the index is not defined).
    const FieldList& Segments() const;

    DictionaryDef& Definition() { return *definition; }
    BtrieveFile& File() { return *file; }
    const Estring& DictionaryName() const;

    // Joined fields: a copy of every field of the table, named name + "." +
    // field name, pointing to this join, at its default width, not selected.
    std::vector<std::unique_ptr<FieldAttributes>> MakeFields() const;

    // The join as a view file saves it.
    JoinDescription Describe() const;

    // Drops the cached record (and a cached miss): the next read asks the
    // engine again, so a refresh shows what others have changed meanwhile.
    void Forget() { haveRecord = haveMiss = false; }

    // Get Equal calls made so far (the cache's yardstick).
    long long Lookups() const { return lookups; }

    Estring joinName;

private:
    void Compile();

    std::unique_ptr<BtrieveFile> file;
    std::unique_ptr<DictionaryDef> definition;
    unsigned bufferSize = 0;
    std::unique_ptr<uint8_t[]> buffer;
    int keyNumber = 0;
    std::vector<Estring> joinValues;
    std::vector<std::unique_ptr<Expression>> compiled;
    const FieldList* fields = nullptr;
    uint8_t lastKey[kKeySize] = {};
    bool haveRecord = false;
    bool haveMiss = false;  // lastKey was looked up and has no record
    int busy = 0;  // a join value that reads this join's own fields finds no record
    long long lookups = 0;
};

class JoinList : public ViewJoiner {
public:
    explicit JoinList(JoinFileOpener opener = OpenJoinedFileQuietly);
    ~JoinList() override;
    JoinList(const JoinList&) = delete;
    JoinList& operator=(const JoinList&) = delete;

    void SetOpener(JoinFileOpener opener) { this->opener = std::move(opener); }
    const JoinFileOpener& Opener() const { return opener; }

    int Count() const { return static_cast<int>(joins.size()); }
    Join* Get(int i) const;
    // The join of that name (A-Z case ignored), or null.
    Join* Find(const Estring& name) const;

    // Appends join and its fields (at the end of fields), binding its values to fields.
    Join* Append(std::unique_ptr<Join> join, FieldList& fields);
    // Takes the join's fields out of fields, then closes and frees it.
    void Remove(Join* join, FieldList& fields);
    // Binds every join's values to fields (a view made again takes the joins over).
    void Bind(const FieldList* fields);

    // Opens the table named by tableRecord (its file.ddf record) at path
    // through the opener. Null with status set (-1 for a definition that is
    // not valid) when the file cannot be opened or its definition is not valid.
    std::unique_ptr<Join> OpenTable(const uint8_t* tableRecord, const Estring& path, Estring& ownerName,
                                    int& status) const;

    // Every join's cached record dropped (the grid's refresh).
    void ForgetRecords() const {
        for (const auto& join : joins) join->Forget();
    }

    // ViewJoiner: the joins of a view file.
    bool AddJoin(const JoinDescription& join, FieldList& fields) override;
    void RemoveJoins(FieldList& fields) override;
    std::vector<JoinDescription> Joins() const override;

private:
    JoinFileOpener opener;
    std::vector<std::unique_ptr<Join>> joins;
};
