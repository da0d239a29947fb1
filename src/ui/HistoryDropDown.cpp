#include "ui/HistoryDropDown.h"

#include <algorithm>
#include <vector>

#include "ui/Control.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/TextHistory.h"

namespace {

constexpr int kRows = 6;

// The list inside the drop-down: one entry per row, the current one marked.
class HistoryList : public Control {
public:
    HistoryList(Dialog& owner, const std::vector<Estring>& entries, int width)
        : Control(owner, 0, 0, 1), entries(entries), width(width) {
        current = static_cast<int>(entries.size()) - 1;
        top = std::max(0, current - kRows + 1);
    }

    int Kind() const override { return kKindListBox; }
    int Current() const { return current; }

    int HandleEvent(InputEvent& event) override {
        int count = static_cast<int>(entries.size());
        if (event.type == kEventKey) {
            switch (event.key) {
                case kKeyUp: MoveTo(current - 1); return 1;
                case kKeyDown: MoveTo(current + 1); return 1;
                case kKeyPageUp: MoveTo(current - kRows); return 1;
                case kKeyPageDown: MoveTo(current + kRows); return 1;
                case kKeyHome: MoveTo(0); return 1;
                case kKeyEnd: MoveTo(count - 1); return 1;
                default: return 0;
            }
        }
        bool inside = event.x >= 0 && event.x < width && event.y >= 0 && event.y < kRows;
        if (event.type == kEventLeftPress || event.type == kEventDoubleClick || event.type == kEventLeftDrag) {
            if (!inside) return 0;
            if (top + event.y < count) MoveTo(top + event.y);
            if (event.type == kEventDoubleClick) dialog.SetResult(kKeyEnter);
            return 1;
        }
        if (event.type == kEventLeftRelease) return inside ? 1 : 0;
        return 0;
    }

    void Draw() override {
        int count = static_cast<int>(entries.size());
        for (int row = 0; row < kRows; ++row) {
            int i = top + row;
            Estring text = i < count ? entries[static_cast<size_t>(i)] : Estring();
            int colour = i == current && HasFocus() ? dialog.Colour(kColourListBoxCurrent) : dialog.Colour(kColourListBox);
            dialog.WriteText(0, row, text.PadOrCut(width), colour);
        }
    }

private:
    void MoveTo(int i) {
        int count = static_cast<int>(entries.size());
        current = std::max(0, std::min(i, count - 1));
        if (current < top) top = current;
        if (current >= top + kRows) top = current - kRows + 1;
        Draw();
    }

    const std::vector<Estring>& entries;
    int width;
    int current;
    int top;
};

}  // namespace

bool ChooseFromHistory(Dialog& owner, int x, int y, int width, int history, Estring& chosen) {
    if (history < 0 || history >= kHistoryLists) return false;
    const std::vector<Estring> entries = TextHistory(history);
    int screenWidth = 0, screenHeight = 0;
    owner.WindowConsole().GetScreenSize(screenWidth, screenHeight);
    int left = std::max(0, owner.OriginX() + x - 1);
    int top = owner.OriginY() + y + 1;
    if (top + kRows + 2 > screenHeight) top = std::max(0, owner.OriginY() + y - kRows - 2);
    Dialog drop(left, top, width + 2, kRows + 2, owner.Attribute(), 0, owner.WindowConsole());
    HistoryList& list = drop.AddControl<HistoryList>(entries, width);
    int code = drop.Run();
    if (code != kKeyEnter || entries.empty()) return false;
    chosen = entries[static_cast<size_t>(list.Current())];
    return true;
}
