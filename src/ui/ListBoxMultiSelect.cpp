#include "ui/ListBoxMultiSelect.h"

#include <algorithm>

#include "ui/Dialog.h"
#include "ui/KeyCodes.h"

namespace {
// Ctrl with the keypad's plus and minus keys.
constexpr int kKeyCtrlPadPlus = 1144;
constexpr int kKeyCtrlPadMinus = 1142;
}  // namespace

ListBoxMultiSelect::ListBoxMultiSelect(Dialog& owner, int x_, int y_, int groupFlags, int width_, int rows,
                                       const EstringStore& list_, uint8_t* marks_, int& current, int exitCode)
    : ListBoxEstring(owner, x_, y_, groupFlags, width_, rows, list_, current, exitCode), marks(marks_) {}

int ListBoxMultiSelect::MarkCount() const { return std::min(Count(), list.Count()); }

void ListBoxMultiSelect::SetAll(uint8_t value) {
    for (int i = 0; i < MarkCount(); ++i) marks[i] = value;
    Invalidate();
    Draw();
}

int ListBoxMultiSelect::HandleEvent(InputEvent& event) {
    if (event.type == kEventKey) {
        switch (event.key) {
            case kKeySpace: {
                int item = TopItem() + Row();
                if (Count() > 0 && item < MarkCount()) {
                    marks[item] = marks[item] ? 0 : 1;
                    DrawItem(Row(), item, LineColour(Row()));
                }
                return 1;
            }
            case kKeyCtrlPadPlus:
            case kKeyAltA: SetAll(1); break;
            case kKeyCtrlPadMinus:
            case kKeyAltN: SetAll(0); break;
            default: break;
        }
    }
    return ListBoxEstring::HandleEvent(event);
}

void ListBoxMultiSelect::DrawItem(int line, int item, int colour) {
    ListBoxEstring::DrawItem(line, item, colour);
    bool chosen = item >= 0 && item < MarkCount() && marks[item] != 0;
    if (x >= 1) dialog.WriteText(x - 1, y + line, Estring(chosen ? "*" : " "), dialog.Colour(kColourWindow));
}
