#pragma once
// FieldList: the ordered fields of a view (display order) with a name index,
// the file's alternate collating sequence and the evaluator of calculated
// fields. FAStore: an owning store of fields kept outside a view list.
//
// The list owns its fields; adding a field sets its owner to the list.
// Pointers returned by Get/Find stay valid until the field is removed or the
// list is cleared or destroyed.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "base/Estring.h"
#include "base/ObjectList.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldnameIndex.h"
#include "fields/FormulaEvaluator.h"

class FAStore : public TObjectStore<FieldAttributes> {};

class FieldList {
public:
    FieldList() = default;
    FieldList(const FieldList&) = delete;
    FieldList& operator=(const FieldList&) = delete;
    virtual ~FieldList();

    // Appends field, indexes it by name and makes this list its owner. Returns the field.
    FieldAttributes* Add(std::unique_ptr<FieldAttributes> field);
    // As Add, at position index (clamped to 0 .. Count()).
    FieldAttributes* Insert(int index, std::unique_ptr<FieldAttributes> field);

    int Count() const { return fields.Count(); }
    // Field i in display order, null outside 0 .. Count()-1.
    FieldAttributes* Get(int i) const;
    // Position of field in the list, -1 when absent.
    int IndexOf(const FieldAttributes* field) const { return fields.IndexOf(field); }
    // Moves field from to position to (both clamped), keeping the others' order.
    void Move(int from, int to);

    // Index lookup by name, A-Z case ignored; null when there is none.
    FieldAttributes* Find(std::string_view name) const { return nameIndex.Find(name); }
    // First field in list order with this dictionary identifier, or null.
    FieldAttributes* FindById(uint16_t id) const;

    // Removes (and destroys) the field found by name; false when there is none.
    bool Remove(std::string_view name);
    // Removes (and destroys) this field; false when it is not in the list.
    bool Remove(const FieldAttributes* field);
    // Takes the field out of the list and gives it to the caller (owner cleared).
    std::unique_ptr<FieldAttributes> Take(const FieldAttributes* field);
    // Removes every field (list and index).
    void Clear();
    // Gives field a new name, keeping the name index in order.
    void Rename(FieldAttributes* field, const Estring& name);

    // A number that changes whenever the list changes: fields added, removed,
    // moved or renamed here, or Touch() called by code that changed a field's
    // type, offset or formula in place. Compiled formulas compare it to know
    // when to bind their field names again.
    uint64_t Version() const { return version; }
    void Touch() { ++version; }

    // The two heading lines of the grid: for every selected field in order,
    // the part of its name before the first "." (line 1; empty when the name
    // has no "." past its first character) and the part after it (line 2; the
    // whole name when there is none), each padded or cut to the field's width
    // (left-aligned for negative widths), columns separated by one space.
    Estring HeadingText(int line) const;

    // Length in use of record: from the last field of the file itself
    // (calculated and joined fields skipped), offset + length, or for a Note
    // field offset + its zero-terminated text length + 1 (a Note without its
    // zero byte ends with the field, or with the record when that is shorter).
    // Reads stay inside record[0 .. recordLength). 0 when the list has no
    // field of the file.
    int RecordDataLength(const uint8_t* record, int recordLength) const;

    // The file's alternate collating sequence (256-byte map), copied; null clears it.
    void SetAlternateCollatingSequence(const uint8_t* map256);
    // The map, or null when the file has none.
    const uint8_t* AlternateCollatingSequence() const { return hasCollation ? collation.data() : nullptr; }

    // The evaluator of calculated fields (shared with whoever else uses it).
    void SetFormulaEvaluator(std::shared_ptr<const FormulaEvaluator> evaluator) {
        formulaEvaluator = std::move(evaluator);
    }
    const std::shared_ptr<const FormulaEvaluator>& GetFormulaEvaluator() const { return formulaEvaluator; }

private:
    FAStore fields;
    FieldnameIndex nameIndex;
    std::array<uint8_t, 256> collation{};
    bool hasCollation = false;
    std::shared_ptr<const FormulaEvaluator> formulaEvaluator;
    uint64_t version = 1;
};
