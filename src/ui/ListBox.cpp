#include "ui/ListBox.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/Console.h"
#include "ui/Dialog.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"

ListBox::ListBox(Dialog& owner, int x_, int y_, int groupFlags, int width_, int rows, int count, int& current_,
                 int exitCode_)
    : Control(owner, x_, y_, groupFlags), width(width_), paging(rows, count, current_), current(&current_),
      exitCode(exitCode_) {
    *current = paging.Current();
}

// The popup lies over the dialog's frame: it must go before the dialog
// restores the screen, which happens after its controls are destroyed.
ListBox::~ListBox() = default;

Estring ListBox::ItemText(int) const { return Estring(); }

int ListBox::LineColour(int line) const {
    if (!enabled) return dialog.Colour(kColourDisabled);
    return line == paging.Row() && HasFocus() ? dialog.Colour(kColourListBoxCurrent) : dialog.Colour(kColourListBox);
}

void ListBox::WriteLine(int line, const Estring& text, int colour) {
    dialog.WriteText(x, y + line, text.PadOrCut(width), colour);
}

void ListBox::Follow() {
    if (*current != paging.Current()) paging.Follow(*current);
}

void ListBox::Draw() {
    Follow();
    *current = paging.Current();
    int row = paging.Row();
    int top = paging.Top();
    if (top != drawnTop) {
        for (int line = 0; line < paging.Rows(); ++line) DrawItem(line, top + line, LineColour(line));
    } else {
        if (drawnRow != row && drawnRow >= 0 && drawnRow < paging.Rows())
            DrawItem(drawnRow, top + drawnRow, LineColour(drawnRow));
        DrawItem(row, top + row, LineColour(row));
    }
    drawnRow = row;
    drawnTop = top;
}

void ListBox::FocusChanged(bool gained) {
    if (!gained) EndSearch();
    Draw();
}

void ListBox::Publish() {
    *current = paging.Current();
    Draw();
}

void ListBox::Enter() {
    if (exitCode > 0) {
        dialog.SetResult(exitCode);
    } else {
        dialog.SetResult(dialog.DefaultCode() != 0 ? dialog.DefaultCode() : kKeyEnter);
    }
}

int ListBox::HandleEvent(InputEvent& event) {
    if (event.type == kEventSetCount) {
        paging.SetCount(event.key);
        Invalidate();
        Draw();
        return 1;
    }
    if (event.type == kEventQueryPos) return paging.Row();
    Follow();
    if (event.type == kEventKey && Search(event)) {
        Publish();
        return 1;
    }
    if (event.type == kEventKey && event.key >= 33 && event.key <= 255) return 0;  // no match: dropped
    EndSearch();
    int consumed = 0;
    switch (event.type) {
        case kEventKey: consumed = HandleKey(event.key); break;
        case kEventLeftPress:
        case kEventDoubleClick:
        case kEventLeftRelease:
        case kEventLeftDrag: consumed = HandleMouse(event); break;
        case kEventWheelUp:
        case kEventWheelDown: consumed = HandleWheel(event); break;
        default: break;
    }
    if (consumed) Publish();
    return consumed;
}

bool ListBox::Search(const InputEvent& event) {
    int key = event.key;
    int direction;
    if (key == kKeyAltUp) {
        direction = -1;
    } else if (key == kKeyAltDown) {
        direction = 1;
    } else if (key >= 33 && key <= 255) {
        direction = 0;
    } else {
        return false;
    }
    Estring wanted = search;
    if (direction == 0) wanted += static_cast<char>(key);
    int found = ListPaging::FindPrefix(paging.Count(), paging.Current(), wanted, direction,
                                       [this](int item) { return ItemText(item); });
    if (found < 0 && direction == 0) return false;
    search = wanted;
    if (found >= 0) paging.Follow(found);
    ShowSearchPopup();
    return true;
}

void ListBox::ShowSearchPopup() {
    searchPopup.reset();  // the old popup goes first, so the screen under it is the dialog's
    if (search.IsEmpty()) return;
    // A prefix wider than the dialog shows its last characters, the ones just typed.
    int popupWidth = std::min(search.Length() + 2, dialog.Width());
    searchPopup = std::make_unique<RawWindow>(dialog.Right() - popupWidth + 1, dialog.Bottom(), popupWidth, 1,
                                              dialog.Colour(kColourListBoxCurrent), -1, true, dialog.WindowConsole());
    searchPopup->WriteCentred(0, search.Right(popupWidth - 2));
}

void ListBox::EndSearch() {
    search.Clear();
    searchPopup.reset();
}

int ListBox::HandleKey(int key) {
    switch (key) {
        case kKeyUp: paging.Up(); return 1;
        case kKeyDown: paging.Down(); return 1;
        case kKeyPageUp: paging.PageUp(); return 1;
        case kKeyPageDown: paging.PageDown(); return 1;
        case kKeyHome: paging.Home(); return 1;
        case kKeyEnd: paging.End(); return 1;
        case kKeyEnter: Enter(); return 1;
        default: break;
    }
    if (exitCode == -1) {
        dialog.SetResult(key);
        return 1;
    }
    return 0;
}

int ListBox::HandleMouse(const InputEvent& event) {
    bool inColumns = event.x >= x && event.x < x + width;
    int line = event.y - y;
    if (inColumns && line >= 0 && line < paging.Rows()) {
        if (!HasFocus()) dialog.SetFocus(index);
        paging.PointAt(line);
        if (event.type == kEventDoubleClick || (event.type == kEventLeftRelease && exitCode == -1)) Enter();
        return 1;
    }
    bool pressOrDrag = event.type == kEventLeftPress || event.type == kEventLeftDrag;
    if (inColumns && pressOrDrag && (line == -1 || line == paging.Rows())) {
        if (!HasFocus()) dialog.SetFocus(index);
        AutoScroll(line == -1);
        return 1;
    }
    return 0;
}

int ListBox::HandleWheel(const InputEvent& event) {
    int line = event.y - y;
    if (event.x < x || event.x >= x + width || line < 0 || line >= paging.Rows()) return 0;
    paging.MoveBy(event.type == kEventWheelUp ? -kWheelStep : kWheelStep);
    return 1;
}

void ListBox::AutoScroll(bool back) {
    if (back) {
        paging.PointAt(0);
    } else {
        paging.PointAt(paging.Rows() - 1);
    }
    Publish();
    Console& console = dialog.WindowConsole();
    while (!console.Pending()) {
        console.Screen().Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(kAutoScrollMs));
        if (console.Pending()) break;
        if (!(back ? paging.ScrollBack() : paging.ScrollForward())) break;
        Publish();
    }
}
