#include "viewer/ExpressionTest.h"

#include "expr/Expression.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/StaticText.h"
#include "ui/StringField.h"
#include "viewer/FileViewer.h"

namespace {
constexpr int kEntryWidth = 24;
constexpr int kFormulaLength = 128;
constexpr int kRealTextWidth = 40;
}  // namespace

bool EvaluateTestExpression(FileViewer& viewer, const Estring& text, Estring& resultText, Estring& errorText) {
    Expression expression(&viewer.fields, text);
    Variant value;
    if (!expression.Evaluate(viewer.recordBuffer.get(), viewer.currentRecordLength(), value)) {
        errorText = expression.ErrorMessage();
        resultText = Estring();
        return false;
    }
    errorText = Estring();
    resultText = VariantToText(value, kRealTextWidth, -1);
    return true;
}

void testExpression(FileViewer& viewer) {
    Estring formula;
    Dialog dialog(-1, -2, 40, 6, 0x70, 0);
    dialog.AddText(1, 1, "Expression:");
    dialog.AddStringField(13, 1, 0, formula, kEntryWidth, kFormulaLength, 0, kNoHistory);
    dialog.AddText(1, 2, "Result    :");
    const int result = dialog.AddText(13, 2, Estring(), kEntryWidth, 0, 0);
    for (;;) {
        const int code = dialog.Run();
        if (code == kKeyEsc) return;
        if (code != kKeyEnter) continue;
        Estring text, error;
        auto& line = static_cast<StaticText&>(dialog.ControlAt(result));
        if (EvaluateTestExpression(viewer, formula, text, error)) {
            line.SetText(text.PadOrCut(kEntryWidth));
        } else {
            line.SetText(Estring().PadOrCut(kEntryWidth));
            messageBox(error, "", kMessageOk);
        }
    }
}
