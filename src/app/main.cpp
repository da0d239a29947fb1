// Program entry: the start-up background with the title band, the command
// line and the dictionary (the path prompt when it is not found; Esc there
// ends the program with exit code 1). For now the dictionary is followed by
// a framed demonstration window that shows the code of every key and mouse
// action; Esc (or Alt-X) leaves with exit code 0.

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/CommandLine.h"
#include "app/DictionaryPrompt.h"
#include "base/Estring.h"
#include "btrieve/LockWait.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryMessages.h"
#include "platform/Console.h"
#include "platform/TerminalDisplay.h"
#include "platform/TerminalInput.h"
#include "ui/ColourScheme.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/LockWaitWindow.h"
#include "ui/QDXBackground.h"
#include "ui/RawWindow.h"

namespace {

constexpr const char* kTitle = "Quarrydex v1.00.152";

Estring Describe(const InputEvent& event) {
    switch (event.type) {
        case kEventKey: return Estring::Format("Key %d", event.key);
        case kEventLeftPress: return Estring::Format("Left press at %d,%d", event.x, event.y);
        case kEventDoubleClick: return Estring::Format("Double click at %d,%d", event.x, event.y);
        case kEventLeftRelease: return Estring::Format("Left release at %d,%d", event.x, event.y);
        case kEventLeftDrag: return Estring::Format("Left drag to %d,%d", event.x, event.y);
        case kEventRightPress: return Estring::Format("Right press at %d,%d", event.x, event.y);
        case kEventRightRelease: return Estring::Format("Right release at %d,%d", event.x, event.y);
        default: return Estring::Format("Event %d", event.type);
    }
}

void RunDemo() {
    RawWindow window(-1, -2, 52, 9, ColourScheme[kColourWindow], ColourScheme[kColourDialogFrame], false);
    window.WriteCentred(-1, " Console ");
    window.WriteCentred(1, "Press keys or click to see their codes.");
    window.WriteHotText(2, 5, "Esc = Leave", "L");
    for (;;) {
        InputEvent event{};
        WaitInput(event);
        if (event.type == kEventKey && (event.key == kKeyEsc || event.key == kKeyAltX)) break;
        window.SetCursor(2, 3);
        window.ClearToEndOfLine();
        window.WriteText(2, 3, Describe(event));
    }
}

// Exit code of the program.
int Run(const CommandLine& line) {
    QDXBackground background;
    background.DrawTitleBand(kTitle);
    SetCursorShape(0);
    Estring path = line.dictionaryPath;
    if (!openDictionary(path, AskDictionaryPath)) return 1;
    RunDemo();
    closeDictionary();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line = ParseCommandLine(argc, argv);
    std::string error;
    std::unique_ptr<TerminalDisplay> display = TerminalDisplay::Open(error);
    if (!display) {
        std::fprintf(stderr, "quarrydex: %s\n", error.c_str());
        return 1;
    }
    TerminalInput input(STDIN_FILENO);
    InstallConsole(display.get(), &input);
    // Engine calls waiting for a lock show it on the screen; a table's
    // definition reports its failures in the message box.
    LockWaitWindow lockWait;
    InstallLockWaitPrompt(&lockWait);
    MessageBoxDictionaryMessages dictionaryMessages;
    InstallDictionaryMessages(&dictionaryMessages);
    int code = Run(line);
    InstallDictionaryMessages(nullptr);
    InstallLockWaitPrompt(nullptr);
    display->Flush();
    InstallConsole(nullptr, nullptr);
    display.reset();
    return code;
}
