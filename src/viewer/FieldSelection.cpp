#include "viewer/FieldSelection.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/EstringStore.h"
#include "expr/Expression.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/ChooseField.h"
#include "viewer/FileViewer.h"

namespace {

constexpr int kSelectionWidth = 72;
constexpr int kSelectionListWidth = 68;
constexpr int kMaxSelectionRows = 16;
constexpr uint8_t kHeadingAttribute = 0x3A;
constexpr uint8_t kHintAttribute = 0x3E;
constexpr const char* kSelectionHeading = "Field                                     Type                Width";
constexpr const char* kSelectionHint = " ESC=Cancel  ENTER=Edit Field  F10=Done  Space  Ctrl +- ";
constexpr const char* kNewFieldName = "NewField";

constexpr int kMinimumWidth = 2;
constexpr int kNameColumns = 20;
constexpr int kNameLength = 40;
constexpr int kFormulaColumns = 40;
constexpr int kFormulaLength = 128;
// Each entry a group of its own, so that Tab steps from one to the next.
constexpr int kOwnGroup = 1;

int Magnitude(int width) { return width < 0 ? (width == INT32_MIN ? INT32_MAX : -width) : width; }

bool HasDecimalPlaces(const FieldAttributes& field) { return field.type == kTypeFloat || field.type == kTypeBFloat; }

// Why a name cannot be the calculated field's, or empty when it can: a
// formula naming a field reads the first one of that name, so a second
// field of the same name would silently never be read.
Estring NameProblem(const FieldAttributes& field, const Estring& name) {
    if (name.IsEmpty()) return "A calculated field needs a name";
    if (field.owner == nullptr) return Estring();
    for (int i = 0; i < field.owner->Count(); ++i) {
        const FieldAttributes* other = field.owner->Get(i);
        if (other != &field && other->name == name) return Estring("There is already a field named ") + name;
    }
    return Estring();
}

// Evaluates formula as the field's own on record; the field is left as it
// was. Installing it for the check catches a formula that names the field
// itself, directly or through other calculated fields.
bool CheckFormula(FieldAttributes& field, const Estring& formula, const uint8_t* record, int recordLength,
                  Estring& message) {
    const Estring saved = field.formula;
    field.formula = formula;
    Expression expression(field.owner, formula);
    Variant value;
    const bool ok = expression.Evaluate(record, recordLength, value);
    if (!ok) message = expression.ErrorMessage();
    field.formula = saved;
    return ok;
}

}  // namespace

Estring FieldSelectionLine(const FieldAttributes& field) {
    return field.name.PadOrCut(42) + DataTypeDescription(field).PadOrCut(20) + Estring::FromInt(Magnitude(field.width));
}

// --- Field Settings -------------------------------------------------------------------

bool editFieldSettings(FieldAttributes& field) {
    int width = Magnitude(field.width);
    int decimals = field.decimals;
    Dialog dialog(-1, -1, 35, 6, 0x70, 0);
    dialog.AddHeading("Field Settings", 1);
    dialog.AddText(1, 1, "Width:");
    dialog.AddIntegerField(8, 1, kOwnGroup, width, 3, false, kNoHistory);
    if (HasDecimalPlaces(field)) {
        dialog.AddText(13, 1, "Decimal Places:");
        dialog.AddIntegerField(29, 1, kOwnGroup, decimals, 2, false, kNoHistory);
    }
    dialog.AddPushButton(8, 3, kOwnGroup, kKeyEnter, "OK");
    dialog.AddPushButton(16, 3, 0, kKeyEsc, "Cancel");
    if (dialog.Run() != kKeyEnter) return false;
    if (width < kMinimumWidth) width = kMinimumWidth;
    field.width = field.width < 0 ? -width : width;
    if (HasDecimalPlaces(field)) field.decimals = decimals;
    return true;
}

// --- Add Calculated Field -------------------------------------------------------------

bool editCalculatedField(FieldAttributes& field, const uint8_t* record, int recordLength) {
    if (!field.IsCalculated()) return false;
    Estring name = field.name;
    Estring formula = field.formula;
    int width = field.width;
    int decimals = field.decimals;

    Dialog dialog(-1, -1, 57, 9, 0x70, 0);
    dialog.AddHeading("Add Calculated Field", 1);
    dialog.AddText(1, 0, "Field Name :");
    dialog.AddStringField(14, 0, kOwnGroup, name, kNameColumns, std::max(kNameLength, name.Length()), 0, kNoHistory);
    dialog.AddText(1, 1, "Formula    :");
    // A longer formula (from a view file) is kept whole rather than cut.
    const int formulaEntry = dialog.AddStringField(14, 1, kOwnGroup, formula, kFormulaColumns,
                                                   std::max(kFormulaLength, formula.Length()), 0, kNoHistory);
    dialog.AddText(1, 2, "Field Width:");
    dialog.AddIntegerField(14, 2, kOwnGroup, width, 3, false, kNoHistory);
    dialog.AddText(1, 3, "Dec. Places:");
    dialog.AddIntegerField(14, 3, kOwnGroup, decimals, 3, false, kNoHistory);
    dialog.AddPushButton(17, 5, kOwnGroup, kKeyEnter, "OK");
    dialog.AddPushButton(25, 5, 0, kKeyEsc, "Cancel");
    dialog.AddExitKey(kKeyInsert);

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyInsert) {
            Estring chosen;
            if (dialog.Focus() == formulaEntry && field.owner != nullptr && chooseField(*field.owner, chosen))
                InsertAtCursor(dialog, formulaEntry, chosen);
            continue;
        }
        if (code != kKeyEnter) continue;
        const Estring trimmedName = name.Trim();
        const Estring problem = NameProblem(field, trimmedName);
        if (!problem.IsEmpty()) {
            messageBox(problem, "", kMessageOk);
            continue;
        }
        Estring message;
        if (!CheckFormula(field, formula, record, recordLength, message)) {
            ShowMessage("Bad formula", message, false);
            continue;
        }
        break;
    }
    const Estring trimmedName = name.Trim();
    if (field.owner != nullptr && field.owner->IndexOf(&field) >= 0) {
        field.owner->Rename(&field, trimmedName);
    } else {
        field.name = trimmedName;
    }
    field.formula = formula;
    const int length = field.name.Length();
    field.width = Magnitude(width) >= length ? width : (width < 0 ? -length : length);
    field.decimals = decimals;
    // Formulas naming this field compile against its new text.
    if (field.owner != nullptr) field.owner->Touch();
    return true;
}

// --- Field Selection ------------------------------------------------------------------

namespace {

// One showing of the dialog, until a key that it cannot handle itself.
class SelectionDialog {
public:
    SelectionDialog(const EstringStore& lines, std::vector<uint8_t>& marks, int& current) {
        const int rows = std::max(1, std::min(lines.Count(), kMaxSelectionRows));
        dialog = std::make_unique<Dialog>(-1, -1, kSelectionWidth, rows + 3, 0x70, 0);
        dialog->AddHeading("Field Selection", 1);
        dialog->AddText(1, 0, kSelectionHeading, kHeadingAttribute);
        list = dialog->AddListBoxMultiSelect(1, 1, 0, kSelectionListWidth, rows, lines, marks.data(), current,
                                             kKeyEnter);
        dialog->AddText(0, rows + 1, kSelectionHint, kHintAttribute);
        dialog->AddExitKey(kKeyInsert);
        dialog->AddExitKey(kKeyF10);
        dialog->SetFocus(list);
    }
    int Run() { return dialog->Run(); }
    void RedrawList() { dialog->Redraw(list); }

private:
    std::unique_ptr<Dialog> dialog;
    int list = 0;
};

}  // namespace

bool selectFields(FieldList& fields, const uint8_t* record, int recordLength) {
    bool changed = false;
    EstringStore lines;
    // One spare byte, so that the marks have an address even for an empty list.
    std::vector<uint8_t> marks;
    for (int i = 0; i < fields.Count(); ++i) {
        lines.Append(FieldSelectionLine(*fields.Get(i)));
        marks.push_back(fields.Get(i)->selected ? 1 : 0);
    }
    marks.push_back(0);
    int current = 0;

    for (;;) {
        int code = 0;
        std::unique_ptr<FieldAttributes> added;
        {
            SelectionDialog dialog(lines, marks, current);
            for (;;) {
                code = dialog.Run();
                if (code == kKeyEnter) {
                    FieldAttributes* field = fields.Get(current);
                    if (field == nullptr) continue;
                    const bool edited = field->IsCalculated() ? editCalculatedField(*field, record, recordLength)
                                                              : editFieldSettings(*field);
                    if (edited) {
                        changed = true;
                        *lines.Get(current) = FieldSelectionLine(*field);
                        dialog.RedrawList();
                    }
                    continue;
                }
                if (code == kKeyInsert) {
                    auto field = FieldAttributes::Calculated(kNewFieldName, 0, Estring(),
                                                             FieldAttributes::kDefaultDecimals);
                    field->owner = &fields;  // names and evaluation are those of the view
                    if (editCalculatedField(*field, record, recordLength)) {
                        added = std::move(field);
                        break;  // the dialog is laid out again for the longer list
                    }
                    continue;
                }
                break;  // F10 or Esc
            }
        }
        if (added != nullptr) {
            const bool selected = added->selected;
            FieldAttributes* field = fields.Add(std::move(added));
            lines.Append(FieldSelectionLine(*field));
            marks.back() = selected ? 1 : 0;
            marks.push_back(0);
            current = fields.Count() - 1;
            changed = true;
            continue;
        }
        if (code == kKeyF10) {
            for (int i = 0; i < fields.Count(); ++i) {
                FieldAttributes& field = *fields.Get(i);
                const bool selected = marks[static_cast<size_t>(i)] != 0;
                if (field.selected != selected) changed = true;
                field.selected = selected;
            }
        }
        return changed;
    }
}

bool selectFields(FileViewer& viewer) {
    return selectFields(viewer.fields, viewer.recordBuffer.get(), viewer.currentRecordLength());
}
