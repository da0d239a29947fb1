#include "viewer/Joins.h"

#include <memory>

#include "base/EstringStore.h"
#include "btrieve/BtrieveFile.h"
#include "dictionary/DictionaryDef.h"
#include "expr/Expression.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/ChooseField.h"
#include "viewer/FileViewer.h"
#include "viewer/HelpViewer.h"
#include "viewer/SortRestrict.h"
#include "viewfile/JoinList.h"

namespace {

constexpr int kManageWidth = 36;
constexpr int kManageHeight = 15;
constexpr int kKeyEdit = kKeyAltE;  // 1018
constexpr int kKeyWidth = 66;
constexpr int kValueLength = 128;
constexpr uint8_t kKeyHeadingAttribute = 0x74;
constexpr int kOwnGroup = 1;

const char* const kJoinHelp[] = {
    "\x08Manage Joins",
    "This dialog allows you to create, edit and delete joins to other files.",
    "Once a join has been created the fields of the joined file are",
    "available for display, calculation etc.",
    "",
    "As well as the dialog push buttons the following hot keys are also",
    "available:",
    "",
    "F1     - Help",
    "Insert - Create a new join",
    "ENTER  - Edit selected join",
    "F10    - Done",
};

// The values checked on the current record: a formula error names the
// segment; a value its segment cannot hold is refused.
bool ValuesAccepted(FileViewer& viewer, const FieldList& segments, const std::vector<Estring>& values) {
    for (int s = 0; s < segments.Count(); ++s) {
        const FieldAttributes& segment = *segments.Get(s);
        Expression expression(&viewer.fields, values[static_cast<size_t>(s)]);
        Variant value;
        if (!expression.Evaluate(viewer.recordBuffer.get(), viewer.currentRecordLength(), value)) {
            messageBox(segment.name, expression.ErrorMessage(), kMessageOk);
            return false;
        }
        uint8_t key[Join::kKeySize] = {};
        if (!VariantToField(value, segment, key, Join::kKeySize)) {
            messageBox("Expression has incompatible type", segment.name, kMessageOk);
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<Estring> JoinHelpLines() {
    std::vector<Estring> lines;
    for (const char* line : kJoinHelp) lines.emplace_back(line);
    return lines;
}

std::vector<Estring> InitialJoinValues(const FileViewer& viewer, const Join& join) {
    std::vector<Estring> values;
    const FieldList& segments = join.Segments();
    for (int s = 0; s < segments.Count(); ++s) {
        const Estring& name = segments.Get(s)->name;
        Estring value;
        if (viewer.fields.Find(name.View()) != nullptr) {
            value = name;
        } else {
            for (int j = 0; j < viewer.joins->Count(); ++j) {
                const Estring joined = viewer.joins->Get(j)->joinName + "." + name;
                if (viewer.fields.Find(joined.View()) != nullptr) {
                    value = joined;
                    break;
                }
            }
        }
        values.push_back(value);
    }
    return values;
}

bool editJoin(FileViewer& viewer, Join& join, bool isEdit) {
    const FieldList& segments = join.Segments();
    const int n = segments.Count();
    std::vector<Estring> values = join.Values();
    values.resize(static_cast<size_t>(n));
    Estring name = join.joinName;

    Dialog dialog(-1, -1, kKeyWidth, n + (isEdit ? 6 : 8), 0x70, 0);
    dialog.AddHeading("Join Key", 1);
    dialog.AddText(7, 0, "Index Segments  Join Value", kKeyHeadingAttribute);
    std::vector<int> entries;
    for (int s = 0; s < n; ++s) {
        dialog.AddText(1, s + 2, segments.Get(s)->name.PadOrCutLeft(20));
        entries.push_back(dialog.AddStringField(23, s + 2, kOwnGroup, values[static_cast<size_t>(s)], 40, kValueLength,
                                                0, kNoHistory));
    }
    if (!isEdit) {
        dialog.AddText(12, n + 2, "Join Name");
        dialog.AddStringField(23, n + 2, kOwnGroup, name, 40, kValueLength, 0, kNoHistory);
    }
    const int buttons = dialog.InnerHeight() - 1;
    dialog.AddPushButton(23, buttons, kOwnGroup, kKeyEnter, "OK");
    dialog.AddPushButton(31, buttons, 0, kKeyEsc, "Cancel");
    dialog.AddExitKey(kKeyInsert);
    if (!entries.empty()) dialog.SetFocus(entries.front());

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyInsert) {
            const int focus = dialog.Focus();
            bool onValue = false;
            for (int e : entries) onValue = onValue || e == focus;
            Estring chosen;
            if (onValue && chooseField(viewer.fields, chosen)) InsertAtCursor(dialog, focus, chosen);
            continue;
        }
        if (code != kKeyEnter) continue;
        if (!ValuesAccepted(viewer, segments, values)) continue;
        if (!isEdit) {
            name = name.Trim();
            if (name.IsEmpty()) continue;  // a join without a name could not be named in a formula
            if (viewer.joins->Find(name) != nullptr) {
                messageBox("Join name is already used", "", kMessageOk);
                continue;
            }
            join.joinName = name;
        }
        join.SetValues(values);
        return true;
    }
}

bool createJoin(FileViewer& viewer) {
    if (!viewer.pickJoinTable) return false;
    for (;;) {
        std::vector<uint8_t> record;
        Estring path, owner;
        if (!viewer.pickJoinTable(record, path, owner)) return false;
        int status = 0;
        std::unique_ptr<Join> join = viewer.joins->OpenTable(record.data(), path, owner, status);
        if (!join) continue;  // the opener said why; the list again
        join->joinName = join->Definition().tableName;
        for (;;) {
            int key = -1;
            while (key == -1) key = chooseIndex(join->Definition(), join->File(), 0);
            if (key == kIndexCancelled) break;
            join->SetKeyNumber(key);
            join->SetValues(InitialJoinValues(viewer, *join));
            join->Bind(&viewer.fields);
            if (!editJoin(viewer, *join, false)) continue;
            viewer.joins->Append(std::move(join), viewer.fields);
            return true;
        }
    }
}

bool manageJoins(FileViewer& viewer) {
    EstringStore names;
    for (int i = 0; i < viewer.joins->Count(); ++i) names.Append(std::make_unique<Estring>(viewer.joins->Get(i)->joinName));
    int current = names.Count() > 0 ? 0 : -1;
    bool changed = false;

    Dialog dialog(-1, -1, kManageWidth, kManageHeight, 0x70, 0);
    dialog.AddHeading("Manage Joins", 1);
    dialog.AddText(1, 0, "Joined files");
    const int list = dialog.AddListBoxEstring(1, 1, kOwnGroup, 20, 10, names, current, kKeyEdit);
    dialog.AddPushButton(23, 1, kOwnGroup, kKeyEdit, " Edit ");
    dialog.AddPushButton(23, 3, kOwnGroup, kKeyInsert, " Add  ");
    dialog.AddPushButton(23, 5, kOwnGroup, kKeyDelete, "Delete");
    dialog.AddPushButton(23, 8, kOwnGroup, kKeyF1, "Help");
    dialog.AddPushButton(23, 10, kOwnGroup, kKeyF10, "Done");
    dialog.AddExitKey(kKeyInsert);
    dialog.AddExitKey(kKeyDelete);
    dialog.AddExitKey(kKeyF1);
    dialog.AddExitKey(kKeyF10);
    dialog.SetFocus(list);

    auto relist = [&] {
        names.Clear();
        for (int i = 0; i < viewer.joins->Count(); ++i)
            names.Append(std::make_unique<Estring>(viewer.joins->Get(i)->joinName));
        if (current >= names.Count()) current = names.Count() - 1;
        if (current < 0 && names.Count() > 0) current = 0;
        InputEvent count{};
        count.type = kEventSetCount;
        count.key = names.Count();
        dialog.SendEvent(list, count);
        dialog.Redraw(-1);
    };

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc || code == kKeyF10) return changed;
        Join* selected = viewer.joins->Get(current);
        if (code == kKeyEdit && selected != nullptr) {
            if (editJoin(viewer, *selected, true)) changed = true;
        } else if (code == kKeyF1) {
            showHelp(HelpPage::kJoins);
        } else if (code == kKeyInsert) {
            if (createJoin(viewer)) {
                changed = true;
                current = viewer.joins->Count() - 1;
            }
        } else if (code == kKeyDelete && selected != nullptr) {
            viewer.joins->Remove(selected, viewer.fields);
            changed = true;
        }
        relist();
    }
}
