#include "viewer/ExportDialog.h"

#include <string>

#include "btrieve/BtrieveFile.h"
#include "ui/Dialog.h"
#include "ui/DialogFileOpen.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"
#include "viewer/FileViewer.h"
#include "viewer/FileDialogPaths.h"
#include "viewer/ViewerView.h"

namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 10;
constexpr int kPlacementThirdDown = -3;
constexpr int kBrowseCode = kKeyAltB;  // 1048
constexpr int kCountWidth = 8;
// Groups: each entry, the format buttons, the check boxes and each push button.
constexpr int kGroup = 2;

// The count in the dialog and Esc's question, between records.
class DialogExportControl : public ExportControl {
public:
    explicit DialogExportControl(Dialog& d) : dialog(d) {}
    void Progress(long long exported) override {
        dialog.WriteText(12, 2, Estring("Exported: ") + Estring::FromInt(exported).PadOrCutLeft(kCountWidth));
    }
    bool StopRequested() override {
        if (!EscapePressed()) return false;
        return messageBox("Cancel export?", "", kMessageOkCancel) == kAnswerOk;
    }

private:
    Dialog& dialog;
};

}  // namespace

ExportOptions ExportChoice::Options() const {
    ExportOptions options;
    options.format = static_cast<ExportFormat>(format);
    options.selectedFieldsOnly = selectedFieldsOnly;
    options.fieldNameHeading = fieldNameHeading;
    options.selectedRecordsOnly = selectedRecordsOnly;
    return options;
}

Estring exportStartName(const Estring& dataFilePath) {
    const int dot = dataFilePath.FindCharFromRight('.');
    return dot < 0 ? Estring() : dataFilePath.Left(dot);
}

void exportRecords(FileViewer& viewer) {
    ExportChoice choice;
    choice.fileName = exportStartName(viewer.dataFile->fileName());

    Dialog dialog(-1, kPlacementThirdDown, kWidth, kHeight, 0x70, 0);
    std::string letters;
    auto letter = [&](int index, char c) {
        if (static_cast<int>(letters.size()) <= index) letters.resize(static_cast<size_t>(index) + 1, '\0');
        letters[static_cast<size_t>(index)] = c;
    };
    dialog.AddHeading("Export Records", 1);
    dialog.AddText(1, 1, "File Name:");
    const int nameField = dialog.AddStringField(12, 1, kGroup, choice.fileName, 26, 0, kNoHistory);
    letter(nameField, 'n');
    letter(dialog.AddPushButton(40, 1, kGroup, kBrowseCode, "..."), 'b');
    letter(dialog.AddRadioButton(1, 3, kGroup, choice.format, static_cast<int>(ExportFormat::kCsv), "CSV"), 'c');
    letter(dialog.AddRadioButton(1, 4, 0, choice.format, static_cast<int>(ExportFormat::kSav), "SAV"), 's');
    letter(dialog.AddRadioButton(1, 5, 0, choice.format, static_cast<int>(ExportFormat::kTxt), "TXT"), 't');
    dialog.AddText(9, 3, "-->");
    letter(dialog.AddCheckBox(13, 3, kGroup, choice.selectedFieldsOnly, "Selected fields only"), 'f');
    letter(dialog.AddCheckBox(13, 4, 0, choice.fieldNameHeading, "Field name heading"), 'h');
    letter(dialog.AddCheckBox(13, 5, 0, choice.selectedRecordsOnly, "Selected records only"), 'r');
    const int exportButton = dialog.AddPushButton(9, 7, kGroup, kKeyEnter, "Export");
    letter(exportButton, 'e');
    dialog.AddPushButton(21, 7, kGroup, kKeyEsc, "Cancel");
    dialog.SetHotLetters(letters.data(), static_cast<int>(letters.size()));
    dialog.SetDefaultButton(exportButton);
    dialog.SetFocus(nameField);

    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return;
        if (code == kBrowseCode) {
            Estring chosen;
            if (browseForFile(choice.fileName, DialogFileOpen::kSaveAs, nullptr, chosen)) {
                static_cast<StringField&>(dialog.ControlAt(nameField)).SetText(chosen);
                choice.fileName = chosen;
                dialog.Redraw(-1);
            }
            continue;
        }
        if (code == kKeyEnter) break;
    }

    const Estring path = exportFileName(choice.fileName, static_cast<ExportFormat>(choice.format));
    View view = viewOf(viewer);
    DialogExportControl control(dialog);
    ExportResult result;
    Estring first, second;
    if (!exportToFile(view, path, choice.Options(), &control, result, first, second))
        messageBox(first, second, kMessageOk);
}
