// The grid's index across drops made from Choose Index: an index renumbered
// below keeps ordering the grid; the grid's own index dropped gives
// physical order.

#include "ViewerFixture.h"
#include "admin/KeySpecification.h"

namespace admintest {
namespace {

class GridIndexTest : public viewertest::ViewerFixture {
protected:
    // Items 0 .. 4 with key 2 on Remark (duplicates) and key 3 on Name
    // descending; the grid sorted by key 3.
    void SetUpKeys() {
        OpenItems(5);
        IndexOptions duplicates;
        duplicates.duplicates = true;
        ASSERT_EQ(0, CreateIndex(file, {NewIndexSegment(*definition->Find("Remark"))}, duplicates));
        IndexSegment name = NewIndexSegment(*definition->Find("Name"));
        name.descending = true;
        ASSERT_EQ(0, CreateIndex(file, {name}, IndexOptions()));
        ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
        for (int key : {kKeyAltS, kKeyDown, kKeyDown, kKeyDown, kKeyEnter}) keys.PushKey(key);
        ASSERT_TRUE(RunScript());
        ASSERT_EQ(3, viewer->keyNumber);
        ASSERT_EQ((std::vector<int>{4, 3, 2, 1, 0}), PageIds());
    }
};

TEST_F(GridIndexTest, RenumberedIndexKeepsOrderingTheGrid) {
    SetUpKeys();
    // Choose Index opens on key 3; Up to key 2, Delete, OK (renumbering), Esc.
    for (int key : {kKeyAltS, kKeyUp, kKeyDelete, kKeyEnter, kKeyEsc}) keys.PushKey(key);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(2, viewer->keyNumber);
    EXPECT_EQ((std::vector<int>{4, 3, 2, 1, 0}), PageIds());
    EXPECT_EQ(0, definition->index(3).Count());
}

TEST_F(GridIndexTest, KeptNumbersKeepTheGridsKey) {
    SetUpKeys();
    for (int key : {kKeyAltS, kKeyUp, kKeyDelete, static_cast<int>(' '), kKeyEnter, kKeyEsc}) keys.PushKey(key);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(3, viewer->keyNumber);
    EXPECT_EQ((std::vector<int>{4, 3, 2, 1, 0}), PageIds());
    EXPECT_EQ(0, definition->index(2).Count());
}

TEST_F(GridIndexTest, DroppingTheGridsIndexGivesPhysicalOrder) {
    SetUpKeys();
    for (int key : {kKeyAltS, kKeyDelete, kKeyEnter, kKeyEsc}) keys.PushKey(key);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(-1, viewer->keyNumber);
    std::vector<int> physical = viewertest::EngineOrder(file, -1);
    EXPECT_EQ(physical, PageIds());
}

}  // namespace
}  // namespace admintest
