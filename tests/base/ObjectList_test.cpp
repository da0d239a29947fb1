#include "base/EstringStore.h"
#include "base/ObjectList.h"

#include <gtest/gtest.h>

namespace {

struct Counted {
    explicit Counted(int* alive) : alive(alive) { ++*alive; }
    ~Counted() { --*alive; }
    int* alive;
};

}  // namespace

TEST(ObjectList, GrowsToTenThenByThirtyPercent) {
    ObjectList list;
    int items[20];
    EXPECT_EQ(0, list.Capacity());
    for (int i = 0; i < 10; ++i) list.Append(&items[i]);
    EXPECT_EQ(10, list.Capacity());
    list.Append(&items[10]);
    EXPECT_EQ(13, list.Capacity());
    for (int i = 11; i < 14; ++i) list.Append(&items[i]);
    EXPECT_EQ(16, list.Capacity());
    for (int i = 0; i < 14; ++i) EXPECT_EQ(&items[i], list.Get(i));
}

TEST(ObjectList, InsertAtCursorAndIterate) {
    ObjectList list;
    int a, b, c;
    list.Append(&a);
    list.Append(&c);  // cursor on c (index 1)
    list.Insert(&b);  // goes before c
    ASSERT_EQ(3, list.Count());
    EXPECT_EQ(&b, list.Get(1));
    list.Rewind();
    EXPECT_EQ(&a, list.Next());
    EXPECT_EQ(&b, list.Next());
    EXPECT_EQ(&c, list.Next());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(&c, list.Previous());
    list.Remove(0);
    EXPECT_EQ(&b, list.Get(0));
    EXPECT_EQ(nullptr, list.Get(5));
}

TEST(TObjectStore, OwnsAndDestroysItems) {
    int alive = 0;
    {
        TObjectStore<Counted> store;
        for (int i = 0; i < 5; ++i) store.Append(new Counted(&alive));
        EXPECT_EQ(5, alive);
        store.Remove(2);
        EXPECT_EQ(4, alive);
        std::unique_ptr<Counted> taken = store.Take(0);
        EXPECT_EQ(3, store.Count());
        EXPECT_EQ(4, alive);
        store.Clear();
        EXPECT_EQ(1, alive);
    }
    EXPECT_EQ(0, alive);
}

TEST(EstringStore, FindIgnoresCase) {
    EstringStore store;
    store.Append("Customers");
    store.Append("Orders");
    EXPECT_EQ(1, store.Find("ORDERS"));
    EXPECT_EQ(-1, store.Find("Order"));
}

TEST(ObjectList, CursorSetOutOfRangeStaysWithinTheList) {
    ObjectList list;
    int a, b;
    list.Append(&a);
    list.Append(&b);
    list.SetCursor(-5);
    EXPECT_EQ(-1, list.Cursor());
    EXPECT_EQ(&a, list.Next());
    list.SetCursor(7);
    EXPECT_EQ(2, list.Cursor());
    EXPECT_EQ(&b, list.Previous());
    list.SetCursor(9);
    int c;
    list.Insert(&c);  // at the end
    EXPECT_EQ(&c, list.Get(2));
}
