#include "viewer/GotoRecord.h"

#include <algorithm>
#include <cstring>

#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "dictionary/DictionaryDef.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/FileViewer.h"
#include "viewer/KeyText.h"
#include "viewfile/KeyRange.h"

namespace {

constexpr int kWidth = 60;
constexpr int kEntryLength = 40;
constexpr int kOwnGroup = 1;  // each entry a Tab stop of its own

// Where key lies against one end of the view's range in the index order:
// negative before it, positive after it, 0 at it or when the end is open.
int AgainstRangeEnd(const FileViewer& viewer, const uint8_t* key, bool start) {
    const FieldList& segments = viewer.definition.index(viewer.keyNumber);
    for (int s = 0; s < segments.Count(); ++s) {
        const FieldAttributes& segment = *segments.Get(s);
        if (!(start ? segment.hasFrom : segment.hasTo)) return 0;
        const int direction = (segment.flags & qdx::wire::kSegDescending) != 0 ? -1 : 1;
        const uint8_t* end = start ? viewer.rangeFrom : viewer.rangeTo;
        const int c = direction * CompareField(segment, key, RecordListWindow::kRangeSize, end, RecordListWindow::kRangeSize);
        if (c != 0) return c;
    }
    return 0;
}

}  // namespace

bool BuildGotoKey(const FieldList& segments, const std::vector<Estring>& entries, uint8_t* key, Estring& badField) {
    uint8_t image[RecordListWindow::kRangeSize] = {};
    for (int s = 0; s < segments.Count(); ++s) {
        const FieldAttributes& segment = *segments.Get(s);
        const Estring text = s < static_cast<int>(entries.size()) ? entries[static_cast<size_t>(s)].Trim() : Estring();
        if (text.IsEmpty()) {
            if ((segment.flags & qdx::wire::kSegDescending) != 0) {
                SetFieldHighest(segment, image, RecordListWindow::kRangeSize);
            } else {
                SetFieldLowest(segment, image, RecordListWindow::kRangeSize);
            }
            continue;
        }
        if (!StoreKeyText(segment, image, RecordListWindow::kRangeSize, text)) {
            badField = segment.name;
            return false;
        }
    }
    std::memcpy(key, image, sizeof image);
    return true;
}

int FindGotoRecord(FileViewer& viewer, int mode, const uint8_t* key) {
    // The searches stop at the first record outside the range, which is right
    // only when moving away from it: from a key before the range the answer is
    // its first record, from one after it its last.
    if (viewer.rangeActive && mode != kGotoEqual) {
        const bool forward = mode == kGotoGreater || mode == kGotoGreaterOrEqual;
        if (forward && AgainstRangeEnd(viewer, key, true) < 0) return viewer.firstInView();
        if (!forward && AgainstRangeEnd(viewer, key, false) > 0) return viewer.lastInView();
    }
    std::memcpy(viewer.keyBuffer, key, RecordListWindow::kRangeSize);
    switch (mode) {
        case kGotoLessOrEqual: return viewer.lessOrEqualInView();
        case kGotoGreater: return viewer.greaterInView();
        case kGotoLess: return viewer.lessInView();
        case kGotoEqual: break;
        default: return viewer.greaterOrEqualInView();
    }
    BtrieveFile& file = *viewer.dataFile;
    std::memset(viewer.recordBuffer.get(), 0, viewer.recordBufferSize);
    file.setDataLength(static_cast<uint16_t>(std::min<unsigned>(viewer.recordBufferSize, 0xFFFF)));
    int status = file.getEqual(viewer.keyBuffer, viewer.recordBuffer.get(), viewer.keyNumber);
    if (status != 0) return status;
    // Read again through the view's test: 4 means the filter or the range refuse it.
    status = viewer.reread(file.getPosition());
    if (status == RecordListWindow::kStatusKeyNotFound) return kGotoOutsideView;
    return status;
}

bool gotoRecord(FileViewer& viewer) {
    if (viewer.keyNumber < 0 || viewer.keyNumber >= DictionaryDef::kMaxIndexes) return false;
    const FieldList& segments = viewer.definition.index(viewer.keyNumber);
    const int n = segments.Count();
    if (n == 0) return false;
    std::vector<Estring> entries(static_cast<size_t>(n));
    int mode = kGotoGreaterOrEqual;
    const int height = n < 3 ? 10 : n + 7;
    const int buttons = height - 4;  // the third line from the bottom

    uint8_t found[RecordListWindow::kRangeSize];
    {
    Dialog dialog(-1, -2, kWidth, height, 0x70, 0);
    dialog.AddHeading("Goto Record", 1);
    std::vector<int> fields;
    for (int s = 0; s < n; ++s) {
        dialog.AddText(1, s + 1, segments.Get(s)->name.PadOrCutLeft(20));
        fields.push_back(
            dialog.AddStringField(22, s + 1, kOwnGroup, entries[static_cast<size_t>(s)], 10, kEntryLength, 0, kNoHistory));
    }
    static const char* const kModes[] = {"Get Greater/Equal", "Get Less/Equal", "Get Equal", "Get Greater",
                                         "Get Less"};
    for (int m = 0; m < 5; ++m) dialog.AddRadioButton(34, m + 1, m == 0 ? kOwnGroup : 0, mode, m, kModes[m]);
    dialog.AddPushButton(14, buttons, kOwnGroup, kKeyEnter, "OK");
    dialog.AddPushButton(22, buttons, 0, kKeyAltC, "Clear");
    dialog.AddPushButton(33, buttons, 0, kKeyEsc, "Cancel");
    dialog.SetFocus(fields.front());

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyAltC) {
            for (size_t s = 0; s < entries.size(); ++s) {
                entries[s] = Estring();
                static_cast<StringField&>(dialog.ControlAt(fields[s])).SetText(Estring());
            }
            dialog.Redraw(-1);
            continue;
        }
        if (code != kKeyEnter) continue;
        uint8_t key[RecordListWindow::kRangeSize];
        Estring badField;
        if (!BuildGotoKey(segments, entries, key, badField)) {
            messageBox(Estring("The value given for ") + badField + " is not a valid value for it", "", kMessageOk);
            continue;
        }
        const int status = FindGotoRecord(viewer, mode, key);
        if (status == kGotoOutsideView) {
            messageBox("Key exists but is outside view restriction", "", kMessageOk);
            continue;
        }
        if (status != 0) {
            messageBox("Error getting specified record", statusText(status), kMessageOk);
            continue;
        }
        std::memcpy(found, viewer.keyBuffer, sizeof found);  // seekTo reuses the key buffer
        break;
    }
    }  // the dialog closes before the grid is drawn again under it
    if (!viewer.seekTo(found, sizeof found)) return false;
    viewer.cursor = 0;
    return true;
}
