#include "viewer/SortRestrict.h"

#include <algorithm>
#include <cstring>

#include "admin/KeySpecification.h"
#include "dictionary/DictionaryDef.h"
#include "base/EstringStore.h"
#include "engine/Contract.h"
#include "expr/Expression.h"
#include "fields/FieldCodec.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/ChooseField.h"
#include "viewer/FileViewer.h"
#include "viewer/HelpViewer.h"
#include "viewer/IndexAdmin.h"
#include "viewer/KeyText.h"

namespace {

using qdx::wire::kSegAltCollation;
using qdx::wire::kSegDescending;
using qdx::wire::kSegDuplicates;
using qdx::wire::kSegModifiable;
using qdx::wire::kSegNoCase;
using qdx::wire::kSegNullAll;
using qdx::wire::kSegNullAny;
using qdx::wire::kSegRepeatingDuplicates;

constexpr const char* kIndexHint = " Insert=Add Index  Delete=Remove Index  Alt-D=Details ";
constexpr uint8_t kHintAttribute = 0x3E;
constexpr int kMaxIndexRows = 20;
constexpr int kRestrictWidth = 50;
constexpr int kBoundLength = 40;
constexpr int kFilterLength = 128;
// Each entry a group of its own, so that Tab steps from one to the next.
constexpr int kOwnGroup = 1;

const FieldList* SegmentsOf(const DictionaryDef& table, int key) {
    if (key < 0 || key >= DictionaryDef::kMaxIndexes) return nullptr;
    return &table.index(key);
}

Estring BoundText(const std::vector<Estring>& texts, int segment) {
    return segment < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(segment)].Trim() : Estring();
}

// The key images of the bounds: each given bound stored as a typed key value,
// each missing one the end of its type that leaves the segment open. False with badField
// naming the first segment whose text is not a value of its type.
bool ConvertBounds(const FieldList& segments, const std::vector<Estring>& from, const std::vector<Estring>& to,
                   uint8_t* lower, uint8_t* upper, Estring& badField) {
    const int size = RecordListWindow::kRangeSize;
    for (int s = 0; s < segments.Count(); ++s) {
        const FieldAttributes& segment = *segments.Get(s);
        const bool descending = (segment.flags & kSegDescending) != 0;
        // One end of the segment: the typed bound, or the open end (the
        // type's lowest at the start of the key order, its highest at the end).
        auto bound = [&](const Estring& text, uint8_t* image, bool atStart) {
            if (!text.IsEmpty()) return StoreKeyText(segment, image, size, text);
            if (atStart) SetFieldLowest(segment, image, size);
            else SetFieldHighest(segment, image, size);
            return true;
        };
        if (!bound(BoundText(from, s), lower, !descending) || !bound(BoundText(to, s), upper, descending)) {
            badField = segment.name;
            return false;
        }
    }
    return true;
}

}  // namespace

// --- Choose Index ------------------------------------------------------------------

std::vector<Estring> IndexChoiceLines(const DictionaryDef& table) {
    std::vector<Estring> lines{Estring("    Unsorted")};
    for (int key = 0; key <= table.highestIndexNumber && key < DictionaryDef::kMaxIndexes; ++key) {
        const FieldList& segments = table.index(key);
        Estring line = Estring::FromInt(key).PadOrCutLeft(2) + ": ";
        if (segments.Count() == 0) {
            line += "None";
        } else {
            for (int s = 0; s < segments.Count(); ++s) {
                if (s > 0) line += ",";
                line += segments.Get(s)->name;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

int chooseIndex(DictionaryDef& table, BtrieveFile& file, int currentKey, int* viewKey) {
    int current = -1;
    for (;;) {
        const std::vector<Estring> lines = IndexChoiceLines(table);
        EstringStore list;
        int longest = 0;
        for (const Estring& line : lines) {
            list.Append(std::make_unique<Estring>(line));
            longest = std::max(longest, line.Length());
        }
        int screenWidth = 80, screenHeight = 25;
        RawWindow::GetScreenSize(screenWidth, screenHeight);
        // Wide enough for the key hint too, so that it is never cut.
        const int hintLength = static_cast<int>(std::strlen(kIndexHint));
        const int width = std::min(std::max(longest, hintLength + 1) + 2, screenWidth - 4);
        const int rows = std::min(static_cast<int>(lines.size()), kMaxIndexRows);
        const int lastItem = static_cast<int>(lines.size()) - 1;
        if (current < 0) current = currentKey < 0 ? 0 : std::min(currentKey + 1, lastItem);
        current = std::min(current, lastItem);

        Dialog dialog(-1, -1, width, rows + 3, 0x70, 0);
        dialog.AddHeading("Choose Index", 1);
        dialog.AddListBoxEstring(0, 0, 0, width - 2, rows, list, current, kKeyEnter);
        dialog.AddText(1, rows, Estring(kIndexHint).Left(width - 3), kHintAttribute);
        dialog.AddExitKey(kKeyInsert);
        dialog.AddExitKey(kKeyDelete);
        dialog.AddExitKey(kKeyAltD);
        bool changed = false;
        while (!changed) {
            const int code = dialog.Run();
            if (code == kKeyEsc) return kIndexCancelled;
            const int key = current - 1;
            if (code == kKeyEnter) {
                if (current == 0) return -1;
                if (key >= 0 && table.index(key).Count() > 0) return key;
                continue;  // an index the dictionary does not define cannot be chosen
            }
            if (code == kKeyAltD && key >= 0) showIndexDetails(table, key);
            // After a create or a drop the list is made again from the file's own indexes.
            const int follow = viewKey != nullptr ? *viewKey : -1;
            if (code == kKeyInsert && createIndex(table, file)) {
                RereadIndexes(table, file, follow, follow);
                changed = true;
            }
            bool renumbered = false;
            if (code == kKeyDelete && key >= 0 && table.index(key).Count() > 0 && dropIndex(file, key, renumbered)) {
                const int moved = KeyAfterDrop(follow, key, renumbered);
                RereadIndexes(table, file, follow, moved);
                if (viewKey != nullptr) *viewKey = moved;
                changed = true;
            }
        }
    }
}

std::vector<Estring> IndexDetailLines(const DictionaryDef& table, int keyNumber) {
    std::vector<Estring> lines;
    const FieldList* segments = SegmentsOf(table, keyNumber);
    const uint16_t flags = segments != nullptr && segments->Count() > 0 ? segments->Get(0)->flags : 0;
    auto labelled = [](const char* label, const char* value) { return Estring(label).PadOrCut(12) + value; };
    const char* duplicates = (flags & kSegDuplicates) == 0 ? "No"
                             : (flags & kSegRepeatingDuplicates) != 0 ? "Yes (repeating)"
                                                                   : "Yes";
    lines.push_back(labelled("Duplicates:", duplicates));
    lines.push_back(labelled("Modifiable:", (flags & kSegModifiable) != 0 ? "Yes" : "No"));
    const char* nulls = (flags & kSegNullAll) != 0 ? "All Segments" : (flags & kSegNullAny) != 0 ? "Any Segment" : "No";
    lines.push_back(labelled("  Null Key:", nulls));
    lines.push_back(Estring());
    lines.push_back("KeyName              Type                Case Direction ACS");
    if (segments == nullptr) return lines;
    for (int s = 0; s < segments->Count(); ++s) {
        const FieldAttributes& segment = *segments->Get(s);
        Estring line = segment.name.PadOrCut(21) + DataTypeDescription(segment).PadOrCut(20);
        line += Estring((segment.flags & kSegNoCase) != 0 ? "Ins" : "Sen").PadOrCut(5);
        line += Estring((segment.flags & kSegDescending) != 0 ? "Decend" : "Ascend").PadOrCut(10);
        if ((segment.flags & kSegAltCollation) != 0) line += Estring::FromInt(segment.collatingNumber);
        lines.push_back(line.TrimRight());
    }
    return lines;
}

void showIndexDetails(const DictionaryDef& table, int keyNumber) {
    const std::vector<Estring> lines = IndexDetailLines(table, keyNumber);
    const int segments = static_cast<int>(lines.size()) - 5;
    Dialog dialog(-1, -1, 64, segments + 9, 0x70, 0);
    dialog.AddHeading(Estring("Details for Index ") + Estring::FromInt(keyNumber), 1);
    for (int i = 0; i < 3; ++i) {
        dialog.AddText(1, i, lines[static_cast<size_t>(i)].Left(12), dialog.Colour(kColourCheckBoxLabel));
        dialog.AddText(13, i, lines[static_cast<size_t>(i)].Mid(12));
    }
    for (size_t i = 4; i < lines.size(); ++i) dialog.AddText(1, static_cast<int>(i), lines[i]);
    dialog.AddPushButton(27, segments + 6, 0, kKeyEnter, "Done");
    dialog.Run();
}

// --- Restrict Records --------------------------------------------------------------

bool evaluateFilter(FileViewer& viewer, Estring& errorText) {
    errorText = Estring();
    Expression expression(&viewer.fields, viewer.filterText);
    Variant result;
    if (!expression.Evaluate(viewer.recordBuffer.get(), viewer.currentRecordLength(), result)) {
        errorText = expression.ErrorMessage();
        return false;
    }
    if (!result.IsLogical()) {
        errorText = "Result must be a logical value";
        return false;
    }
    return result.logical != 0;
}

bool BuildRange(DictionaryDef& table, int keyNumber, const std::vector<Estring>& from,
                const std::vector<Estring>& to, uint8_t* rangeFrom, uint8_t* rangeTo, bool& active,
                Estring& badField) {
    FieldList* segments = keyNumber >= 0 && keyNumber < DictionaryDef::kMaxIndexes ? &table.index(keyNumber) : nullptr;
    active = false;
    if (segments == nullptr) return true;
    uint8_t lower[RecordListWindow::kRangeSize] = {};
    uint8_t upper[RecordListWindow::kRangeSize] = {};
    if (!ConvertBounds(*segments, from, to, lower, upper, badField)) return false;
    for (int s = 0; s < segments->Count(); ++s) {
        FieldAttributes& segment = *segments->Get(s);
        segment.hasFrom = !BoundText(from, s).IsEmpty();
        segment.hasTo = !BoundText(to, s).IsEmpty();
        if (segment.hasFrom || segment.hasTo) active = true;
    }
    // The images now hold this index's bounds alone: another index's flags
    // would show (and on OK restore) whatever its segments' bytes became.
    for (int other = 0; other < DictionaryDef::kMaxIndexes; ++other) {
        if (other == keyNumber) continue;
        FieldList& otherSegments = table.index(other);
        for (int s = 0; s < otherSegments.Count(); ++s) otherSegments.Get(s)->hasFrom = otherSegments.Get(s)->hasTo = false;
    }
    std::memcpy(rangeFrom, lower, sizeof lower);
    std::memcpy(rangeTo, upper, sizeof upper);
    return true;
}

RangeFault CheckRange(const DictionaryDef& table, int keyNumber, const std::vector<Estring>& from,
                      const std::vector<Estring>& to, Estring& badField) {
    const FieldList* segments = SegmentsOf(table, keyNumber);
    if (segments == nullptr) return RangeFault::kNone;
    uint8_t lower[RecordListWindow::kRangeSize] = {};
    uint8_t upper[RecordListWindow::kRangeSize] = {};
    if (!ConvertBounds(*segments, from, to, lower, upper, badField)) return RangeFault::kBadValue;
    // Keys compare segment by segment, and a segment open on either side frees
    // the ones after it, as in the viewer's range test.
    for (int s = 0; s < segments->Count(); ++s) {
        const FieldAttributes& segment = *segments->Get(s);
        if (BoundText(from, s).IsEmpty() || BoundText(to, s).IsEmpty()) break;
        const int direction = (segment.flags & kSegDescending) != 0 ? -1 : 1;
        const int order = direction * CompareField(segment, lower, sizeof lower, upper, sizeof upper);
        if (order < 0) break;
        if (order > 0) {
            badField = segment.name;
            return RangeFault::kFromAfterTo;
        }
    }
    return RangeFault::kNone;
}

bool restrictRecords(FileViewer& viewer) {
    const Estring savedFilter = viewer.filterText;
    FieldList* segments = viewer.keyNumber >= 0 && viewer.keyNumber < DictionaryDef::kMaxIndexes
                              ? &viewer.definition.index(viewer.keyNumber)
                              : nullptr;
    const int n = segments != nullptr ? segments->Count() : 0;
    std::vector<Estring> from(static_cast<size_t>(n)), to(static_cast<size_t>(n));
    for (int s = 0; s < n; ++s) {
        const FieldAttributes& segment = *segments->Get(s);
        if (segment.hasFrom) from[static_cast<size_t>(s)] = FieldToText(segment, viewer.rangeFrom, RecordListWindow::kRangeSize, false).Trim();
        if (segment.hasTo) to[static_cast<size_t>(s)] = FieldToText(segment, viewer.rangeTo, RecordListWindow::kRangeSize, false).Trim();
    }
    Estring filter = viewer.filterText;

    Dialog dialog(-1, -1, kRestrictWidth, n + 10, 0x70, 0);
    dialog.AddHeading("Restrict Records", 1);
    std::vector<int> entries;
    if (n > 0) {
        dialog.AddText(22, 1, "From");
        dialog.AddText(34, 1, "To");
    }
    for (int s = 0; s < n; ++s) {
        dialog.AddText(1, s + 2, segments->Get(s)->name.PadOrCutLeft(20));
        entries.push_back(dialog.AddStringField(22, s + 2, kOwnGroup, from[static_cast<size_t>(s)], 10, kBoundLength, 0, kNoHistory));
        entries.push_back(dialog.AddStringField(34, s + 2, kOwnGroup, to[static_cast<size_t>(s)], 10, kBoundLength, 0, kNoHistory));
    }
    dialog.AddText(1, n + 3, "Filter:");
    const int filterEntry = dialog.AddStringField(1, n + 4, kOwnGroup, filter, 46, kFilterLength, 0, kNoHistory);
    dialog.AddText(0, n + 5, " Insert=Add Field Name ");
    dialog.AddPushButton(9, n + 7, kOwnGroup, kKeyEnter, "OK");
    dialog.AddPushButton(17, n + 7, 0, kKeyAltC, "Clear");
    dialog.AddPushButton(28, n + 7, 0, kKeyEsc, "Cancel");
    dialog.AddExitKey(kKeyInsert);
    dialog.AddExitKey(kKeyF1);
    dialog.SetFocus(n > 0 ? entries.front() : filterEntry);

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) {
            viewer.filterText = savedFilter;
            return false;
        }
        if (code == kKeyInsert || code == kKeyF1) {
            if (dialog.Focus() != filterEntry) continue;
            Estring name;
            if (code == kKeyF1) {
                showHelp(HelpPage::kExpressions);
            } else if (chooseField(viewer.fields, name)) {
                InsertAtCursor(dialog, filterEntry, name);
            }
            continue;
        }
        if (code == kKeyAltC) {
            for (Estring& text : from) text = Estring();
            for (Estring& text : to) text = Estring();
            filter = Estring();
            // The segments' bound flags follow at OK, so that Cancel keeps the range in force as it was.
            for (int index : entries) static_cast<StringField&>(dialog.ControlAt(index)).SetText(Estring());
            static_cast<StringField&>(dialog.ControlAt(filterEntry)).SetText(Estring());
            dialog.Redraw(-1);
            continue;
        }
        if (code != kKeyEnter) continue;
        const Estring trimmed = filter.Trim();
        if (!trimmed.IsEmpty()) {
            viewer.filterText = trimmed;
            Estring error;
            evaluateFilter(viewer, error);
            viewer.filterText = savedFilter;
            if (!error.IsEmpty()) {
                ShowMessage("Filter", error, false);
                continue;
            }
        }
        Estring badField;
        const RangeFault fault = CheckRange(viewer.definition, viewer.keyNumber, from, to, badField);
        if (fault == RangeFault::kBadValue) {
            messageBox(Estring("The bound given for ") + badField + " is not a valid value for it", "", kMessageOk);
            continue;
        }
        if (fault == RangeFault::kFromAfterTo) {
            bool descending = false;
            for (int s = 0; s < n; ++s)
                if (segments->Get(s)->name == badField) descending = (segments->Get(s)->flags & kSegDescending) != 0;
            messageBox(Estring("From lies after To for ") + badField + ": no record could be in the range",
                       descending ? Estring("The index sorts this field in descending order: From is the higher value")
                                  : Estring("The index sorts this field in ascending order: From is the lower value"),
                       kMessageOk);
            continue;
        }
        bool active = false;
        BuildRange(viewer.definition, viewer.keyNumber, from, to, viewer.rangeFrom, viewer.rangeTo, active, badField);
        viewer.rangeActive = active ? 1 : 0;
        viewer.setFilter(trimmed);
        return true;
    }
}
