#pragma once
// StringField: one line of editable text bound to a caller's char buffer
// or Estring, shown in `width` cells and scrolled as the text grows; every
// edit is written through to the caller's variable at once.
//
// Keys: Left, Right, Home, End; Ctrl-Left / Ctrl-Right by words (letters and
// digits); their Shift forms select; Backspace, Delete (the selection, else
// the character at the cursor), Ctrl-Backspace / Ctrl-Delete (a word);
// Ctrl-C / Ctrl-Insert copy, Ctrl-X / Shift-Delete cut, Ctrl-V /
// Shift-Insert paste (refused whole when the text would exceed maxLength);
// Ctrl-Q makes the next key literal; Alt-Down opens the history. Characters
// are always inserted. A terminal paste arrives as one event and is pasted
// the same way. Keys the field does not use go on to the dialog.
//
// replaceOnType: set at creation and whenever the focus leaves (unless
// kFieldKeepText): the first character typed or pasted replaces the text.
// Any consumed key ends it.
//
// Options: kFieldUpperCase stores a-z as A-Z; kFieldAutoAdvance moves the
// dialog to the next field when the text reaches maxLength; kFieldKeepText
// keeps the text on the first key.
//
// Mouse: a press places the cursor (and takes the focus), a drag or the
// release selects; a press on the arrow after the field opens the history.
// Control messages: kEventQueryPos answers the cursor position, kEventSetPos
// moves it to event.key.

#include "base/Estring.h"
#include "ui/Control.h"

constexpr int kFieldUpperCase = 0x01;
constexpr int kFieldAutoAdvance = 0x20;
constexpr int kFieldKeepText = 0x80;
constexpr int kNoHistory = -1;

class StringField : public Control {
public:
    // Exactly one of buffer (maxLength + 1 bytes, zero-terminated) and text is set.
    StringField(Dialog& dialog, int x, int y, int groupFlags, char* buffer, Estring* text, int width, int maxLength,
                int options, int history);

    int Kind() const override { return kKindStringField; }
    int HandleEvent(InputEvent& event) override;
    void FocusChanged(bool gained) override;
    void Draw() override;
    void Commit() override;

    Estring Text() const;
    // Replaces the text (cut to maxLength), cursor at its end, and draws.
    void SetText(const Estring& value);
    int Pos() const { return pos; }
    int Scroll() const { return scroll; }
    bool Selecting() const { return selecting && selStart != selEnd; }
    int SelectionStart() const { return selStart; }
    int SelectionEnd() const { return selEnd; }
    bool ReplaceOnType() const { return replaceOnType; }
    int Width() const { return width; }
    int MaxLength() const { return maxLength; }

protected:
    // What the cells show for the text (PasswordField: stars).
    virtual Estring Shown(const Estring& text) const { return text; }
    // May the selection leave the field (copy, cut)?
    virtual bool MayCopy() const { return true; }
    void Store(const Estring& value);
    // Binds the field to another buffer (maxLength + 1 bytes); for derived fields that own theirs.
    void SetBuffer(char* value) {
        buffer = value;
        estring = nullptr;
    }

    int width;
    int maxLength;
    int options;
    int history;
    int pos = 0;
    int scroll = 0;
    int selStart = 0, selEnd = 0;
    bool selecting = false;
    bool anchorAtEnd = false;  // the selection grows from selEnd (pos is selStart)
    bool literalNext = false;
    bool replaceOnType;

private:
    int HandleKey(int key);
    int HandleMouse(const InputEvent& event);
    void MoveTo(int newPos, bool extend);
    void DeleteRange(int from, int to);
    bool DeleteSelection();
    void InsertCharacter(int ch);
    void Paste(const Estring& pasted);
    void AfterGrowth();
    void OpenHistory();
    int WordLeft(int from) const;
    int WordRight(int from) const;

    char* buffer;
    Estring* estring;
    bool dragging = false;
};
