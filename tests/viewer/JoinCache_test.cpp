// The join cache measured at the engine: a counting wrapper stands in for
// the engine library and hands every call on to the real one.

#include <gtest/gtest.h>

#include "CountingEngine.h"
#include "JoinTestSupport.h"

namespace {

using jointest::OrderOf;

constexpr int kOpGetEqual = 5;

using viewertest::CountingEngine;

class JoinCacheTest : public jointest::JoinFixture {
protected:
    // Appends a join to table's key 0 with one value, without the dialogs.
    void Join(const char* table, const char* name, const char* value) {
        std::vector<uint8_t> record = viewertest::GridDatabase::TableRecord(table);
        Estring owner;
        int status = 0;
        std::unique_ptr<::Join> join =
            viewer->joins->OpenTable(record.data(), jointest::TableLocation(table), owner, status);
        ASSERT_NE(nullptr, join) << status;
        join->joinName = name;
        join->SetKeyNumber(0);
        join->SetValues({Estring(value)});
        viewer->joins->Append(std::move(join), viewer->fields);
    }

    // Rows of the page whose order differs from the row above, and the
    // first row: the lookups a one-record cache cannot avoid. A line
    // without an order is looked up once like any other.
    int KeyChangesOnPage() {
        int changes = 0;
        for (int i = 0; i < viewer->rowCount(); ++i)
            if (i == 0 || OrderOf(LineNoOf(i)) != OrderOf(LineNoOf(i - 1))) ++changes;
        return changes;
    }
};

TEST_F(JoinCacheTest, APageOfALargeJoinedTableCostsAtMostOneGetEqualPerRowAndJoin) {
    // A million lines, as users have them: paging at the start, the end and
    // back must stay one lookup per row with the file this size.
    constexpr int kLines = 1000000;
    OpenShop(kLines, (kLines + 2) / 3);
    Join("Orders", "Orders", "OrderNo");
    // Three columns of the one join: without the cache each would ask the engine.
    Show({"LineNo", "Orders.OrderNo", "Orders.CustomerId", "Orders.ShipToId"});

    CountingEngine engine;
    ASSERT_TRUE(engine.Ready());
    struct Step {
        const char* name;
        int key;  // 0: read the page again
    } steps[] = {{"refill", 0},        {"Page Down", kKeyPageDown}, {"Page Down", kKeyPageDown},
                 {"End", kKeyEnd},     {"Page Up", kKeyPageUp},     {"Home", kKeyHome}};
    for (const Step& step : steps) {
        engine.Reset();
        if (step.key == 0) {
            viewer->refill();
        } else {
            keys.PushKey(step.key);
            ASSERT_TRUE(RunScript()) << step.name;
        }
        const long long lookups = engine.Calls(kOpGetEqual);
        ASSERT_GT(viewer->rowCount(), 10) << step.name;
        EXPECT_LE(lookups, viewer->rowCount()) << step.name;
        EXPECT_LE(lookups, KeyChangesOnPage()) << step.name;
        EXPECT_GE(lookups, 1) << step.name;
        // Every row shows its order's values.
        for (int i = 0; i < viewer->rowCount(); ++i) {
            const int order = OrderOf(LineNoOf(i));
            const bool matched = order != jointest::kMissingOrder;
            EXPECT_EQ(matched ? std::to_string(jointest::BuyerOf(order)) : "", Cells(i)["Orders.CustomerId"])
                << step.name << " line " << LineNoOf(i);
        }
    }

    // Read afresh, the page asks once per change of key and no more: a row
    // whose order is missing asked once for each of its three columns until
    // the cache kept misses too.
    engine.Reset();
    viewer->refill();
    EXPECT_LE(engine.Calls(kOpGetEqual), KeyChangesOnPage());
}

TEST_F(JoinCacheTest, AChainCostsAtMostOneGetEqualPerRowForEachJoin) {
    OpenShop(3000, 1000);
    Join("Orders", "Orders", "OrderNo");
    Join("Customers", "Customers", "Orders.CustomerId");
    Show({"LineNo", "Orders.CustomerId", "Customers.CustomerId", "Customers.Name"});

    CountingEngine engine;
    ASSERT_TRUE(engine.Ready());
    for (int key : {0, kKeyPageDown, kKeyEnd}) {
        engine.Reset();
        if (key == 0) {
            viewer->refill();
        } else {
            keys.PushKey(key);
            ASSERT_TRUE(RunScript());
        }
        ASSERT_GT(viewer->rowCount(), 10);
        EXPECT_LE(engine.Calls(kOpGetEqual), 2 * viewer->rowCount()) << key;
        for (int i = 0; i < viewer->rowCount(); ++i) {
            const int order = OrderOf(LineNoOf(i));
            const bool matched = order != jointest::kMissingOrder;
            EXPECT_EQ(matched ? jointest::CustomerName(jointest::BuyerOf(order)) : "", Cells(i)["Customers.Name"])
                << key << " line " << LineNoOf(i);
        }
    }
}


// Every line joins the same order, so the cache would serve it forever: a
// refresh (Ctrl-R) must show what another program changed in the meantime.
TEST_F(JoinCacheTest, RefreshShowsAJoinedRecordChangedElsewhere) {
    OpenShop(20, 10);
    Join("Orders", "Orders", "100");
    Show({"LineNo", "Orders.ShipToId"});
    viewer->refill();
    ASSERT_GT(viewer->rowCount(), 5);
    ASSERT_EQ(std::to_string(jointest::ShipToOf(100)), Cells(0)["Orders.ShipToId"]);

    BtrieveFile other;
    ASSERT_EQ(0, other.open("orders.dat"));
    std::vector<uint8_t> record(other.recordLength(), 0);
    uint8_t key[4];
    le::PutU32(key, 100);
    ASSERT_EQ(0, other.getEqual(key, record.data(), 0));
    le::PutU32(record.data() + 8, 42);  // ShipToId, not a key
    other.setDataLength(static_cast<uint16_t>(record.size()));
    ASSERT_EQ(0, other.updateRecord(record.data()));
    other.close();

    keys.PushKey(kKeyCtrlR);
    ASSERT_TRUE(RunScript());
    for (int i = 0; i < viewer->rowCount(); ++i) EXPECT_EQ("42", Cells(i)["Orders.ShipToId"]) << "row " << i;
}

}  // namespace
