#include "fields/FieldList.h"

#include <algorithm>
#include <cstring>

#include "fields/FieldTypes.h"
#include "fields/FieldCodec.h"

FieldList::~FieldList() = default;

FieldAttributes* FieldList::Add(std::unique_ptr<FieldAttributes> field) {
    return Insert(fields.Count(), std::move(field));
}

FieldAttributes* FieldList::Insert(int index, std::unique_ptr<FieldAttributes> field) {
    if (!field) return nullptr;
    FieldAttributes* raw = field.release();
    raw->owner = this;
    index = std::clamp(index, 0, fields.Count());
    if (index == fields.Count()) {
        fields.Append(raw);
    } else {
        fields.SetCursor(index);
        fields.Insert(raw);
    }
    nameIndex.Insert(raw);
    Touch();
    return raw;
}

FieldAttributes* FieldList::Get(int i) const {
    if (i < 0 || i >= fields.Count()) return nullptr;
    return fields.Get(i);
}

void FieldList::Move(int from, int to) {
    if (fields.Count() == 0) return;
    from = std::clamp(from, 0, fields.Count() - 1);
    to = std::clamp(to, 0, fields.Count() - 1);
    while (from < to) {
        fields.Swap(from, from + 1);
        ++from;
    }
    while (from > to) {
        fields.Swap(from, from - 1);
        --from;
    }
    Touch();
}

FieldAttributes* FieldList::FindById(uint16_t id) const {
    for (int i = 0; i < fields.Count(); ++i)
        if (fields.Get(i)->id == id) return fields.Get(i);
    return nullptr;
}

bool FieldList::Remove(std::string_view name) {
    FieldAttributes* field = Find(name);
    return field != nullptr && Remove(field);
}

bool FieldList::Remove(const FieldAttributes* field) { return Take(field) != nullptr; }

std::unique_ptr<FieldAttributes> FieldList::Take(const FieldAttributes* field) {
    int i = fields.IndexOf(field);
    if (i < 0) return nullptr;
    nameIndex.Remove(field);
    std::unique_ptr<FieldAttributes> taken = fields.Take(i);
    taken->owner = nullptr;
    Touch();
    return taken;
}

void FieldList::Clear() {
    nameIndex.Clear();
    fields.Clear();
    Touch();
}

void FieldList::Rename(FieldAttributes* field, const Estring& name) {
    if (fields.IndexOf(field) < 0) return;
    nameIndex.Remove(field);
    field->name = name;
    nameIndex.Insert(field);
    Touch();
}

Estring FieldList::HeadingText(int line) const {
    Estring text;
    bool first = true;
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldAttributes* field = fields.Get(i);
        if (!field->selected) continue;
        int dot = field->name.FindChar('.');
        Estring part;
        if (line == 1)
            part = dot > 0 ? field->name.Left(dot) : Estring();
        else
            part = dot > 0 ? field->name.Mid(dot + 1) : field->name;
        if (!first) text += ' ';
        first = false;
        text += AlignToWidth(part, field->width);
    }
    return text;
}

int FieldList::RecordDataLength(const uint8_t* record, int recordLength) const {
    for (int i = fields.Count() - 1; i >= 0; --i) {
        const FieldAttributes* field = fields.Get(i);
        if (field->IsCalculated() || field->IsJoined()) continue;
        if (field->type != kTypeNote) return field->offset + field->length;
        // A Note is in use up to and including its terminating zero byte; one
        // without a terminator fills what it has of the field (a length past
        // that would have the engine read beyond the record).
        int available = recordLength - field->offset;
        if (available > field->length) available = field->length;
        if (record == nullptr || available <= 0) return field->offset + (field->length > 0 ? 1 : 0);
        const uint8_t* text = record + field->offset;
        const void* zero = std::memchr(text, 0, static_cast<size_t>(available));
        if (zero == nullptr) return field->offset + available;
        return field->offset + static_cast<int>(static_cast<const uint8_t*>(zero) - text) + 1;
    }
    return 0;
}

void FieldList::SetAlternateCollatingSequence(const uint8_t* map256) {
    hasCollation = map256 != nullptr;
    if (hasCollation) std::memcpy(collation.data(), map256, collation.size());
}
