#pragma once
// Dialog: a modal window that owns controls, routes input to them and ends
// with an exit code.
//
// Build one on the stack, add controls bound to the caller's variables (the
// controls write into them while the user edits), optionally name Alt hot
// letters, Run(), then read the exit code and the variables. Destroying the
// dialog destroys its controls (text fields first record their history when
// the last exit code was not Esc), hides the cursor and restores the screen.
//
// Exit codes: 13 Enter (or defaultCode, set by the first push button), 27
// Esc, a push button's or exit key's code, 0 after a time-out.
//
// Run() loop, one event per turn, until the exit code is not 0:
//   time-out (14)           -> return 0 at once
//   right button released   -> defaultCode (13 when 0)
//   left button events      -> offered to each enabled control in index order;
//                              unconsumed press then release outside a framed
//                              dialog -> 27
//   key or paste            -> the focused control; then Enter-advance (when
//                              enterAdvances), hot keys, Alt hot letters, and
//                              Esc / Enter / Tab / Shift-Tab / arrows
// Coordinates of mouse events are turned into the dialog's own (relative to
// its origin) before any control sees them.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Estring.h"
#include "platform/InputEvent.h"
#include "ui/ColourScheme.h"
#include "ui/Control.h"
#include "ui/RawWindow.h"

class EstringStore;

class Dialog : public RawWindow {
public:
    static constexpr int kMaxControls = 100;
    static constexpr int kTextCursorSize = 20;
    // Maximum length of a text field over an Estring when none is given.
    static constexpr int kDefaultTextLength = 4096;

    // Placement and attribute as for RawWindow; the window is cleared in
    // attribute. frameAttribute 0: frame in ColourScheme[1]; negative: no
    // frame and no shadow; otherwise that frame colour, and a shadow when it fits.
    // The dialog draws on and reads from console.
    Dialog(int left, int top, int width, int height, int attribute, int frameAttribute,
           Console& console = ProcessConsole());
    ~Dialog() override;

    // The event loop (see above). May be called again after it returned.
    int Run();

    // Alt hot letters by control index: letters[i] for control i, a zero
    // byte or a position >= count for none. Requires: letters holds count
    // bytes (zero bytes included). The letters are copied.
    void SetHotLetters(const char* letters, int count);
    // letters[index] when 0 <= index < count, else 0.
    int HotLetter(int index) const;

    // Focus movement. SetFocus ignores an index out of range or already
    // focused, and asks FocusChanging first.
    void SetFocus(int index);
    // Tab (+1) / Shift-Tab (-1): the next group, entered at its head when it
    // has tabToHead, else at its current member.
    void NextField(int direction);
    // The arrows: the next focusable, enabled member of the focused group.
    void MoveInGroup(int direction);
    // Enter with enterAdvances (and full fields with the auto-advance
    // option): the next field in index order, no wrap; after the last field
    // the focus goes and the exit code becomes 13.
    void Advance();

    void SetColour(int index, int attribute) { colours[index] = static_cast<uint8_t>(attribute); }
    uint8_t Colour(int index) const { return colours[index]; }

    void Enable(int index);
    void Disable(int index);
    bool IsEnabled(int index) const;
    // Draw() of control index, or of every control when index < 0.
    void Redraw(int index);
    // HandleEvent of control index; 0 when there is no such control.
    int SendEvent(int index, InputEvent& event);

    // Adding controls; each returns the new control's index.
    int AddText(int x, int y, const Estring& text, int attribute = 0);
    int AddText(int x, int y, const Estring& text, int width, int alignment, int attribute);
    // A field over a caller's buffer of at least maxLength + 1 bytes.
    int AddStringField(int x, int y, int groupFlags, char* buffer, int width, int maxLength, int options,
                       int history);
    int AddStringField(int x, int y, int groupFlags, Estring& text, int width, int options, int history);
    int AddStringField(int x, int y, int groupFlags, Estring& text, int width, int maxLength, int options,
                       int history);
    int AddPasswordField(int x, int y, int groupFlags, Estring& text, int width);
    int AddIntegerField(int x, int y, int groupFlags, int& value, int digits, bool blankWhenZero, int history);
    int AddIntegerField(int x, int y, int groupFlags, int& value, int digits, int options, bool blankWhenZero,
                        int history);
    int AddPushButton(int x, int y, int groupFlags, int code, const Estring& label);
    int AddCheckBox(int x, int y, int groupFlags, uint8_t& flag, const Estring& label, bool labelRight = true);
    int AddCheckBox(int x, int y, int groupFlags, bool& flag, const Estring& label, bool labelRight = true);
    int AddRadioButton(int x, int y, int groupFlags, int& variable, int value, const Estring& label);
    int AddExitKey(int key);
    // Heading on the frame: positions 0..2 top left / centre / right, 3..5 the same at the bottom.
    int AddHeading(const Estring& text, int position);
    // A gauge of width cells for *fraction (0 to 1); Redraw(index) after changing it.
    int AddProgress(int x, int y, int width, float& fraction);
    // List boxes (ui/ListBox.h), drawn at once; the caller keeps the list,
    // the current index and the marks alive as long as the dialog.
    int AddListBoxEstring(int x, int y, int groupFlags, int width, int rows, const EstringStore& list, int& current,
                          int exitCode);
    int AddListBoxString(int x, int y, int groupFlags, int width, int rows, const char* const* strings, int count,
                         int& current, int exitCode);
    int AddListBoxMultiSelect(int x, int y, int groupFlags, int width, int rows, const EstringStore& list,
                              uint8_t* marks, int& current, int exitCode);
    // When control index is a push button, its code becomes the default code
    // and every control is redrawn; otherwise nothing happens.
    void SetDefaultButton(int index);

    // Creates a control of class T (constructor: T(Dialog&, args...)) and adopts it.
    template <class T, class... Args>
    T& AddControl(Args&&... args) {
        auto control = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& ref = *control;
        Adopt(std::move(control));
        return ref;
    }
    // Takes ownership of a control constructed for this dialog; returns its index.
    int Adopt(std::unique_ptr<Control> control);

    int ControlCount() const { return static_cast<int>(controls.size()); }
    // Requires: 0 <= index < ControlCount().
    Control& ControlAt(int index) const { return *controls[index]; }
    int Focus() const { return focus; }

    int Result() const { return result; }
    void SetResult(int code) { result = code; }
    // Exit code of Enter and of a right-button release; 0 means 13.
    int DefaultCode() const { return defaultCode; }
    void SetDefaultCode(int code) { defaultCode = code; }
    bool EnterAdvances() const { return enterAdvances; }
    void SetEnterAdvances(bool value) { enterAdvances = value; }
    int CursorSize() const { return cursorSize; }
    // Time-out of each read in milliseconds, -1 for none.
    void SetTimeout(int ms) { timeoutMs = ms; }
    int Timeout() const { return timeoutMs; }
    // The event being processed.
    const InputEvent& CurrentEvent() const { return event; }

    // Called by Control's constructor: decides the group of the control
    // about to be adopted at index ControlCount().
    int StartControl(int groupFlags);

protected:
    // Asked before the focus moves from `from` to `to` (-1: the focus leaves
    // the last field). May change `to`, or refuse with false.
    virtual bool FocusChanging(int from, int& to);
    // Asked before the focus leaves a field forwards (Tab, arrows, Enter).
    virtual bool CanLeaveField();
    // Fills `event`. Default: ReadInput with timeoutMs.
    virtual void ReadEvent();

    InputEvent event{};
    ColourTable colours;

private:
    bool Usable(int index) const;
    int Wrap(int index) const;
    bool MayLeaveForward(int direction);
    // Offers a left-button event to the enabled controls; true when one consumed it.
    bool OfferMouse();
    void HandleKey();
    bool FireHotKey(int key);

    int defaultCode = 0;
    int result = 0;
    bool enterAdvances = false;
    int cursorSize = kTextCursorSize;
    std::vector<std::unique_ptr<Control>> controls;
    int focus = -1;
    std::string hotLetters;
    int hotLetterCount = 0;
    int timeoutMs = -1;
    int groupHead = 0;
    uint8_t lastOutsideMouse = 0;
    bool hasRun = false;
    bool escapeOnly = false;  // Run found no controls
};
