#include "ui/Dialog.h"

#include <algorithm>
#include <cstring>

#include "ui/ExitKey.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"

namespace {

int FrameColour(int frameAttribute) {
    if (frameAttribute < 0) return -1;
    return frameAttribute == 0 ? ColourScheme[kColourDialogFrame] : frameAttribute;
}

bool IsMouseType(uint8_t type) {
    return (type >= kEventLeftPress && type <= kEventRightRelease) || type == kEventWheelUp || type == kEventWheelDown;
}

}  // namespace

Dialog::Dialog(int left_, int top_, int width, int height, int attribute_, int frameAttribute, Console& console)
    : RawWindow(left_, top_, width, height, attribute_, FrameColour(frameAttribute), frameAttribute < 0, console),
      colours(ColourScheme) {
    colours[kColourWindow] = Attribute();
}

Dialog::~Dialog() {
    // Controls go in index order; text fields record their history unless
    // the dialog was left with Esc. The window restores the screen afterwards.
    for (auto& control : controls) {
        if (hasRun && result != kKeyEsc) control->Commit();
        control.reset();
    }
    controls.clear();
    WindowConsole().SetCursorShape(0);
}

int Dialog::StartControl(int groupFlags) {
    int index = ControlCount();
    if (groupFlags != 0 || index == 0) groupHead = index;
    return groupHead;
}

int Dialog::Adopt(std::unique_ptr<Control> control) {
    int index = control->Index();
    controls.push_back(std::move(control));
    return index;
}

void Dialog::SetHotLetters(const char* letters, int count) {
    hotLetters.clear();
    if (letters != nullptr && count > 0) hotLetters.assign(letters, static_cast<size_t>(count));
    hotLetterCount = static_cast<int>(hotLetters.size());
}

int Dialog::HotLetter(int index) const {
    if (index < 0 || index >= hotLetterCount) return 0;
    return static_cast<unsigned char>(hotLetters[static_cast<size_t>(index)]);
}

bool Dialog::Usable(int index) const {
    if (index < 0 || index >= ControlCount()) return false;
    const Control& c = *controls[index];
    return c.IsFocusable() && c.IsEnabled();
}

int Dialog::Wrap(int index) const {
    int n = ControlCount();
    if (index < 0) return index + n;
    if (index >= n) return index - n;
    return index;
}

bool Dialog::MayLeaveForward(int direction) {
    if (direction <= 0 || focus < 0) return true;
    if (!controls[focus]->CanLeave()) return false;
    return CanLeaveField();
}

void Dialog::SetFocus(int index) {
    if (index < 0 || index >= ControlCount() || index == focus) return;
    if (!FocusChanging(focus, index)) return;
    if (index < 0 || index >= ControlCount() || index == focus) return;
    int old = focus;
    Control& head = *controls[controls[index]->Group()];
    int previousCurrent = head.groupCurrent;
    focus = index;
    head.groupCurrent = index;
    controls[index]->FocusChanged(true);
    if (old >= 0) controls[old]->FocusChanged(false);
    if (previousCurrent != old && previousCurrent != index && previousCurrent >= 0 && previousCurrent < ControlCount())
        controls[previousCurrent]->FocusChanged(false);
}

void Dialog::MoveInGroup(int direction) {
    if (focus < 0 || ControlCount() == 0) return;
    if (!MayLeaveForward(direction)) return;
    int group = controls[focus]->Group();
    int i = focus;
    do {
        i = Wrap(i + direction);
    } while (i != focus && !(controls[i]->Group() == group && Usable(i)));
    SetFocus(i);
}

void Dialog::NextField(int direction) {
    int n = ControlCount();
    if (n == 0) return;
    if (focus < 0) {
        // Nothing focused yet: start the walk just outside the list.
        for (int k = 0; k < n; ++k) {
            int i = direction > 0 ? k : n - 1 - k;
            if (Usable(i)) {
                SetFocus(i);
                return;
            }
        }
        return;
    }
    if (!MayLeaveForward(direction)) return;
    int ownGroup = controls[focus]->Group();
    int i = focus;
    for (;;) {
        i = Wrap(i + direction);
        if (i == focus) return;
        if (controls[i]->Group() != ownGroup && Usable(i)) break;
    }
    const Control& head = *controls[controls[i]->Group()];
    int target = head.TabToHead() ? head.Index() : head.groupCurrent;
    SetFocus(target);
    if (!Usable(focus)) MoveInGroup(direction);
}

void Dialog::Advance() {
    if (!MayLeaveForward(+1)) return;
    int n = ControlCount();
    int target = -1;
    if (focus >= 0) {
        int ownGroup = controls[focus]->Group();
        bool withinGroup = controls[ownGroup]->TabToHead();
        for (int j = focus + 1; j < n && target < 0; ++j) {
            const Control& c = *controls[j];
            if (c.Group() == ownGroup) {
                if (withinGroup && Usable(j)) target = j;
                continue;
            }
            const Control& head = *controls[c.Group()];
            if (!head.TabToHead()) {
                // Enter a group without tabToHead at its current member only.
                if (j == head.Index() && Usable(head.groupCurrent)) target = head.groupCurrent;
                continue;
            }
            if (Usable(j)) target = j;
        }
    }
    if (target >= 0) {
        SetFocus(target);
        return;
    }
    if (!FocusChanging(focus, target)) return;
    if (target < 0) {
        int old = focus;
        focus = -1;
        if (old >= 0) controls[old]->FocusChanged(false);
        result = kKeyEnter;
    } else {
        SetFocus(target);
    }
}

void Dialog::Enable(int index) {
    if (index < 0 || index >= ControlCount()) return;
    controls[index]->SetEnabled(true);
    controls[index]->Draw();
}

void Dialog::Disable(int index) {
    if (index < 0 || index >= ControlCount()) return;
    controls[index]->SetEnabled(false);
    controls[index]->Draw();
}

bool Dialog::IsEnabled(int index) const { return index >= 0 && index < ControlCount() && controls[index]->IsEnabled(); }

void Dialog::Redraw(int index) {
    if (index < 0) {
        for (auto& control : controls) control->Draw();
    } else if (index < ControlCount()) {
        controls[index]->Draw();
    }
}

int Dialog::SendEvent(int index, InputEvent& e) {
    if (index < 0 || index >= ControlCount()) return 0;
    return controls[index]->HandleEvent(e);
}

bool Dialog::FocusChanging(int, int&) { return true; }

bool Dialog::CanLeaveField() { return true; }

void Dialog::ReadEvent() { ReadInput(WindowConsole(), event, timeoutMs); }

int Dialog::Run() {
    result = 0;
    hasRun = true;
    lastOutsideMouse = 0;
    WindowConsole().SetCursorShape(0);
    // A dialog without controls is a picture that only Esc (or a time-out) ends.
    if (controls.empty()) {
        AddExitKey(kKeyEsc);
        escapeOnly = true;
    }
    // The first group is entered at its current member (a selected radio button).
    if (focus < 0) SetFocus(controls[controls[0]->Group()]->groupCurrent);
    Redraw(-1);
    while (result == 0) {
        if (focus >= 0) {
            int current = controls[controls[focus]->Group()]->groupCurrent;
            if (current != focus) SetFocus(current);
            if (!Usable(focus)) {
                MoveInGroup(+1);
                if (!Usable(focus)) NextField(+1);
            }
        }
        // The focused control shows the cursor again if it wants one.
        WindowConsole().SetCursorShape(0);
        if (focus >= 0) controls[focus]->Draw();
        ShowCursor();
        ReadEvent();
        if (event.type == kEventNone) return 0;
        int absoluteX = event.x, absoluteY = event.y;
        if (IsMouseType(event.type)) {
            event.x -= OriginX();
            event.y -= OriginY();
        }
        switch (event.type) {
            case kEventRightRelease:
                if (!escapeOnly) result = defaultCode != 0 ? defaultCode : kKeyEnter;
                break;
            case kEventLeftPress:
            case kEventDoubleClick:
            case kEventLeftRelease:
            case kEventLeftDrag: {
                if (OfferMouse()) break;
                bool outside = absoluteX < Left() || absoluteX > Right() || absoluteY < Top() || absoluteY > Bottom();
                if (HasFrame() && outside && !escapeOnly) {
                    if (lastOutsideMouse == kEventLeftPress && event.type == kEventLeftRelease)
                        result = kKeyEsc;
                    else
                        lastOutsideMouse = event.type;
                }
                break;
            }
            case kEventKey: HandleKey(); break;
            case kEventWheelUp:
            case kEventWheelDown:
                OfferMouse();  // to the control under the mouse, if it scrolls
                break;
            default:
                // Right press is ignored; event types the loop does not know
                // (paste and others) are offered to the focused control only.
                if (event.type == kEventRightPress) break;
                if (focus >= 0 && controls[focus]->IsEnabled()) controls[focus]->HandleEvent(event);
                break;
        }
    }
    return result;
}

bool Dialog::OfferMouse() {
    for (int i = 0; i < ControlCount() && result == 0; ++i) {
        if (!controls[i]->IsEnabled()) continue;
        if (controls[i]->HandleEvent(event) != 0) return true;
    }
    return result != 0;
}

bool Dialog::FireHotKey(int key) {
    auto find = [&](int wanted) -> int {
        for (int i = 0; i < ControlCount(); ++i)
            if (controls[i]->HotKey() == wanted && controls[i]->IsEnabled()) return i;
        return -1;
    };
    int found = find(key);
    if (found < 0 && key < 256 && key >= 'A' && key <= 'Z') found = find(key - 'A' + 'a');
    if (found < 0) return false;
    controls[found]->Activate();
    return true;
}

void Dialog::HandleKey() {
    int k = event.key;
    if (focus >= 0 && controls[focus]->IsEnabled() && controls[focus]->HandleEvent(event) != 0) return;
    if (result != 0) return;
    if (enterAdvances && k == kKeyEnter) {
        Advance();
        if (focus >= 0) return;
    }
    if (FireHotKey(k)) return;
    if (k > kKeyExtendedBase) {
        int c = KeyLetter(event);
        int limit = std::min(hotLetterCount, ControlCount());
        for (int j = 0; j < limit; ++j) {
            if (HotLetter(j) != 0 && HotLetter(j) == c && controls[j]->IsEnabled()) {
                controls[j]->Activate();
                return;
            }
        }
    }
    if (escapeOnly && k != kKeyEsc) return;
    switch (k) {
        case kKeyEsc: result = kKeyEsc; break;
        case kKeyEnter: result = defaultCode != 0 ? defaultCode : kKeyEnter; break;
        case kKeyTab: NextField(+1); break;
        case kKeyShiftTab: NextField(-1); break;
        case kKeyUp:
        case kKeyLeft: MoveInGroup(-1); break;
        case kKeyRight:
        case kKeyDown: MoveInGroup(+1); break;
        default: break;
    }
}
