#pragma once
// FieldnameIndex: the fields of a list sorted by name, letter case of A-Z
// ignored, for binary-search lookup. Fields whose names differ only in case
// share one place: lookup finds the one inserted first. Holds references
// only; the FieldList owns the fields.

#include <string_view>
#include <vector>

class FieldAttributes;

class FieldnameIndex {
public:
    void Insert(FieldAttributes* field);
    // Removes this field (pointer identity); false when it is not indexed.
    bool Remove(const FieldAttributes* field);
    // The field named name (A-Z case ignored), or null.
    FieldAttributes* Find(std::string_view name) const;
    void Clear() { sorted.clear(); }
    int Count() const { return static_cast<int>(sorted.size()); }

private:
    std::vector<FieldAttributes*> sorted;
};
