#include "app/DictionaryPrompt.h"

#include "btrieve/StatusText.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/MessageBox.h"
#include "ui/StringField.h"

bool AskDictionaryPath(int status, Estring& path) {
    const int colour = ColourScheme[kColourMessage];
    Dialog dialog(-1, -4, 40, 6, colour, colour);
    Estring title = "Error opening dictionary files";
    Estring reason = statusText(status).Left(dialog.InnerWidth());
    dialog.AddText((dialog.InnerWidth() - title.Length()) / 2, 0, title);
    dialog.AddText((dialog.InnerWidth() - reason.Length()) / 2, 1, reason);
    dialog.AddText(1, 3, "Enter Path:");
    int field = dialog.AddStringField(13, 3, 1, path, 24, 0, kNoHistory);
    dialog.SetFocus(field);
    return dialog.Run() != 27;
}

void MessageBoxDictionaryMessages::Show(const Estring& first, const Estring& second) {
    messageBox(first, second, kMessageOk);
}
