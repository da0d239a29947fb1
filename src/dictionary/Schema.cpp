#include "dictionary/Schema.h"

#include <cstdio>
#include <cstdlib>

#include "dictionary/DictionaryLayout.h"
#include "dictionary/SchemaTypes.h"

uint16_t SchemaIndex::KeyFlags(size_t i) const {
    uint16_t flags = qdx::wire::kSegExtendedType;
    if (duplicates) flags |= qdx::wire::kSegDuplicates;
    if (modifiable) flags |= qdx::wire::kSegModifiable;
    if (nullAll) flags |= qdx::wire::kSegNullAll;
    if (nullAny) flags |= qdx::wire::kSegNullAny;
    if (i + 1 < segments.size()) flags |= qdx::wire::kSegSegmented;
    if (i < segments.size()) {
        if (segments[i].descending) flags |= qdx::wire::kSegDescending;
        if (segments[i].caseInsensitive) flags |= qdx::wire::kSegNoCase;
    }
    return flags;
}

uint16_t SchemaIndex::DictionaryFlags(size_t i) const {
    uint16_t flags = KeyFlags(i);
    if (flags & qdx::wire::kSegNoCase) flags = static_cast<uint16_t>((flags & ~qdx::wire::kSegNoCase) | ddf::kIndexCaseInsensitive);
    return flags;
}

int SchemaTable::RecordEnd() const {
    int end = 0;
    for (const SchemaField& f : fields) {
        const SchemaTypeRule* rule = FindSchemaTypeRule(f.type);
        if (rule && rule->variable) continue;
        if (f.offset + f.size > end) end = f.offset + f.size;
    }
    return end;
}

bool SchemaTable::VariableLength() const {
    for (const SchemaField& f : fields) {
        const SchemaTypeRule* rule = FindSchemaTypeRule(f.type);
        if (rule && rule->variable) return true;
    }
    return false;
}

int SchemaTable::FindField(const Estring& fieldName) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == fieldName) return static_cast<int>(i);
    return -1;
}

namespace {

// The dictionary's own files, in the schema language. Key 4 of field.ddf
// orders a table's fields by offset, so its segments are numbers, not text.
const char kDictionarySchemaText[] = R"(
table "DDF Files" location file.ddf
  field Id Integer 2
  field Name String 20
  field Location String 64
  field Flags "Unsigned Integer" 1
  field Reserved String 10
  index 0 : Id
  index 1 : Name case-insensitive
table "DDF Fields" location field.ddf
  field Id "Unsigned Integer" 2
  field Table Integer 2
  field Name String 20
  field Type "Unsigned Integer" 1
  field Offset "Unsigned Integer" 2
  field Size "Unsigned Integer" 2
  field Decimals "Unsigned Integer" 1
  field Flags "Unsigned Integer" 2
  index 0 : Id
  index 1 duplicates : Table
  index 2 duplicates : Name case-insensitive
  index 3 : Table, Name case-insensitive
  index 4 duplicates : Table, Offset, Decimals
table "DDF Indexes" location index.ddf
  field Table Integer 2
  field Field "Unsigned Integer" 2
  field Number "Unsigned Integer" 2
  field Segment "Unsigned Integer" 2
  field Flags "Unsigned Integer" 2
  index 0 duplicates : Table
  index 1 duplicates : Field
  index 2 : Table, Number, Segment
)";

}  // namespace

const Schema& DictionarySchema() {
    static const Schema schema = [] {
        Schema s;
        SchemaError error;
        if (!ParseSchemaText(kDictionarySchemaText, s, error, false)) {
            // A fault in the constant above: nothing can be written without it.
            std::fprintf(stderr, "dictionary schema, line %d: %s\n", error.line, error.message.Text());
            std::abort();
        }
        for (SchemaTable& t : s.tables) t.dictionary = true;
        return s;
    }();
    return schema;
}
