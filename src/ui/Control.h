#pragma once
// Control: one element of a Dialog (a label, a text field, a button, a list).
//
// A control is created for one dialog and owned by it (Dialog::AddControl);
// it knows its dialog for drawing (the dialog is the RawWindow it draws in),
// for its colours and for the dialog state it may change (focus, exit code).
// It never reads input itself: the dialog's loop hands it events through
// HandleEvent, with mouse positions already relative to the dialog's origin.
//
// Groups: a control created with groupFlags != 0 (or the first control)
// starts a new group; the controls added after it up to the next group head
// belong to it. Tab moves between groups, the arrows within one. The head
// remembers the group's current member (groupCurrent); bit 0 of groupFlags
// (tabToHead) makes Tab enter the group at its head instead.
//
// The virtual slots below are the contract with the dialog; derived
// controls override what they need.

#include <cstdint>

#include "platform/InputEvent.h"

class Dialog;

// What Kind() answers for each control class.
enum ControlKind : int {
    kKindStaticText = 0,
    kKindStringField = 1,
    kKindIntegerField = 4,
    kKindPasswordField = 5,
    kKindPushButton = 6,
    kKindRadioButton = 7,
    kKindCheckBox = 8,
    kKindListBox = 10,
    kKindExitKey = 12,
    kKindProgressIndicator = 13,
    kKindListBoxMultiSelect = 14,
    kKindStaticHeading = 17,
};

// Event types that only dialogs send to their controls (SendEvent).
constexpr uint8_t kEventSetCount = 9;      // list boxes: the caller changed the list; key = new count
constexpr uint8_t kEventQueryPos = 10;     // answers the editing position / current row
constexpr uint8_t kEventSetPos = 11;       // text fields: key = new editing position

class Control {
public:
    // Registers with dialog: index = the dialog's control count at this
    // moment; the group is decided from groupFlags as described above.
    // Requires: the control is handed to dialog.Adopt before another control
    // of the same dialog is constructed (AddControl does both).
    Control(Dialog& dialog, int x, int y, int groupFlags);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Non-zero when the event was consumed. Default: nothing is consumed.
    virtual int HandleEvent(InputEvent& event);
    // What the control's hot key does. Default: the control takes the focus.
    virtual void Activate();
    // The class of the control (ControlKind).
    virtual int Kind() const = 0;
    // May the focus leave the control? Default: yes.
    virtual bool CanLeave();
    // The control gained or lost the focus. Default: Draw().
    virtual void FocusChanged(bool gained);
    // Draws the control in its dialog. Default: nothing.
    virtual void Draw();
    // Asked to change its width; true when it did. Default: false.
    virtual bool Resize(int width);
    // The dialog closes with an exit code other than Esc: text controls
    // record their text in their history. Default: nothing.
    virtual void Commit();

    Dialog& Owner() const { return dialog; }
    int Index() const { return index; }
    int X() const { return x; }
    int Y() const { return y; }
    int Group() const { return group; }
    bool IsFocusable() const { return focusable; }
    bool IsEnabled() const { return enabled; }
    void SetEnabled(bool value) { enabled = value; }
    int HotKey() const { return hotKey; }
    bool TabToHead() const { return tabToHead; }
    // True while this control has the dialog's focus.
    bool HasFocus() const;

    // Meaningful in a group head: the group's current member.
    int groupCurrent = 0;

protected:
    Dialog& dialog;
    int index;
    int x, y;
    int group;
    bool focusable = true;
    bool enabled = true;
    int hotKey = 0;
    bool tabToHead;
};
