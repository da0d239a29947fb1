#include "viewfile/JoinList.h"

#include <algorithm>
#include <cstring>

#include "btrieve/BtrieveFile.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryLayout.h"
#include "engine/Contract.h"
#include "expr/Expression.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"

namespace {

constexpr unsigned kVariableRecordBuffer = qdx::wire::kMaxRecordLength;
constexpr int kTableNameKey = 1;
constexpr int kTableNameLength = 20;

const FieldList kNoSegments;

// The table's file.ddf record by its dictionary name; false when there is none.
bool FindTableRecord(const Estring& name, std::vector<uint8_t>& record) {
    BtrieveFile& files = FileDictionary();
    if (!files.isOpen()) return false;
    uint8_t key[256] = {};
    const Estring padded = name.PadOrCut(kTableNameLength);
    std::memcpy(key, padded.Text(), kTableNameLength);
    record.assign(static_cast<size_t>(ddf::kFileRecordLength), 0);
    files.setDataLength(static_cast<uint16_t>(ddf::kFileRecordLength));
    return files.getEqual(key, record.data(), kTableNameKey) == 0;
}

}  // namespace

int OpenJoinedFileQuietly(BtrieveFile& file, const Estring& path, Estring& ownerName, unsigned& recordBufferSize) {
    const int status = file.open(ownerName.IsEmpty() ? path : path + "+" + ownerName, 0);
    if (status != 0) return status;
    recordBufferSize = (file.fileFlags() & qdx::wire::kFileVariable) != 0 ? kVariableRecordBuffer : file.recordLength();
    return 0;
}

// --- Join ---------------------------------------------------------------------------

Join::Join(std::unique_ptr<BtrieveFile> openFile, std::unique_ptr<DictionaryDef> table, unsigned recordBufferSize)
    : file(std::move(openFile)),
      definition(std::move(table)),
      bufferSize(std::max(1u, recordBufferSize)),
      buffer(std::make_unique<uint8_t[]>(bufferSize)) {}

Join::~Join() {
    compiled.clear();
    if (file) file->close();
}


const Estring& Join::DictionaryName() const { return definition->tableName; }

const FieldList& Join::Segments() const {
    if (keyNumber < 0 || keyNumber >= DictionaryDef::kMaxIndexes) return kNoSegments;
    return definition->index(keyNumber);
}

void Join::SetKeyNumber(int key) {
    keyNumber = key;
    Forget();
}

void Join::SetValues(const std::vector<Estring>& values) {
    joinValues = values;
    Compile();
}

void Join::Bind(const FieldList* list) {
    fields = list;
    Compile();
}

void Join::Compile() {
    compiled.clear();
    for (const Estring& value : joinValues) compiled.push_back(std::make_unique<Expression>(fields, value));
    Forget();
}

bool Join::BuildKey(const uint8_t* viewedRecord, int viewedLength, uint8_t* key) {
    std::memset(key, 0, kKeySize);
    const FieldList& segments = Segments();
    if (segments.Count() == 0) return false;
    for (int s = 0; s < segments.Count(); ++s) {
        if (s >= static_cast<int>(compiled.size())) return false;
        Variant value;
        if (!compiled[static_cast<size_t>(s)]->Evaluate(viewedRecord, viewedLength, value)) return false;
        if (!VariantToField(value, *segments.Get(s), key, kKeySize)) return false;
    }
    return true;
}

uint8_t* Join::JoinedRecord(const uint8_t* viewedRecord, int viewedLength, int& joinedLength) {
    joinedLength = 0;
    if (busy > 0) return nullptr;  // a value that names this join's own fields
    ++busy;
    uint8_t key[kKeySize];
    const bool built = BuildKey(viewedRecord, viewedLength, key);
    --busy;
    if (!built) return nullptr;
    if ((haveRecord || haveMiss) && std::memcmp(key, lastKey, kKeySize) == 0) {
        if (haveMiss) return nullptr;
        joinedLength = static_cast<int>(bufferSize);
        return buffer.get();
    }
    // The engine may write the key buffer back: search with a copy.
    uint8_t search[256] = {};
    std::memcpy(search, key, kKeySize);
    file->setDataLength(static_cast<uint16_t>(std::min<unsigned>(bufferSize, 0xFFFF)));
    std::memset(buffer.get(), 0, bufferSize);
    haveRecord = haveMiss = false;
    ++lookups;
    std::memcpy(lastKey, key, kKeySize);
    if (file->getEqual(search, buffer.get(), keyNumber) != 0) {
        // A key without a record is remembered too: every joined column of
        // that row would otherwise ask the engine again.
        haveMiss = true;
        return nullptr;
    }
    haveRecord = true;
    joinedLength = static_cast<int>(bufferSize);
    return buffer.get();
}

std::vector<std::unique_ptr<FieldAttributes>> Join::MakeFields() const {
    std::vector<std::unique_ptr<FieldAttributes>> made;
    for (int i = 0; i < definition->Count(); ++i) {
        auto field = std::make_unique<FieldAttributes>(*definition->Get(i));
        field->name = joinName + "." + field->name;
        field->join = const_cast<Join*>(this);
        field->owner = nullptr;
        field->selected = false;
        field->hasFrom = field->hasTo = false;
        field->width = DefaultDisplayWidth(*field);
        made.push_back(std::move(field));
    }
    return made;
}

JoinDescription Join::Describe() const {
    JoinDescription d;
    d.name = joinName;
    d.dictionaryName = definition->tableName;
    d.location = file->fileName();
    d.index = keyNumber;
    d.values = joinValues;
    return d;
}

// --- JoinList -----------------------------------------------------------------------

JoinList::JoinList(JoinFileOpener fileOpener) : opener(std::move(fileOpener)) {}

JoinList::~JoinList() = default;

Join* JoinList::Get(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return joins[static_cast<size_t>(i)].get();
}

Join* JoinList::Find(const Estring& name) const {
    for (const auto& join : joins)
        if (join->joinName == name) return join.get();
    return nullptr;
}

Join* JoinList::Append(std::unique_ptr<Join> join, FieldList& fields) {
    Join* raw = join.get();
    joins.push_back(std::move(join));
    for (auto& field : raw->MakeFields()) fields.Add(std::move(field));
    raw->Bind(&fields);
    return raw;
}

void JoinList::Remove(Join* join, FieldList& fields) {
    auto at = std::find_if(joins.begin(), joins.end(), [&](const auto& j) { return j.get() == join; });
    if (at == joins.end()) return;
    // The fields go first: nothing may point to the join once it is freed.
    for (int i = fields.Count() - 1; i >= 0; --i)
        if (fields.Get(i)->join == join) fields.Remove(fields.Get(i));
    joins.erase(at);
}

void JoinList::Bind(const FieldList* fields) {
    for (auto& join : joins) join->Bind(fields);
}

std::unique_ptr<Join> JoinList::OpenTable(const uint8_t* tableRecord, const Estring& path, Estring& ownerName,
                                          int& status) const {
    auto file = std::make_unique<BtrieveFile>();
    unsigned size = 0;
    status = opener ? opener(*file, path, ownerName, size) : OpenJoinedFileQuietly(*file, path, ownerName, size);
    if (status != 0) return nullptr;
    auto definition = std::make_unique<DictionaryDef>(tableRecord, file->fileName(), file.get(),
                                                      [](const Estring&, const Estring&) {});
    if (!definition->valid) {
        status = -1;
        return nullptr;
    }
    return std::make_unique<Join>(std::move(file), std::move(definition), size);
}

bool JoinList::AddJoin(const JoinDescription& description, FieldList& fields) {
    if (description.name.IsEmpty() || Find(description.name) != nullptr) return false;
    std::vector<uint8_t> record;
    if (!FindTableRecord(description.dictionaryName, record)) return false;
    int status = 0;
    Estring ownerName;  // a view file holds none
    std::unique_ptr<Join> join = OpenTable(record.data(), description.location, ownerName, status);
    if (!join) return false;
    join->joinName = description.name;
    join->SetKeyNumber(description.index);
    join->SetValues(description.values);
    Append(std::move(join), fields);
    return true;
}

void JoinList::RemoveJoins(FieldList& fields) {
    while (!joins.empty()) Remove(joins.back().get(), fields);
}

std::vector<JoinDescription> JoinList::Joins() const {
    std::vector<JoinDescription> described;
    for (const auto& join : joins) described.push_back(join->Describe());
    return described;
}
