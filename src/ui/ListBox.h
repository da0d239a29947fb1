#pragma once
// ListBox: a dialog control showing `rows` lines of a list of `count` items,
// with one current item kept in the caller's int variable. Derived classes
// say what an item is (DrawItem, ItemText); all behaviour is here.
//
// Keys: Up, Down, Page Up, Page Down, Home, End move the current item
// (ListPaging has the rules); Enter ends the dialog with exitCode when it is
// > 0, else with the dialog's default code (13 when none). With exitCode -1
// every other key ends the dialog with its own code; otherwise other keys go
// on to the dialog.
//
// Prefix search: a typed character 33..255 extends the prefix and makes the
// first item at or after the current one whose trimmed text starts with it
// current (A to Z in any case); a character that finds nothing is dropped
// and not consumed. Alt-Down / Alt-Up step to the next / previous item that
// matches the prefix (every item matches an empty one). While the prefix is
// not empty it is shown in a one-line popup on the dialog's bottom line,
// ending at its right edge. Any other event ends the search.
//
// Mouse (positions relative to the dialog's origin): a press, double click,
// release or drag on the lines takes the focus and makes the item under the
// mouse current (the last item when below the end of the list); a double
// click, or a release with exitCode -1, then acts as Enter. A press or drag
// on the line just above / below the lines scrolls: the first / last visible
// line becomes current, then one item every 10 ms until input arrives or the
// list reaches its end. A wheel step over the lines moves the current item
// by three (kWheelStep), without taking the focus.
//
// Control messages (Dialog::SendEvent): kEventSetCount (9) tells the box the
// list now holds event.key items and redraws it whole; kEventQueryPos (10)
// answers the line of the current item.
//
// An empty list shows blank lines and keeps the current index at -1.
// Ownership: the caller owns the list and the current-index variable and
// keeps them alive as long as the dialog; the box never changes the list.

#include <memory>

#include "base/Estring.h"
#include "ui/Control.h"
#include "ui/ListPaging.h"
#include "ui/RawWindow.h"

class ListBox : public Control {
public:
    static constexpr int kWheelStep = 3;
    static constexpr int kAutoScrollMs = 10;

    // current: the caller's variable, clamped to the list (-1 when it is empty).
    ListBox(Dialog& dialog, int x, int y, int groupFlags, int width, int rows, int count, int& current,
            int exitCode);
    ~ListBox() override;

    int HandleEvent(InputEvent& event) override;
    void FocusChanged(bool gained) override;
    void Draw() override;

    // Draws item (or blanks when item is past the end) on line (0 .. rows - 1) in colour.
    virtual void DrawItem(int line, int item, int colour) = 0;
    // The text prefix search looks at. Default: empty.
    virtual Estring ItemText(int item) const;

    int Width() const { return width; }
    int Rows() const { return paging.Rows(); }
    int Count() const { return paging.Count(); }
    int TopItem() const { return paging.Top(); }
    int Row() const { return paging.Row(); }
    int ExitCode() const { return exitCode; }
    const Estring& Search() const { return search; }
    bool HasSearchPopup() const { return searchPopup != nullptr; }

protected:
    // Writes text cut or padded to the box's width on line, in colour.
    void WriteLine(int line, const Estring& text, int colour);
    // A full redraw at the next Draw().
    void Invalidate() { drawnTop = drawnRow = -1; }
    // The colour of line l.
    int LineColour(int line) const;

    int width;

private:
    // Prefix search keys; false when the key is not one of them or found nothing.
    bool Search(const InputEvent& event);
    void ShowSearchPopup();
    void EndSearch();
    int HandleKey(int key);
    int HandleMouse(const InputEvent& event);
    int HandleWheel(const InputEvent& event);
    // The press or drag above / below the lines: scroll until input arrives.
    void AutoScroll(bool back);
    void Enter();
    // Takes the caller's variable into the paging (the caller may have changed it).
    void Follow();
    // After a change: the caller's variable, then the screen.
    void Publish();

    ListPaging paging;
    int drawnTop = -1;
    int drawnRow = -1;
    int* current;
    int exitCode;
    std::unique_ptr<RawWindow> searchPopup;
    Estring search;
};
