#include "ui/LockWaitWindow.h"

#include "platform/KeyCodes.h"
#include "ui/ColourScheme.h"
#include "ui/Input.h"
#include "ui/RawWindow.h"

bool LockWaitWindow::Wait(const Estring& fileName, int status) {
    int screenWidth = 0, screenHeight = 0;
    console.GetScreenSize(screenWidth, screenHeight);
    Estring text = LockWaitText(fileName, status, screenWidth - 2);
    int key = 0;
    {
        RawWindow line(-1, -1, text.Length() + 2, 1, ColourScheme[kColourMessage], -1, true, console);
        line.WriteText(1, 0, text);
        for (int poll = 0; poll < kLockWaitPolls; ++poll) {
            InputEvent event{};
            ReadInput(console, event, kLockWaitPollMs);
            if (event.type == kEventKey) {
                key = event.key;
                break;
            }
        }
    }
    return key == kKeyCtrlZ;
}
