// Program entry. For now: the start-up background with the title band and a
// framed demonstration window that shows the code of every key and mouse
// action; Esc (or Alt-X) leaves with exit code 0.

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

#include "base/Estring.h"
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
    QDXBackground background;
    background.DrawTitleBand(kTitle);
    SetCursorShape(0);

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

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::string error;
    std::unique_ptr<TerminalDisplay> display = TerminalDisplay::Open(error);
    if (!display) {
        std::fprintf(stderr, "quarrydex: %s\n", error.c_str());
        return 1;
    }
    TerminalInput input(STDIN_FILENO);
    InstallConsole(display.get(), &input);
    // Engine calls waiting for a lock show it on the screen.
    LockWaitWindow lockWait;
    InstallLockWaitPrompt(&lockWait);
    RunDemo();
    InstallLockWaitPrompt(nullptr);
    display->Flush();
    InstallConsole(nullptr, nullptr);
    display.reset();
    return 0;
}
