#include "ui/StringField.h"

#include <algorithm>
#include <cstring>

#include "ui/Clipboard.h"
#include "ui/Dialog.h"
#include "ui/HistoryDropDown.h"
#include "ui/KeyCodes.h"
#include "ui/TextHistory.h"

namespace {

bool IsWordCharacter(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) return true;
    // Accented letters of the code page have an upper- or lower-case partner.
    return u >= 128 && (UpperChar(u) != u || LowerChar(u) != u);
}

uint8_t Swapped(uint8_t a) { return static_cast<uint8_t>((a << 4) | (a >> 4)); }

}  // namespace

StringField::StringField(Dialog& owner, int x_, int y_, int groupFlags, char* buffer_, Estring* text_, int width_,
                         int maxLength_, int options_, int history_)
    : Control(owner, x_, y_, groupFlags), width(width_ < 1 ? 1 : width_), maxLength(maxLength_ < 0 ? 0 : maxLength_),
      options(options_), history(history_ >= 0 && history_ < kHistoryLists ? history_ : kNoHistory),
      replaceOnType((options_ & kFieldKeepText) == 0), buffer(buffer_), estring(text_) {
    pos = Text().Length();
}

Estring StringField::Text() const {
    if (estring != nullptr) return *estring;
    if (buffer == nullptr) return Estring();
    return Estring(buffer, static_cast<int>(strnlen(buffer, static_cast<size_t>(maxLength))));
}

void StringField::Store(const Estring& value) {
    Estring cut = value.Left(maxLength);
    if (estring != nullptr) *estring = cut;
    if (buffer != nullptr) {
        memcpy(buffer, cut.Text(), static_cast<size_t>(cut.Length()));
        buffer[cut.Length()] = 0;
    }
}

void StringField::SetText(const Estring& value) {
    Store(value);
    pos = Text().Length();
    selecting = false;
    Draw();
}

int StringField::WordLeft(int from) const {
    Estring t = Text();
    int i = std::min(from, t.Length());
    while (i > 0 && !IsWordCharacter(t[i - 1])) --i;
    while (i > 0 && IsWordCharacter(t[i - 1])) --i;
    return i;
}

int StringField::WordRight(int from) const {
    Estring t = Text();
    int i = std::max(from, 0);
    while (i < t.Length() && !IsWordCharacter(t[i])) ++i;
    while (i < t.Length() && IsWordCharacter(t[i])) ++i;
    return i;
}

void StringField::MoveTo(int newPos, bool extend) {
    int length = Text().Length();
    newPos = std::max(0, std::min(newPos, length));
    if (extend) {
        if (!selecting) {
            selecting = true;
            selStart = selEnd = pos;
            anchorAtEnd = false;
        }
        int anchor = anchorAtEnd ? selEnd : selStart;
        if (newPos < anchor) {
            selStart = newPos;
            selEnd = anchor;
            anchorAtEnd = true;
        } else {
            selStart = anchor;
            selEnd = newPos;
            anchorAtEnd = false;
        }
    } else {
        selecting = false;
    }
    pos = newPos;
}

void StringField::DeleteRange(int from, int to) {
    Estring t = Text();
    from = std::max(0, std::min(from, t.Length()));
    to = std::max(from, std::min(to, t.Length()));
    if (from == to) return;
    Store(t.Left(from) + t.Mid(to).Left(t.Length() - to));
    pos = from;
}

bool StringField::DeleteSelection() {
    if (!Selecting()) {
        selecting = false;
        return false;
    }
    DeleteRange(selStart, selEnd);
    selecting = false;
    return true;
}

void StringField::AfterGrowth() {
    if ((options & kFieldAutoAdvance) != 0 && Text().Length() >= maxLength) {
        Draw();
        dialog.Advance();
    }
}

void StringField::InsertCharacter(int ch) {
    if (replaceOnType) {
        Store(Estring());
        pos = 0;
        selecting = false;
    } else {
        DeleteSelection();
    }
    if ((options & kFieldUpperCase) != 0 && ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    Estring t = Text();
    if (t.Length() >= maxLength) return;
    pos = std::min(pos, t.Length());
    Store(t.Left(pos) + static_cast<char>(ch) + t.Mid(pos).Left(t.Length() - pos));
    ++pos;
    replaceOnType = false;
    AfterGrowth();
}

void StringField::Paste(const Estring& pasted) {
    Estring insert = OneLineText(pasted);
    Estring t = Text();
    int at = pos, cutFrom = pos, cutTo = pos;
    if (replaceOnType) {
        cutFrom = 0;
        cutTo = t.Length();
    } else if (Selecting()) {
        cutFrom = selStart;
        cutTo = selEnd;
    }
    int resultLength = t.Length() - (cutTo - cutFrom) + insert.Length();
    if (resultLength > maxLength) return;  // refused whole
    at = cutFrom;
    Store(t.Left(cutFrom) + insert + t.Mid(cutTo).Left(t.Length() - cutTo));
    pos = at + insert.Length();
    selecting = false;
    replaceOnType = false;
    if (!insert.IsEmpty()) AfterGrowth();
}

int StringField::HandleKey(int key) {
    if (literalNext) {
        literalNext = false;
        if (key >= 1 && key <= 255) {
            InsertCharacter(key);
            return 1;
        }
    }
    bool keepSelection = key == kKeyCtrlC || key == kKeyCtrlInsert;
    bool extending = key == kKeyShiftHome || key == kKeyShiftLeft || key == kKeyShiftRight || key == kKeyShiftEnd ||
                     key == kKeyShiftCtrlLeft || key == kKeyShiftCtrlRight;
    Estring t = Text();
    int length = t.Length();
    int consumed = 1;
    switch (key) {
        case kKeyLeft: MoveTo(pos - 1, false); break;
        case kKeyRight: MoveTo(pos + 1, false); break;
        case kKeyHome: MoveTo(0, false); break;
        case kKeyEnd: MoveTo(length, false); break;
        case kKeyCtrlLeft: MoveTo(WordLeft(pos), false); break;
        case kKeyCtrlRight: MoveTo(WordRight(pos), false); break;
        case kKeyShiftLeft: MoveTo(pos - 1, true); break;
        case kKeyShiftRight: MoveTo(pos + 1, true); break;
        case kKeyShiftHome: MoveTo(0, true); break;
        case kKeyShiftEnd: MoveTo(length, true); break;
        case kKeyShiftCtrlLeft: MoveTo(WordLeft(pos), true); break;
        case kKeyShiftCtrlRight: MoveTo(WordRight(pos), true); break;
        case kKeyBackspace:
            selecting = false;
            if (pos > 0) DeleteRange(pos - 1, pos);
            break;
        case kKeyDelete:
            if (!DeleteSelection()) DeleteRange(pos, pos + 1);
            break;
        case kKeyCtrlBackspace:
            selecting = false;
            DeleteRange(WordLeft(pos), pos);
            break;
        case kKeyCtrlDelete:
            selecting = false;
            DeleteRange(pos, WordRight(pos));
            break;
        case kKeyCtrlC:
        case kKeyCtrlInsert:
            if (Selecting() && MayCopy())
                SetClipboardText(dialog.WindowConsole(), t.Mid(selStart, selEnd - selStart).Left(selEnd - selStart));
            break;
        case kKeyCtrlX:
        case kKeyShiftDelete:
            if (Selecting() && MayCopy()) {
                SetClipboardText(dialog.WindowConsole(), t.Mid(selStart, selEnd - selStart).Left(selEnd - selStart));
                DeleteSelection();
            }
            selecting = false;
            break;
        case kKeyCtrlV:
        case kKeyShiftInsert: Paste(ClipboardText()); break;
        case kKeyAltDown:
            if (history == kNoHistory) {
                consumed = 0;
                break;
            }
            selecting = false;
            OpenHistory();
            break;
        case kKeyCtrlQ: literalNext = true; break;
        default:
            if (key >= 32 && key <= 255 && key != kKeyCtrlBackspace) {
                InsertCharacter(key);
            } else {
                consumed = 0;
            }
            break;
    }
    if (!keepSelection && !extending) selecting = false;
    if (consumed) replaceOnType = false;
    return consumed;
}

int StringField::HandleMouse(const InputEvent& event) {
    bool onRow = event.y == y;
    bool onField = onRow && event.x >= x && event.x < x + width;
    bool onArrow = onRow && history != kNoHistory && event.x == x + width;
    int column = std::max(0, std::min(event.x - x, width));
    switch (event.type) {
        case kEventLeftPress:
        case kEventDoubleClick:
            if (onArrow) {
                dialog.SetFocus(index);
                if (!HasFocus()) return 1;
                selecting = false;
                OpenHistory();
                return 1;
            }
            if (!onField) return 0;
            dialog.SetFocus(index);
            if (!HasFocus()) return 1;
            // Placing the cursor by hand means editing the text, not replacing it.
            replaceOnType = false;
            MoveTo(scroll + column, false);
            dragging = true;
            Draw();
            return 1;
        case kEventLeftDrag:
        case kEventLeftRelease:
            if (!dragging && !onField) return 0;
            if (dragging && HasFocus()) MoveTo(scroll + column, true);
            if (event.type == kEventLeftRelease) dragging = false;
            Draw();
            return 1;
        default: return 0;
    }
}

int StringField::HandleEvent(InputEvent& event) {
    switch (event.type) {
        case kEventKey: {
            int consumed = HandleKey(event.key);
            if (consumed) Draw();
            return consumed;
        }
        case kEventPaste:
            Paste(Estring(event.text.data(), static_cast<int>(event.text.size())));
            Draw();
            return 1;
        case kEventQueryPos: return pos;
        case kEventSetPos:
            MoveTo(event.key, false);
            Draw();
            return 1;
        default: return HandleMouse(event);
    }
}

void StringField::FocusChanged(bool gained) {
    if (!gained) {
        replaceOnType = (options & kFieldKeepText) == 0;
        selecting = false;
        literalNext = false;
        dragging = false;
    }
    Draw();
}

void StringField::Draw() {
    Estring t = Text();
    bool focused = HasFocus();
    pos = std::max(0, std::min(pos, t.Length()));
    if (!focused) {
        scroll = 0;
    } else {
        if (scroll > pos) scroll = pos;
        if (pos - scroll > width || (pos == scroll && pos == t.Length())) scroll = std::max(0, pos - width);
    }
    int colour = !enabled ? dialog.Colour(kColourDisabled)
                          : focused ? dialog.Colour(kColourFieldFocus) : dialog.Colour(kColourField);
    Estring shown = Shown(t);
    Estring cells = shown.Mid(scroll).Left(shown.Length() - scroll).PadOrCut(width);
    dialog.WriteText(x, y, cells, colour);
    if (focused && Selecting()) {
        int from = std::max(selStart, scroll), to = std::min(selEnd, scroll + width);
        if (to > from) dialog.SetAttributes(x + from - scroll, y, to - from, Swapped(static_cast<uint8_t>(colour)));
    }
    if (history != kNoHistory) dialog.WriteText(x + width, y, "\x19", dialog.Colour(kColourWindow));
    if (focused) {
        dialog.WindowConsole().SetCursorShape(dialog.CursorSize());
        dialog.SetCursor(x + pos - scroll, y);
    }
}

void StringField::Commit() {
    if (history != kNoHistory) RecordHistory(history, Text());
}

void StringField::OpenHistory() {
    Estring chosen;
    if (ChooseFromHistory(dialog, x, y, width, history, chosen)) {
        Store(chosen);
        pos = Text().Length();
        replaceOnType = false;
        selecting = false;
    }
    Draw();
}
