#include "viewer/Joins.h"

#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "fields/FieldList.h"

namespace {

using jointest::BuyerOf;
using jointest::CustomerName;
using jointest::OrderOf;
using jointest::ShipToOf;

class JoinsTest : public jointest::JoinFixture {
protected:
    // Lines joined to Orders (by OrderNo) and Orders to Customers (by the
    // order's customer): the page's rows.
    void ExpectChainOnPage(const std::string& ordersJoin, const std::string& customersJoin) {
        ASSERT_GT(viewer->rowCount(), 10);
        for (int i = 0; i < viewer->rowCount(); ++i) {
            auto cells = Cells(i);
            const int line = LineNoOf(i);
            const int order = OrderOf(line);
            const bool matched = order != jointest::kMissingOrder;
            SCOPED_TRACE("line " + std::to_string(line));
            EXPECT_EQ(std::to_string(order), cells["OrderNo"]);
            EXPECT_EQ(matched ? std::to_string(BuyerOf(order)) : "", cells[ordersJoin + ".CustomerId"]);
            EXPECT_EQ(matched ? CustomerName(BuyerOf(order)) : "", cells[customersJoin + ".Name"]);
        }
    }
};

TEST_F(JoinsTest, AChainShowsTheCustomerBesideEachOrderLineAndBlanksWithoutAMatch) {
    OpenShop(60, 20);
    PushCreateJoin("Orders", 1, "");
    PushCreateJoin("Customers", 1, "");
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Select file to join to "));
    EXPECT_TRUE(keys.Saw(" Join Key "));
    ASSERT_EQ(2, viewer->joins->Count());
    EXPECT_EQ("Orders", viewer->joins->Get(0)->joinName);
    EXPECT_EQ("Customers", viewer->joins->Get(1)->joinName);
    // The second join found its value through the first one's field.
    EXPECT_EQ(std::vector<Estring>{Estring("Orders.CustomerId")}, viewer->joins->Get(1)->Values());

    Show({"LineNo", "OrderNo", "Orders.CustomerId", "Customers.Name"});
    ExpectChainOnPage("Orders", "Customers");
    // Header line 1 names the joins over their columns, line 2 the fields.
    EXPECT_NE(std::string::npos, viewer->headerLine(1).ToStdString().find("Orders"));
    EXPECT_NE(std::string::npos, viewer->headerLine(1).ToStdString().find("Customers"));
    EXPECT_NE(std::string::npos, screen.RowText(4).find("Name"));

    // A line without its order: the joined columns are blank, padded to their width.
    const int orphan = 9;  // line 10
    ASSERT_EQ(10, LineNoOf(orphan));
    const std::string text = viewer->row(orphan).text.ToStdString();
    EXPECT_EQ(text.size(), viewer->row(0).text.ToStdString().size());
    EXPECT_EQ("", Cells(orphan)["Customers.Name"]);
}

TEST_F(JoinsTest, TwoJoinsToOneFileKeepTheirOwnFieldsAndRecords) {
    OpenShop(30, 10);
    // Viewed Lines -> Orders; then Customers twice, once by the buyer and once by the ship-to.
    PushCreateJoin("Orders", 1, "");
    PushCreateJoin("Customers", 1, "Buyer");
    ASSERT_TRUE(RunScript());
    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyInsert);
    keys.PushText("Customers");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);       // key 0
    keys.PushText("Orders.ShipToId");  // replaces the preset value
    keys.PushKey(kKeyTab);
    keys.PushText("ShipTo");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    ASSERT_EQ(3, viewer->joins->Count());
    EXPECT_NE(nullptr, viewer->fields.Find("Buyer.Name"));
    EXPECT_NE(nullptr, viewer->fields.Find("ShipTo.Name"));
    EXPECT_EQ(nullptr, viewer->fields.Find("Customers.Name"));

    Show({"LineNo", "Buyer.Name", "ShipTo.Name"});
    int differing = 0;
    for (int i = 0; i < viewer->rowCount(); ++i) {
        auto cells = Cells(i);
        const int order = OrderOf(LineNoOf(i));
        const bool matched = order != jointest::kMissingOrder;
        SCOPED_TRACE("line " + std::to_string(LineNoOf(i)));
        EXPECT_EQ(matched ? CustomerName(BuyerOf(order)) : "", cells["Buyer.Name"]);
        EXPECT_EQ(matched ? CustomerName(ShipToOf(order)) : "", cells["ShipTo.Name"]);
        if (cells["Buyer.Name"] != cells["ShipTo.Name"]) ++differing;
    }
    EXPECT_GT(differing, 5);  // the two joins really read different records
}

TEST_F(JoinsTest, DeletingAJoinTakesItsColumnsAwayAndLaterJoinsThatUsedItGoBlank) {
    OpenShop(30, 10);
    PushCreateJoin("Orders", 1, "");
    PushCreateJoin("Customers", 1, "");
    ASSERT_TRUE(RunScript());
    Show({"LineNo", "Orders.CustomerId", "Orders.ShipToId", "Customers.Name"});
    const int joinedCount = viewer->fields.Count();
    ASSERT_NE(std::string::npos, viewer->headerLine(2).ToStdString().find("ShipToId"));

    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyDelete);  // the first join, Orders, selected at the start
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    ASSERT_EQ(1, viewer->joins->Count());
    EXPECT_EQ("Customers", viewer->joins->Get(0)->joinName);
    EXPECT_EQ(joinedCount - 3, viewer->fields.Count());
    for (int i = 0; i < viewer->fields.Count(); ++i)
        EXPECT_NE(0, viewer->fields.Get(i)->name.ToStdString().rfind("Orders.", 0)) << viewer->fields.Get(i)->name.Text();
    EXPECT_EQ(std::string::npos, viewer->headerLine(2).ToStdString().find("ShipToId"));
    EXPECT_EQ(std::string::npos, viewer->headerLine(1).ToStdString().find("Orders"));
    EXPECT_EQ(std::string::npos, screen.RowText(4).find("ShipToId"));

    // Customers named Orders.CustomerId: its value fails now, so its column is blank.
    for (int i = 0; i < viewer->rowCount(); ++i) {
        auto cells = Cells(i);
        EXPECT_EQ(2u, cells.size());  // LineNo and Customers.Name are left
        EXPECT_EQ("", cells["Customers.Name"]) << "line " << LineNoOf(i);
    }
    // The grid keeps working: the page moves and the join can be deleted too.
    keys.PushKey(kKeyPageDown);
    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyDelete);
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(0, viewer->joins->Count());
    EXPECT_EQ(definition->Count(), viewer->fields.Count());
}

TEST_F(JoinsTest, InitialJoinValuesComeFromTheViewedFieldsThenFromEarlierJoins) {
    OpenShop(5, 5);
    auto open = [&](const char* table, int key) {
        std::vector<uint8_t> record = viewertest::GridDatabase::TableRecord(table);
        Estring owner;
        int status = 0;
        std::unique_ptr<Join> join =
            viewer->joins->OpenTable(record.data(), jointest::TableLocation(table), owner, status);
        EXPECT_EQ(0, status) << table;
        if (join) join->SetKeyNumber(key);
        return join;
    };
    auto append = [&](const char* table, const char* name) {
        std::unique_ptr<Join> join = open(table, 0);
        ASSERT_NE(nullptr, join);
        join->joinName = name;
        viewer->joins->Append(std::move(join), viewer->fields);
    };
    struct Case {
        const char* table;
        int key;
        const char* expected;
    };
    // Nothing joined yet: only a segment named like a field of Lines gets a value.
    for (const Case& c : {Case{"Orders", 0, "OrderNo"}, Case{"Orders", 1, ""}, Case{"Customers", 0, ""}}) {
        std::unique_ptr<Join> join = open(c.table, c.key);
        ASSERT_NE(nullptr, join);
        EXPECT_EQ(std::vector<Estring>{Estring(c.expected)}, InitialJoinValues(*viewer, *join)) << c.table << c.key;
    }
    // Two joins to Orders: the first one in list order gives the value.
    append("Orders", "First");
    append("Orders", "Second");
    for (const Case& c : {Case{"Orders", 0, "OrderNo"}, Case{"Orders", 1, "First.CustomerId"},
                          Case{"Customers", 0, "First.CustomerId"}}) {
        std::unique_ptr<Join> join = open(c.table, c.key);
        ASSERT_NE(nullptr, join);
        EXPECT_EQ(std::vector<Estring>{Estring(c.expected)}, InitialJoinValues(*viewer, *join)) << c.table << c.key;
    }

    // The Join Key dialog of a new join offers that value and the table's name.
    keys.screens.clear();
    PushCreateJoin("Orders", 1, "Third");
    ASSERT_TRUE(RunScript());
    bool offered = false;
    for (const std::string& s : keys.screens)
        offered = offered || (s.find(" Join Key ") != std::string::npos &&
                              s.find("             OrderNo  OrderNo") != std::string::npos &&
                              s.find("Join Name  Orders") != std::string::npos);
    EXPECT_TRUE(offered);
    ASSERT_EQ(3, viewer->joins->Count());
    EXPECT_EQ(std::vector<Estring>{Estring("OrderNo")}, viewer->joins->Get(2)->Values());
}

TEST_F(JoinsTest, UnsortedBringsChooseIndexBackAndEscGoesBackToTheTableList) {
    OpenShop(10, 5);
    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyInsert);
    keys.PushText("Orders");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyUp);     // "    Unsorted"
    keys.PushKey(kKeyEnter);  // not a lookup order: the list again, on key 0
    keys.PushKey(kKeyDown);   // key 1 (CustomerId)
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEsc);    // Cancel in the Join Key dialog: back to Choose Index
    keys.PushKey(kKeyEsc);    // and Esc there: back to the table list
    keys.PushText("Orders");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // OK with no value for CustomerId: refused, the dialog stays
    keys.PushKey(kKeyEnter);  // the message
    keys.PushText("OrderNo");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    int chooseScreens = 0;
    for (const std::string& s : keys.screens)
        if (s.find("Unsorted") != std::string::npos) ++chooseScreens;
    // Choose Index read Up, Enter, then (shown again) Down, Enter, after the
    // Join Key dialog's Cancel Esc, and after the table list Down, Enter.
    EXPECT_GE(chooseScreens, 7);
    ASSERT_EQ(1, viewer->joins->Count());
    EXPECT_EQ(1, viewer->joins->Get(0)->KeyNumber());
    EXPECT_EQ(std::vector<Estring>{Estring("OrderNo")}, viewer->joins->Get(0)->Values());
}

TEST_F(JoinsTest, ADuplicateNameIsRefusedAndTheJoinKeyDialogStays) {
    OpenShop(10, 5);
    PushCreateJoin("Customers", 1, "", 0, "Qty");
    ASSERT_TRUE(RunScript());
    ASSERT_EQ(1, viewer->joins->Count());

    keys.screens.clear();
    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyInsert);
    keys.PushText("Customers");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // key 0
    keys.PushText("OrderNo");
    keys.PushKey(kKeyEnter);  // OK with the preset name "Customers"
    keys.PushKey(kKeyEnter);  // the message
    keys.PushKey(kKeyTab);
    keys.PushText("customers");  // letter case does not make it another name
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyShiftTab);  // out of the name and in again: typing replaces it
    keys.PushKey(kKeyTab);
    keys.PushText("Other");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    int refusals = 0;
    bool previous = false;
    for (const std::string& s : keys.screens) {
        const bool shown = s.find("Join name is already used") != std::string::npos;
        if (shown && !previous) ++refusals;
        previous = shown;
    }
    EXPECT_EQ(2, refusals);
    ASSERT_EQ(2, viewer->joins->Count());
    EXPECT_EQ("Other", viewer->joins->Get(1)->joinName);
    EXPECT_NE(nullptr, viewer->fields.Find("Other.Name"));
    EXPECT_EQ(2 * 2 + definition->Count(), viewer->fields.Count());
}

TEST_F(JoinsTest, AnOwnerProtectedFileAsksForTheOwnerAndAWrongOneShowsTheListAgain) {
    OpenShop(12, 5);
    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyInsert);
    keys.PushText("Vault");
    keys.PushKey(kKeyEnter);
    keys.PushText("nope");
    keys.PushKey(kKeyEnter);  // the engine refuses it: asked again
    keys.PushKey(kKeyEsc);    // given up: "opening vault.dat" and the table list again
    keys.PushKey(kKeyEnter);  // the message
    keys.PushText("Vault");   // a fresh table list
    keys.PushKey(kKeyEnter);
    keys.PushText("hush");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // key 0
    keys.PushKey(kKeyEnter);  // OK: OrderNo, named Vault
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("Owner requried"));
    EXPECT_TRUE(keys.Saw("opening vault.dat"));
    ASSERT_EQ(1, viewer->joins->Count());
    Show({"LineNo", "Vault.Note"});
    for (int i = 0; i < viewer->rowCount(); ++i) {
        const int order = OrderOf(LineNoOf(i));
        const bool stored = order >= jointest::kFirstOrder && order < jointest::kFirstOrder + 5;
        EXPECT_EQ(stored ? "Vault " + std::to_string(order) : "", Cells(i)["Vault.Note"]) << LineNoOf(i);
    }
}

}  // namespace

namespace {

TEST_F(JoinsTest, AFilterAndACalculatedFieldNamingADeletedJoinFailQuietlyAndTheGridGoesOn) {
    OpenShop(30, 10);
    PushCreateJoin("Orders", 1, "");
    ASSERT_TRUE(RunScript());
    viewer->fields.Add(FieldAttributes::Calculated(Estring("Buyer2"), 8, Estring("Orders.CustomerId * 2"), 0));
    Show({"LineNo", "Buyer2"});
    viewer->setFilter("Orders.CustomerId > 0");
    ASSERT_GT(viewer->rowCount(), 10);
    for (int i = 0; i < viewer->rowCount(); ++i) {
        const int order = OrderOf(LineNoOf(i));
        ASSERT_NE(jointest::kMissingOrder, order);  // the filter keeps the lines with an order
        EXPECT_EQ(std::to_string(2 * BuyerOf(order)), Cells(i)["Buyer2"]);
    }

    keys.PushKey(kKeyAltJ);
    keys.PushKey(kKeyDelete);
    keys.PushKey(kKeyF10);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(0, viewer->joins->Count());
    // The filter cannot be evaluated any more: nothing passes it.
    EXPECT_EQ(0, viewer->rowCount());
    // Without it the lines come back; the calculated column shows its failure.
    viewer->setFilter("");
    ASSERT_GT(viewer->rowCount(), 10);
    for (int i = 0; i < viewer->rowCount(); ++i) EXPECT_EQ("Error **", Cells(i)["Buyer2"]) << LineNoOf(i);
    keys.PushKey(kKeyPageDown);
    keys.PushKey(kKeyEnter);  // the record view over a calculated field without its join
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Record View "));
}

}  // namespace
