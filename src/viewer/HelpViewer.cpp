#include "viewer/HelpViewer.h"

#include <algorithm>

#include "expr/ExpressionHelp.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/RawWindow.h"
#include "viewer/Joins.h"

namespace {

constexpr int kHelpWidth = 76;
constexpr uint8_t kTextAttribute = 0x17;
constexpr uint8_t kFrameAttribute = 0x1E;
constexpr uint8_t kTitleAttribute = 0x1F;
constexpr uint8_t kHeadingAttribute = 0x1F;
constexpr int kArrowsColumn = 65;
constexpr char kHeading = '\x08';

// The grid's own keys.
const char* const kViewerPage[] = {
    "\x08Navigation keys",
    "Arrow Up       : Move cursor up one record, scrolling if necessary",
    "Arrow Down     : Move cursor down one record, scrolling if necessary",
    "Arrow Left     : Scroll view to the left",
    "Arrow Right    : Scroll view to the right",
    "Ctrl-Left/Right: Like Left/Right but scrolls in 40 character jumps",
    "Page Up        : View page of records before the current page",
    "Page Down      : View page of records after the current page",
    "Home           : View first page of records",
    "End            : View last page of records",
    "Ctrl-Home      : Scroll view fully to the left",
    "Ctrl-End       : Scroll view fully to the right",
    "Alt-G            Go to a particular record by a key value",
    "",
    "\x08View Customization",
    "Alt-S : Select sort order",
    "Alt-F : Modify Field Selection and Calculated Fields",
    "Alt-R : Restrict records in view",
    "Alt-J : Create join to another file",
    "F2    : Save current view",
    "F3    : Load saved view",
    "",
    "\x08Record Manipulations",
    "Enter  : Edit the current record",
    "Alt-H  : Hex view of current record",
    "Insert : Add a new record",
    "F5     : Add a new record like the current record",
    "F8     : Delete the current record",
    "Alt-M  : Modify all records in view",
    "Ctrl-F8: Delete all records in view",
    "Alt-Y  : Empty file",
    "Alt-E  : Export records",
    "Alt-I  : Import records",
    "",
    "\x08Miscellaneous",
    "Ctrl-L: File statistics",
    "Alt-T : Calculate totals for all records in view",
    "Alt-O : Change file owner settings",
    "F1    : Help. Displays a summary of function keys available",
    "Esc   : Exit back to file list",
    "Alt-X : Exit QDX immediately",
};

}  // namespace

std::vector<Estring> HelpPageLines(HelpPage page) {
    std::vector<Estring> lines;
    if (page == HelpPage::kViewer) {
        for (const char* line : kViewerPage) lines.emplace_back(line);
    } else if (page == HelpPage::kExpressions) {
        int count = 0;
        const char* const* text = expr::ExpressionHelpLines(count);
        for (int i = 0; i < count; ++i) lines.emplace_back(text[i]);
    } else if (page == HelpPage::kJoins) {
        lines = JoinHelpLines();
    }
    return lines;
}

int HelpTopAfterKey(int key, int top, int rows, int count) {
    bool full = top + rows <= count;
    switch (key) {
        case kKeyUp: return std::max(0, top - 1);
        case kKeyPageUp: return std::max(0, top - rows);
        case kKeyHome: return 0;
        case kKeyEnd: return full ? std::max(0, count - rows) : top;
        case kKeyDown: return full ? top + 1 : top;
        case kKeyPageDown: return full ? top + rows : top;
        default: return top;
    }
}

void showHelp(HelpPage page) {
    const std::vector<Estring> lines = HelpPageLines(page);
    int screenWidth = 0, screenHeight = 0;
    RawWindow::GetScreenSize(screenWidth, screenHeight);
    RawWindow window(-1, -2, kHelpWidth, screenHeight - 6, kTextAttribute, kFrameAttribute, false);
    window.WriteCentred(-1, " Quarrydex Help ", kTitleAttribute);
    const int rows = std::max(1, screenHeight - 8);
    window.WriteText(kArrowsColumn - 1, window.InnerHeight(), Estring(" \x18 \x19 "), kFrameAttribute);
    const int count = static_cast<int>(lines.size());
    int top = 0;
    for (;;) {
        for (int i = 0; i < rows; ++i) {
            window.SetCursor(0, i);
            window.ClearToEndOfLine(kTextAttribute);
            if (top + i >= count) continue;
            const Estring& line = lines[static_cast<size_t>(top + i)];
            if (!line.IsEmpty() && line[0] == kHeading) {
                window.WriteText(1, i, line.Mid(1).Left(window.InnerWidth() - 2), kHeadingAttribute);
            } else {
                window.WriteText(1, i, line.Left(window.InnerWidth() - 2), kTextAttribute);
            }
        }
        InputEvent event{};
        WaitInput(event);
        if (event.type != kEventKey) continue;
        if (event.key == kKeyEsc) break;
        top = HelpTopAfterKey(event.key, top, rows, count);
    }
}
