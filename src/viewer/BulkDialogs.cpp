// The dialogs in front of the bulk runs: the delete-all question, the
// Modify All In View list with its formula entry, and the totals command,
// which shows its totals in the record view's totals form.

#include <algorithm>

#include "base/EstringStore.h"
#include "btrieve/StatusText.h"
#include "fields/FieldList.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/ListBox.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/BulkOperations.h"
#include "viewer/BulkProgress.h"
#include "viewer/ChooseField.h"
#include "viewer/FileViewer.h"
#include "viewer/HelpViewer.h"
#include "viewer/RecordView.h"

namespace {

constexpr int kCodeYes = 121;
constexpr int kCodeNo = 110;
constexpr int kModifyWidth = 70;
constexpr int kModifyListWidth = 68;
constexpr int kModifyMaxRows = 18;
constexpr int kNameWidth = 20;
constexpr int kFormulaColumn = kNameWidth + 2;
constexpr int kFormulaWidth = 46;
constexpr int kFormulaLength = 128;

Estring FormulaLine(const FieldAttributes& field, const Estring& formula) {
    return field.name.PadOrCutLeft(kNameWidth) + ": " + formula;
}

// The one-line entry over a formula's place. True when the formula was
// accepted (then in formula), false when the edit was dropped with Esc.
bool EditFormula(FileViewer& viewer, const FieldAttributes& field, int screenX, int screenY, Estring& formula) {
    Estring text = formula;
    Dialog entry(screenX, screenY, kFormulaWidth, 1, 0x70, -1);
    const int index = entry.AddStringField(0, 0, 0, text, kFormulaWidth, kFormulaLength, 0, kNoHistory);
    entry.AddExitKey(kKeyF1);
    entry.AddExitKey(kKeyInsert);
    for (;;) {
        const int code = entry.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyF1) {
            showHelp(HelpPage::kExpressions);
            continue;
        }
        if (code == kKeyInsert) {
            Estring name;
            if (chooseField(viewer.fields, name)) InsertAtCursor(entry, index, name);
            continue;
        }
        if (code != kKeyEnter) continue;
        Estring error;
        CheckFieldFormula(viewer, field, text, error);
        if (!error.IsEmpty()) {
            messageBox(error, "", kMessageOk);
            continue;
        }
        formula = text.Trim();
        return true;
    }
}

// The Modify All In View list. True when F10 was confirmed; formulas then
// hold the texts, one per field of fields.
bool ChooseFormulas(FileViewer& viewer, const std::vector<const FieldAttributes*>& fields,
                    std::vector<Estring>& formulas) {
    EstringStore lines;
    for (size_t i = 0; i < fields.size(); ++i) lines.Append(FormulaLine(*fields[i], formulas[i]));
    const int rows = std::clamp(static_cast<int>(fields.size()), 1, kModifyMaxRows);
    int current = 0;
    Dialog dialog(-1, -2, kModifyWidth, rows + 2, kAttrAlert, kAttrAlert);
    dialog.AddHeading("Modify All In View", 1);
    dialog.AddHeading("ENTER=Edit Field  Esc=Quit  F10=Do It!", 4);
    const int list = dialog.AddListBoxEstring(0, 0, 0, kModifyListWidth, rows, lines, current, kKeyEnter);
    dialog.AddExitKey(kKeyF10);
    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return false;
        if (code == kKeyF10) {
            if (messageBox("This will modify all records that match the current key range and filter conditions",
                           "Are you sure you want to modify all selected records?", kMessageOkCancel) == kAnswerOk)
                return true;
            continue;
        }
        if (code != kKeyEnter || current < 0 || current >= static_cast<int>(fields.size())) continue;
        const auto& box = static_cast<const ListBox&>(dialog.ControlAt(list));
        const int line = current - box.TopItem();
        const size_t i = static_cast<size_t>(current);
        if (EditFormula(viewer, *fields[i], dialog.OriginX() + kFormulaColumn, dialog.OriginY() + line, formulas[i])) {
            *lines.Get(current) = FormulaLine(*fields[i], formulas[i]);
            InputEvent changed{};
            changed.type = kEventSetCount;
            changed.key = lines.Count();
            dialog.SendEvent(list, changed);
        }
    }
}

// A scan that ended on an engine error rather than at the end of the view
// left records unvisited: the user must not take the run for complete.
void ReportScanError(const BulkResult& result) {
    if (!result.stopped && result.endStatus != 0 && result.endStatus != RecordListWindow::kStatusEndOfFile)
        messageBox("Error getting record", statusText(result.endStatus), kMessageOk);
}

}  // namespace

bool deleteAllInView(FileViewer& viewer) {
    {
        Dialog dialog(-1, -2, 62, 7, kAttrAlert, kAttrAlert);
        dialog.AddText(-1, 0, "This will delete all records that match the current key");
        dialog.AddText(-1, 1, "range and filter conditions.");
        dialog.AddText(-1, 2, "Are you sure you want to delete all selected records?");
        dialog.AddPushButton(20, 4, 0, kCodeYes, "Yes");
        const int no = dialog.AddPushButton(29, 4, 0, kCodeNo, "No");
        dialog.SetFocus(no);
        if (dialog.Run() != kCodeYes) return false;
    }
    BulkResult result;
    {
        BulkProgress progress("Deleted: ", "Cancel delete?");
        result = DeleteAllRecords(viewer, progress);
    }
    ReportScanError(result);
    if (result.commitStatus != 0) messageBox("Error deleting record", statusText(result.commitStatus), kMessageOk);
    return true;
}

bool modifyAllInView(FileViewer& viewer) {
    const std::vector<const FieldAttributes*> fields = ModifiableFields(viewer);
    std::vector<Estring> texts(fields.size());
    if (!ChooseFormulas(viewer, fields, texts)) return false;
    std::vector<FieldFormula> formulas;
    for (size_t i = 0; i < fields.size(); ++i) formulas.push_back(FieldFormula{fields[i], texts[i]});
    BulkResult result;
    {
        BulkProgress progress("Modified: ", "Cancel Modify?");
        result = ModifyAllRecords(viewer, formulas, progress);
    }
    ReportScanError(result);
    if (result.commitStatus != 0) messageBox("Error updating record", statusText(result.commitStatus), kMessageOk);
    return true;
}

void totalsInView(FileViewer& viewer) {
    ViewTotals totals;
    {
        BulkProgress progress("Totaled: ", "Cancel totaling?", BulkProgress::kTotalsWidth);
        totals = TotalRecords(viewer, progress);
    }
    if (totals.cancelled) return;
    if (totals.endStatus != 9) {
        messageBox("Error totaling records", statusText(totals.endStatus), kMessageOk);
        return;
    }
    if (viewer.totalsDisplay != nullptr) {
        viewer.totalsDisplay->ShowTotals(viewer, totals);
        return;
    }
    std::vector<TotalLine> lines;
    for (const FieldTotal& entry : totals.fields) lines.push_back({entry.name, entry.Text()});
    showTotals(totals.count, lines);
}
