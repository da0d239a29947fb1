#include "viewer/ImportDialog.h"

#include <string>

#include "base/StdFile.h"
#include "btrieve/BtrieveFile.h"
#include "ui/Dialog.h"
#include "ui/DialogFileOpen.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StaticText.h"
#include "ui/StringField.h"
#include "viewer/ExportDialog.h"
#include "viewer/FileDialogPaths.h"
#include "viewer/FileViewer.h"
#include "viewer/ViewerView.h"
#include "viewfile/Importer.h"

namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 9;
constexpr int kPlacementThirdDown = -3;
constexpr int kPlacementCentred = -2;
constexpr int kBrowseCode = kKeyAltB;  // 1048
constexpr int kGroup = 2;
constexpr int kProgressWidth = 40;
constexpr int kProgressHeight = 5;
constexpr int kGaugeWidth = 36;
constexpr int kAlignCentre = 1;

float Fraction(long long position, long long size) {
    if (size <= 0) return 1.0f;
    if (position >= size) return 1.0f;
    return static_cast<float>(static_cast<double>(position) / static_cast<double>(size));
}

// The Importing Records window, and the questions asked over it.
class ImportWindow : public ImportControl {
public:
    ImportWindow() : window(-1, kPlacementCentred, kProgressWidth, kProgressHeight, 0x70, 0x70) {
        window.AddHeading("Importing Records", 1);
        window.AddText(1, 0, "Records:");
        countIndex = window.AddText(10, 0, Estring("0"), kProgressWidth - 12, 0, 0);
        gaugeIndex = window.AddProgress(1, 1, kGaugeWidth, fraction);
        percentIndex = window.AddText(0, 2, importPercentText(0, 1), kProgressWidth - 2, kAlignCentre, 0);
        window.Redraw(-1);
        SetCursorShape(0);
    }

    void Progress(long long inserted, int64_t position, int64_t size) override {
        if (inserted != shownCount) {
            shownCount = inserted;
            static_cast<StaticText&>(window.ControlAt(countIndex)).SetText(Estring::FromInt(inserted));
        }
        fraction = Fraction(position, size);
        window.Redraw(gaugeIndex);
        Estring percent = importPercentText(position, size);
        auto& text = static_cast<StaticText&>(window.ControlAt(percentIndex));
        if (!(text.Text() == percent)) text.SetText(percent);
    }
    bool StopRequested() override { return EscapePressed(); }
    bool ConfirmStop() override { return messageBox("Cancel Import?", "", kMessageOkCancel) == kAnswerOk; }
    ImportDecision RecordRefused(const ImportProblem& problem) override {
        const int answer = messageBox(problem.first, problem.second, kMessageSkipCancelSkipAll);
        if (answer == kAnswerSkip) return ImportDecision::kSkip;
        if (answer == kAnswerAll) return ImportDecision::kSkipAll;
        return ImportDecision::kCancel;
    }

private:
    Dialog window;
    float fraction = 0.0f;
    long long shownCount = 0;
    int countIndex = -1;
    int gaugeIndex = -1;
    int percentIndex = -1;
};

bool RunImport(FileViewer& viewer, const Estring& path, int format, long long* inserted) {
    View view = viewOf(viewer);
    ImportResult result;
    {
        ImportWindow window;
        result = format == kImportSav ? importSav(view, path, &window) : importCsv(view, path, &window);
        if (!result.opened) messageBox("Unable to open", path, kMessageOk);
        else if (!result.error.IsEmpty())
            messageBox(result.error, Estring::FromInt(result.inserted) + " records inserted", kMessageOk);
    }
    if (inserted != nullptr) *inserted = result.inserted;
    return result.Ok();
}

Estring WithExtension(const Estring& name, int format) {
    if (StdFile::HasExtension(name.View())) return name;
    return name + (format == kImportSav ? ".sav" : ".csv");
}

}  // namespace

Estring importPercentText(long long position, long long size) {
    return Estring::Format("%.1f%%", static_cast<double>(Fraction(position, size)) * 100.0);
}

bool importCsv(FileViewer& viewer, const Estring& path, long long* inserted) {
    return RunImport(viewer, path, kImportCsv, inserted);
}

bool importSav(FileViewer& viewer, const Estring& path, long long* inserted) {
    return RunImport(viewer, path, kImportSav, inserted);
}

bool importRecords(FileViewer& viewer) {
    Estring fileName = exportStartName(viewer.dataFile->fileName());
    int format = kImportCsv;

    Dialog dialog(-1, kPlacementThirdDown, kWidth, kHeight, 0x70, 0);
    std::string letters;
    auto letter = [&](int index, char c) {
        if (static_cast<int>(letters.size()) <= index) letters.resize(static_cast<size_t>(index) + 1, '\0');
        letters[static_cast<size_t>(index)] = c;
    };
    dialog.AddHeading("Import Records", 1);
    dialog.AddText(1, 1, "File Name:");
    const int nameField = dialog.AddStringField(12, 1, kGroup, fileName, 26, 0, kNoHistory);
    letter(nameField, 'f');
    letter(dialog.AddPushButton(40, 1, kGroup, kBrowseCode, "..."), 'b');
    letter(dialog.AddRadioButton(1, 3, kGroup, format, kImportCsv, "CSV"), 'c');
    letter(dialog.AddRadioButton(1, 4, 0, format, kImportSav, "SAV"), 's');
    const int importButton = dialog.AddPushButton(9, 6, kGroup, kKeyEnter, "Import");
    letter(importButton, 'i');
    dialog.AddPushButton(21, 6, kGroup, kKeyEsc, "Cancel");
    dialog.SetHotLetters(letters.data(), static_cast<int>(letters.size()));
    dialog.SetDefaultButton(importButton);
    dialog.SetFocus(nameField);

    bool changed = false;
    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return changed;
        const Estring name = WithExtension(fileName, format);
        if (code == kBrowseCode) {
            Estring chosen;
            if (browseForFile(name, DialogFileOpen::kOpen, nullptr, chosen)) {
                fileName = chosen;
                static_cast<StringField&>(dialog.ControlAt(nameField)).SetText(chosen);
                if (chosen.Right(4) == Estring(".csv")) format = kImportCsv;  // letter case ignored
                else if (chosen.Right(4) == Estring(".sav")) format = kImportSav;
                dialog.Redraw(-1);
            }
            continue;
        }
        if (code != kKeyEnter) continue;
        long long inserted = 0;
        const bool ran = format == kImportSav ? importSav(viewer, name, &inserted) : importCsv(viewer, name, &inserted);
        changed = changed || inserted > 0;
        if (ran) return true;
    }
}
