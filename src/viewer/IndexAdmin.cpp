#include "viewer/IndexAdmin.h"

#include <algorithm>

#include "admin/KeySpecification.h"
#include "base/EstringStore.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "dictionary/DictionaryDef.h"
#include "fields/FieldAttributes.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/RawWindow.h"
#include "viewer/EngineWork.h"

namespace {

constexpr int kCreateWidth = 60;
constexpr int kCreateHeight = 22;
constexpr int kListTop = 4;
constexpr int kListRows = 10;
constexpr int kFieldListX = 2;
constexpr int kFieldListWidth = 20;
constexpr int kSegmentListX = 27;
constexpr int kSegmentListWidth = 27;
constexpr int kNameColumns = 23;
constexpr int kLegendX = 28;
constexpr int kCaseColumn = kSegmentListX + kNameColumns;    // 50
constexpr int kDirectionColumn = kCaseColumn + 2;             // 52
constexpr int kBusyWidth = 18;
constexpr int kDropWidth = 50;
constexpr int kDropHeight = 7;
constexpr int kDropAttribute = 0x4F;
constexpr int kOwnGroup = 1;
// The field list's Enter: not a key code, so no key can give it.
constexpr int kAddSegment = 9001;

constexpr uint8_t kBoxHorizontal = 0xC4;
constexpr uint8_t kBoxCorner = 0xBF;
constexpr uint8_t kBoxVertical = 0xB3;

// "label" continued by a horizontal line to a corner at column corner.
Estring Legend(const char* label, int corner) {
    Estring text(label);
    const int line = corner - kLegendX - text.Length();
    if (line > 0) text += Estring(static_cast<char>(kBoxHorizontal), line);
    text += static_cast<char>(kBoxCorner);
    return text;
}

Estring Bar() { return Estring(static_cast<char>(kBoxVertical), 1); }

// Shows "Creating Index" while the engine builds the index.
int CreateWithNotice(BtrieveFile& file, const std::vector<IndexSegment>& segments, const IndexOptions& options) {
    RawWindow notice(-1, -2, kBusyWidth, 3, ColourScheme[kColourMessage], ColourScheme[kColourMessage], false);
    notice.WriteCentred(0, "Creating Index");
    return RunEngineWork([&] { return CreateIndex(file, segments, options); }, notice.WindowConsole());
}

}  // namespace

Estring SegmentLine(const IndexSegment& segment) {
    Estring line = segment.field->name.PadOrCut(kNameColumns);
    line += HasCase(segment) ? (segment.caseSensitive ? 'S' : 'I') : ' ';
    line += ' ';
    line += segment.descending ? 'D' : 'A';
    return line;
}

bool createIndex(DictionaryDef& table, BtrieveFile& file) {
    std::vector<const FieldAttributes*> choices;
    EstringStore fieldNames;
    for (int i = 0; i < table.Count(); ++i) {
        const FieldAttributes* field = table.Get(i);
        if (field->IsCalculated()) continue;
        choices.push_back(field);
        fieldNames.Append(field->name);
    }
    std::vector<IndexSegment> segments;
    EstringStore segmentLines;
    int fieldCurrent = 0;
    int segmentCurrent = 0;
    bool duplicates = false, modifiable = false, nullKey = false;
    int nullKind = 0;

    Dialog dialog(-1, -2, kCreateWidth, kCreateHeight, 0x70, 0);
    dialog.AddHeading("Create Index", 1);
    dialog.AddText(kLegendX, 0, Legend("Sort Order ", kDirectionColumn));
    dialog.AddText(kLegendX, 1, Legend("Case Sensitivity ", kCaseColumn));
    dialog.AddText(kDirectionColumn, 1, Bar());
    for (int y = 2; y <= 3; ++y) {
        dialog.AddText(kCaseColumn, y, Bar());
        dialog.AddText(kDirectionColumn, y, Bar());
    }
    dialog.AddText(kFieldListX, 3, "Record Fields");
    const int fieldList = dialog.AddListBoxEstring(kFieldListX, kListTop, kOwnGroup, kFieldListWidth, kListRows,
                                                   fieldNames, fieldCurrent, kAddSegment);
    dialog.AddText(kSegmentListX, 3, "Index Fields");
    const int segmentList = dialog.AddListBoxEstring(kSegmentListX, kListTop, kOwnGroup, kSegmentListWidth, kListRows,
                                                     segmentLines, segmentCurrent, kKeyEnter);
    dialog.AddCheckBox(3, 15, kOwnGroup, duplicates, "Allow Duplicates");
    dialog.AddCheckBox(3, 16, 0, modifiable, "Allow Modify");
    dialog.AddCheckBox(3, 17, 0, nullKey, "Null Key");
    dialog.AddRadioButton(30, 15, kOwnGroup, nullKind, 0, "All Segments");
    dialog.AddRadioButton(30, 16, 0, nullKind, 1, "Any Segment");
    dialog.AddPushButton(17, 19, kOwnGroup, kKeyEnter, "Create");
    dialog.AddPushButton(29, 19, 0, kKeyEsc, "Cancel");
    dialog.AddExitKey(kKeyAltS);
    dialog.AddExitKey(kKeyAltO);
    dialog.AddExitKey(kKeyDelete);
    dialog.SetFocus(fieldList);

    auto showSegments = [&](int current) {
        segmentLines.Clear();
        for (const IndexSegment& segment : segments) segmentLines.Append(SegmentLine(segment));
        segmentCurrent = segments.empty() ? 0 : std::clamp(current, 0, static_cast<int>(segments.size()) - 1);
        InputEvent count{kEventSetCount, static_cast<int>(segments.size()), 0, 0};
        dialog.SendEvent(segmentList, count);
        dialog.Redraw(segmentList);
    };

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kAddSegment) {
            if (fieldCurrent >= 0 && fieldCurrent < static_cast<int>(choices.size())) {
                segments.push_back(NewIndexSegment(*choices[static_cast<size_t>(fieldCurrent)]));
                showSegments(static_cast<int>(segments.size()) - 1);
            }
            continue;
        }
        if (code == kKeyAltS || code == kKeyAltO || code == kKeyDelete) {
            if (dialog.Focus() != segmentList || segments.empty()) continue;
            IndexSegment& segment = segments[static_cast<size_t>(segmentCurrent)];
            if (code == kKeyAltS && HasCase(segment)) segment.caseSensitive = !segment.caseSensitive;
            if (code == kKeyAltO) segment.descending = !segment.descending;
            if (code == kKeyDelete) segments.erase(segments.begin() + segmentCurrent);
            showSegments(segmentCurrent);
            continue;
        }
        if (code != kKeyEnter) continue;
        if (segments.empty()) {
            messageBox("Couldn't create index", "No index fields chosen", kMessageOk);
            continue;
        }
        IndexOptions options;
        options.duplicates = duplicates;
        options.modifiable = modifiable;
        options.nullKey = !nullKey ? NullKey::kNone : nullKind == 0 ? NullKey::kAllSegments : NullKey::kAnySegment;
        const int status = CreateWithNotice(file, segments, options);
        if (status != 0) {
            messageBox("Couldn't create index", statusText(status), kMessageOk);
            continue;
        }
        return true;
    }
}

bool dropIndex(BtrieveFile& file, int keyNumber, bool& renumbered) {
    bool renumber = true;
    {
        Dialog dialog(-1, -2, kDropWidth, kDropHeight, kDropAttribute, kDropAttribute);
        dialog.AddText(0, 0, Estring("Are you sure you want to drop index ") + Estring::FromInt(keyNumber) + "?",
                       dialog.InnerWidth(), 1, kDropAttribute);
        dialog.AddCheckBox(10, 2, kOwnGroup, renumber, "Renumber indexes above");
        dialog.AddPushButton(15, 4, kOwnGroup, kKeyEnter, "OK");
        dialog.AddPushButton(23, 4, 0, kKeyEsc, "Cancel");
        if (dialog.Run() != kKeyEnter) return false;
    }
    const int status = DropIndex(file, keyNumber, renumber);
    if (status != 0) {
        messageBox(statusText(status), Estring("dropping index ") + Estring::FromInt(keyNumber), kMessageOk);
        return false;
    }
    renumbered = renumber;
    return true;
}

bool dropIndex(BtrieveFile& file, int keyNumber) {
    bool renumbered = false;
    return dropIndex(file, keyNumber, renumbered);
}
