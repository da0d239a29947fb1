#include "ui/ListPaging.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

enum class Move { Up, Down, PageUp, PageDown, Home, End, WheelUp, WheelDown };

void Apply(ListPaging& paging, Move move) {
    switch (move) {
    case Move::Up: paging.Up(); break;
    case Move::Down: paging.Down(); break;
    case Move::PageUp: paging.PageUp(); break;
    case Move::PageDown: paging.PageDown(); break;
    case Move::Home: paging.Home(); break;
    case Move::End: paging.End(); break;
    case Move::WheelUp: paging.MoveBy(-3); break;
    case Move::WheelDown: paging.MoveBy(3); break;
    }
}

const char* Name(Move move) {
    static const char* const names[] = {"Up", "Down", "PageUp", "PageDown", "Home", "End", "WheelUp", "WheelDown"};
    return names[static_cast<int>(move)];
}

}  // namespace

TEST(ListPagingTest, CreationPlacesTheCurrentItem) {
    const struct {
        int rows, count, current;
        int top, row, expectCurrent;
    } cases[] = {
        {5, 0, -1, 0, 0, -1},   // empty list
        {5, 0, 3, 0, 0, -1},    // empty list, stale index
        {5, 10, 2, 0, 2, 2},    // on the first page
        {5, 10, 4, 0, 4, 4},    // last line of the first page
        {5, 10, 7, 3, 4, 7},    // beyond the first page: on the last line
        {5, 10, 25, 5, 4, 9},   // past the end: the last item
        {5, 10, -4, 0, 0, 0},   // negative: the first item
        {5, 3, 2, 0, 2, 2},     // list shorter than the box
        {0, 4, 3, 3, 0, 3},     // a box of no rows counts as one row
    };
    for (const auto& c : cases) {
        ListPaging paging(c.rows, c.count, c.current);
        SCOPED_TRACE("rows " + std::to_string(c.rows) + " count " + std::to_string(c.count) + " current " +
                     std::to_string(c.current));
        EXPECT_EQ(c.top, paging.Top());
        EXPECT_EQ(c.row, paging.Row());
        EXPECT_EQ(c.expectCurrent, paging.Current());
    }
}

TEST(ListPagingTest, MovesFromAGivenPosition) {
    // 12 items in 5 rows; each case starts from (top, row) reached by Follow.
    const struct {
        int startTop, startRow;
        Move move;
        int top, row;
    } cases[] = {
        {0, 2, Move::Up, 0, 1},
        {3, 0, Move::Up, 2, 0},        // scrolls at the top line
        {0, 0, Move::Up, 0, 0},        // not before the first item
        {0, 2, Move::Down, 0, 3},
        {0, 4, Move::Down, 1, 4},      // scrolls at the bottom line
        {7, 4, Move::Down, 7, 4},      // not past the last item
        {7, 1, Move::PageUp, 2, 1},    // top >= rows: a page back, line kept
        {3, 2, Move::PageUp, 0, 0},    // top < rows: the first item
        {0, 2, Move::PageDown, 5, 2},
        {5, 4, Move::PageDown, 10, 1}, // next page is short: clamped to the last item
        {7, 1, Move::PageDown, 7, 4},  // last page: the last item
        {4, 3, Move::Home, 0, 0},
        {0, 1, Move::End, 7, 4},
        {0, 1, Move::WheelDown, 0, 4},
        {0, 3, Move::WheelDown, 2, 4}, // page follows as little as needed
        {7, 4, Move::WheelDown, 7, 4}, // clamped to the last item
        {7, 1, Move::WheelUp, 5, 0},
        {0, 2, Move::WheelUp, 0, 0},   // clamped to the first item
    };
    for (const auto& c : cases) {
        ListPaging paging(5, 12, 0);
        paging.Follow(c.startTop + 4);  // a page with the wanted top...
        paging.Follow(c.startTop);
        paging.Follow(c.startTop + c.startRow);  // ...and the wanted line
        ASSERT_EQ(c.startTop, paging.Top());
        ASSERT_EQ(c.startRow, paging.Row());
        Apply(paging, c.move);
        SCOPED_TRACE(std::string(Name(c.move)) + " from top " + std::to_string(c.startTop) + " row " +
                     std::to_string(c.startRow));
        EXPECT_EQ(c.top, paging.Top());
        EXPECT_EQ(c.row, paging.Row());
    }
}

TEST(ListPagingTest, EmptyListStaysWithoutCurrentItem) {
    ListPaging paging(4, 0, -1);
    for (Move move : {Move::Up, Move::Down, Move::PageUp, Move::PageDown, Move::Home, Move::End, Move::WheelDown}) {
        Apply(paging, move);
        EXPECT_EQ(-1, paging.Current()) << Name(move);
    }
    paging.PointAt(2);
    EXPECT_EQ(-1, paging.Current());
    EXPECT_FALSE(paging.ScrollForward());
    EXPECT_FALSE(paging.ScrollBack());
}

TEST(ListPagingTest, RandomMovesKeepTheCurrentItemWhereTheKeysSay) {
    // The current item follows from each key alone; the page must always show it.
    std::mt19937 random(77);
    for (int round = 0; round < 200; ++round) {
        int rows = 1 + static_cast<int>(random() % 8);
        int count = static_cast<int>(random() % 30);
        int expect = count == 0 ? -1 : static_cast<int>(random() % count);
        ListPaging paging(rows, count, expect);
        for (int step = 0; step < 60; ++step) {
            Move move = static_cast<Move>(random() % 8);
            int before = paging.Current();
            int topBefore = paging.Top();
            Apply(paging, move);
            if (count > 0) {
                switch (move) {
                case Move::Up: expect = std::max(0, before - 1); break;
                case Move::Down: expect = std::min(count - 1, before + 1); break;
                case Move::Home: expect = 0; break;
                case Move::End: expect = count - 1; break;
                case Move::WheelUp: expect = std::max(0, before - 3); break;
                case Move::WheelDown: expect = std::min(count - 1, before + 3); break;
                case Move::PageUp:
                    expect = topBefore >= rows ? before - rows : 0;
                    break;
                case Move::PageDown:
                    expect = topBefore + rows < count ? std::min(before + rows, count - 1) : count - 1;
                    break;
                }
            }
            ASSERT_EQ(expect, paging.Current()) << Name(move) << " round " << round << " step " << step;
            if (count > 0) {
                ASSERT_GE(paging.Row(), 0);
                ASSERT_LT(paging.Row(), rows);
                ASSERT_GE(paging.Top(), 0);
            }
        }
    }
}

TEST(ListPagingTest, SetCountKeepsOrClampsTheCurrentItem) {
    ListPaging paging(5, 20, 15);
    paging.SetCount(30);
    EXPECT_EQ(15, paging.Current());
    paging.SetCount(8);
    EXPECT_EQ(7, paging.Current());
    EXPECT_LE(paging.Top(), 7);
    paging.SetCount(0);
    EXPECT_EQ(-1, paging.Current());
    paging.SetCount(3);
    EXPECT_EQ(0, paging.Current());
}

TEST(ListPagingTest, AutoScrollStepsUntilTheEnds) {
    ListPaging paging(4, 10, 5);  // top 2, row 3
    int steps = 0;
    while (paging.ScrollBack()) ++steps;
    EXPECT_EQ(2, steps);
    EXPECT_EQ(0, paging.Current());
    steps = 0;
    while (paging.ScrollForward()) ++steps;
    EXPECT_EQ(6, steps);  // from item 3 (last visible line) down to item 9
    EXPECT_EQ(9, paging.Current());
    EXPECT_EQ(6, paging.Top());
}

TEST(ListPagingTest, PointAtClampsToTheLastItem) {
    ListPaging paging(6, 3, 0);
    paging.PointAt(5);
    EXPECT_EQ(2, paging.Current());
    paging.PointAt(1);
    EXPECT_EQ(1, paging.Current());
}

TEST(ListPagingTest, PrefixSearch) {
    const std::vector<Estring> items = {"  Apple ", "apricot", "Banana", "ABACUS", "berry", "  "};
    auto text = [&](int i) { return items[static_cast<size_t>(i)]; };
    const struct {
        int current;
        const char* prefix;
        int direction;
        int expect;
    } cases[] = {
        {0, "a", 0, 0},    // the current item itself is tried first; blanks trimmed
        {1, "a", 0, 1},
        {2, "a", 0, 3},    // forward from the current item, any letter case
        {4, "ap", 0, 0},   // wraps around
        {0, "ab", 0, 3},
        {0, "abx", 0, -1}, // no match
        {0, "a", 1, 1},    // Alt-Down: the next match
        {1, "a", -1, 0},   // Alt-Up: the previous match
        {0, "a", -1, 3},   // Alt-Up wraps backwards
        {3, "", 1, 4},     // the empty prefix matches the next item
        {5, "", 1, 0},
        {0, "", -1, 5},
        {0, "apple ", 0, -1},  // the trailing blank was trimmed away
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expect, ListPaging::FindPrefix(static_cast<int>(items.size()), c.current, c.prefix, c.direction, text))
            << "current " << c.current << " prefix '" << c.prefix << "' direction " << c.direction;
    }
    EXPECT_EQ(-1, ListPaging::FindPrefix(0, -1, "a", 0, text));
    // A single item: Alt-Down finds nothing besides the item itself.
    EXPECT_EQ(-1, ListPaging::FindPrefix(1, 0, "", 1, text));
}
