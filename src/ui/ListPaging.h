#pragma once
// ListPaging: which items of a list a box of `rows` lines shows, and which of
// them is current. It is the state of a list box without the drawing: the
// first item shown (`top`) and the line of the current item (`row`), so the
// current item is top + row.
//
// Invariants (kept by every operation):
//   count == 0  -> Current() == -1, top == 0, row == 0 (the box shows blanks)
//   count > 0   -> 0 <= top, 0 <= row < rows, 0 <= top + row < count
// Lines past the end of the list are blank (Page Down may leave a short last
// page).
//
// Moves (k = rows):
//   Up        row - 1; at line 0 the list scrolls by one; stops at item 0
//   Down      row + 1; at the last line the list scrolls; stops at the last item
//   PageUp    top - k when top >= k (line kept), else item 0
//   PageDown  top + k when that is < count (line kept, clamped to the last
//             item), else the last item
//   Home      item 0 on line 0
//   End       top = max(0, count - k), the last item current
//   MoveBy(d) current + d clamped to the list (the mouse wheel), the page
//             following as little as needed
//   Follow(c) makes item c current (clamped to the list), scrolling as little as needed

#include <functional>

#include "base/Estring.h"

class ListPaging {
public:
    // Requires: rows >= 1 (smaller values count as 1). current is clamped to the list.
    ListPaging(int rows, int count, int current);

    int Rows() const { return rows; }
    int Count() const { return count; }
    int Top() const { return top; }
    int Row() const { return row; }
    // The current item, -1 for an empty list.
    int Current() const { return count > 0 ? top + row : -1; }

    // The list now holds n items (n < 0 counts as 0); the current item is
    // kept when it still exists, else the last item becomes current.
    void SetCount(int n);
    // Makes item (clamped to 0 .. count - 1) current, scrolling as little as
    // needed. Creation places it on the last line when it lies beyond the
    // first page; Follow keeps the page when the item is on it.
    void Follow(int item);

    void Up();
    void Down();
    void PageUp();
    void PageDown();
    void Home();
    void End();
    void MoveBy(int delta);
    // The item on line (0 .. rows - 1) becomes current, clamped to the last item.
    void PointAt(int line);
    // One step of scrolling while the mouse is held above (ScrollBack) or
    // below (ScrollForward) the box: the first / last visible line becomes
    // current, then the list moves one item. False when the first / last item
    // was already current, so there is nothing more to scroll.
    bool ScrollBack();
    bool ScrollForward();

    // Prefix search over itemText (one call per candidate). direction 0: a
    // character was typed, the current item itself is the first candidate;
    // +1 / -1: the next / previous candidate first (Alt-Down / Alt-Up). The
    // walk wraps around and tries every item at most once. A candidate
    // matches when its text, blanks trimmed at both ends and cut to the
    // prefix's length, equals prefix ignoring the case of A to Z. Returns the
    // item found, -1 when none.
    static int FindPrefix(int count, int current, const Estring& prefix, int direction,
                          const std::function<Estring(int)>& itemText);

private:
    void Clamp();

    int rows;
    int count;
    int top = 0;
    int row = 0;
};
