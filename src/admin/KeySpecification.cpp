#include "admin/KeySpecification.h"

#include <algorithm>
#include <array>
#include <memory>

#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "dictionary/DictionaryDef.h"
#include "engine/Contract.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldList.h"
#include "fields/FieldTypes.h"

namespace {

using namespace qdx::wire;

constexpr int kStatusDataBufferLength = kDataBufferLength;
constexpr int kKeepNumbers = 0x80;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

IndexSegment NewIndexSegment(const FieldAttributes& field) {
    IndexSegment segment;
    segment.field = &field;
    return segment;
}

bool HasCase(const IndexSegment& segment) { return segment.field != nullptr && IsTextType(segment.field->type); }

std::vector<uint8_t> BuildKeySpecification(const std::vector<IndexSegment>& segments, const IndexOptions& options) {
    std::vector<uint8_t> specification(segments.size() * kSegmentEntrySize, 0);
    uint16_t keyFlags = kSegExtendedType;
    if (options.duplicates) keyFlags |= kSegDuplicates;
    if (options.modifiable) keyFlags |= kSegModifiable;
    if (options.nullKey == NullKey::kAllSegments) keyFlags |= kSegNullAll;
    if (options.nullKey == NullKey::kAnySegment) keyFlags |= kSegNullAny;
    for (size_t i = 0; i < segments.size(); ++i) {
        const IndexSegment& segment = segments[i];
        uint8_t* entry = &specification[i * kSegmentEntrySize];
        uint16_t flags = keyFlags;
        if (i + 1 < segments.size()) flags |= kSegSegmented;
        if (segment.descending) flags |= kSegDescending;
        if (HasCase(segment) && !segment.caseSensitive) flags |= kSegNoCase;
        le::PutU16(entry + kSegPosition, static_cast<uint16_t>(segment.field->dictionaryOffset + 1));
        le::PutU16(entry + kSegLength, segment.field->length);
        le::PutU16(entry + kSegFlags, flags);
        entry[kSegType] = segment.field->type;
    }
    return specification;
}

int CreateIndex(BtrieveFile& file, const std::vector<IndexSegment>& segments, const IndexOptions& options) {
    if (segments.empty()) return kStatusDataBufferLength;
    const std::vector<uint8_t> specification = BuildKeySpecification(segments, options);
    return file.createSupplementalIndex(specification.data(), static_cast<int>(segments.size()));
}

int DropIndex(BtrieveFile& file, int keyNumber, bool renumber) {
    return file.dropSupplementalIndex(renumber ? keyNumber : keyNumber + kKeepNumbers);
}

int KeyAfterDrop(int key, int dropped, bool renumber) {
    if (key == dropped) return -1;
    if (renumber && key > dropped) return key - 1;
    return key;
}

bool RereadIndexes(DictionaryDef& table, BtrieveFile& file, int followKey, int newFollowKey) {
    // The bounds the grid set on its index belong to its segments, which the
    // re-read makes anew.
    std::vector<std::array<bool, 2>> bounds;
    if (followKey >= 0 && followKey < DictionaryDef::kMaxIndexes) {
        const FieldList& segments = table.index(followKey);
        for (int s = 0; s < segments.Count(); ++s) bounds.push_back({segments.Get(s)->hasFrom, segments.Get(s)->hasTo});
    }
    std::unique_ptr<uint8_t[]> stat(new uint8_t[DictionaryDef::kStatBufferSize]());
    if (file.stat(stat.get()) != 0) return false;
    if (!table.readIndexesFromSpecification(stat.get())) return false;
    if (newFollowKey >= 0 && newFollowKey < DictionaryDef::kMaxIndexes) {
        FieldList& segments = table.index(newFollowKey);
        if (segments.Count() == static_cast<int>(bounds.size())) {
            for (int s = 0; s < segments.Count(); ++s) {
                segments.Get(s)->hasFrom = bounds[static_cast<size_t>(s)][0];
                segments.Get(s)->hasTo = bounds[static_cast<size_t>(s)][1];
            }
        }
    }
    return true;
}

bool ParseIndexSegments(const std::string& text, const FieldList& fields, std::vector<IndexSegment>& segments,
                        std::string& error) {
    segments.clear();
    if (Trim(text).empty()) {
        error = "no field named";
        return false;
    }
    for (const std::string& part : Split(text, ',')) {
        std::vector<std::string> words = Split(part, '/');
        const std::string name = Trim(words[0]);
        if (name.empty()) {
            error = "empty segment in '" + text + "'";
            return false;
        }
        const FieldAttributes* field = nullptr;
        for (int i = 0; i < fields.Count() && field == nullptr; ++i) {
            const FieldAttributes* candidate = fields.Get(i);
            if (!candidate->IsCalculated() && Estring::Compare(candidate->name.View(), Estring(name).View()) == 0)
                field = candidate;
        }
        if (field == nullptr) {
            error = "no field named '" + name + "'";
            return false;
        }
        IndexSegment segment = NewIndexSegment(*field);
        for (size_t w = 1; w < words.size(); ++w) {
            const std::string flag = Lower(Trim(words[w]));
            if (flag == "asc") {
                segment.descending = false;
            } else if (flag == "desc") {
                segment.descending = true;
            } else if (flag == "case" || flag == "nocase") {
                if (!HasCase(segment)) {
                    error = "'" + name + "' is not a text field: '" + flag + "' does not apply";
                    return false;
                }
                segment.caseSensitive = flag == "case";
            } else {
                error = "unknown flag '" + Trim(words[w]) + "' (asc, desc, case, nocase)";
                return false;
            }
        }
        segments.push_back(segment);
    }
    return true;
}
