#include "fields/FieldnameIndex.h"

#include <algorithm>

#include "fields/FieldAttributes.h"

namespace {

bool NameBefore(const FieldAttributes* field, std::string_view name) {
    return Estring::Compare(field->name.View(), name) < 0;
}
bool NameAfter(std::string_view name, const FieldAttributes* field) {
    return Estring::Compare(name, field->name.View()) < 0;
}

}  // namespace

void FieldnameIndex::Insert(FieldAttributes* field) {
    // After every equal name, so that lookup keeps finding the first one inserted.
    auto at = std::upper_bound(sorted.begin(), sorted.end(), field->name.View(), NameAfter);
    sorted.insert(at, field);
}

bool FieldnameIndex::Remove(const FieldAttributes* field) {
    auto it = std::find(sorted.begin(), sorted.end(), field);
    if (it == sorted.end()) return false;
    sorted.erase(it);
    return true;
}

FieldAttributes* FieldnameIndex::Find(std::string_view name) const {
    auto at = std::lower_bound(sorted.begin(), sorted.end(), name, NameBefore);
    if (at == sorted.end() || Estring::Compare((*at)->name.View(), name) != 0) return nullptr;
    return *at;
}
