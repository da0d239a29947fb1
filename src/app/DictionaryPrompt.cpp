#include "app/DictionaryPrompt.h"

#include <vector>

#include "btrieve/StatusText.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"

namespace {

// A library that did not load is explained below the status, in a wider box.
constexpr int kEngineFailureWidth = 76;
constexpr int kEngineFailureLines = 4;

}  // namespace

bool AskDictionaryPath(int status, Estring& path) {
    const int colour = ColourScheme[kColourMessage];
    std::vector<Estring> engine;
    Estring failure = EngineFailureText(status);
    if (!failure.IsEmpty()) engine = WrapMessageText(failure);
    if (static_cast<int>(engine.size()) > kEngineFailureLines) engine.resize(kEngineFailureLines);
    const int lines = static_cast<int>(engine.size());
    Dialog dialog(-1, -4, engine.empty() ? 40 : kEngineFailureWidth, 6 + lines, colour, colour);
    Estring title = "Error opening dictionary files";
    Estring reason = statusText(status).Left(dialog.InnerWidth());
    dialog.AddText((dialog.InnerWidth() - title.Length()) / 2, 0, title);
    dialog.AddText((dialog.InnerWidth() - reason.Length()) / 2, 1, reason);
    for (int i = 0; i < lines; ++i) {
        Estring line = engine[i].Left(dialog.InnerWidth());
        dialog.AddText((dialog.InnerWidth() - line.Length()) / 2, 2 + i, line);
    }
    dialog.AddText(1, 3 + lines, "Enter Path:");
    int field = dialog.AddStringField(13, 3 + lines, 1, path, 24, 0, kNoHistory);
    dialog.SetFocus(field);
    return dialog.Run() != 27;
}

void MessageBoxDictionaryMessages::Show(const Estring& first, const Estring& second) {
    messageBox(first, second, kMessageOk);
}
