// Joined fields outside the grid's rows: the record view (Enter) and the
// view files of F2 / F3.

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>

#include "JoinTestSupport.h"
#include "ViewerFixture.h"
#include "fields/FieldList.h"
#include "viewer/RecordView.h"

namespace {

using jointest::BuyerOf;
using jointest::CustomerName;
using jointest::OrderOf;
using viewertest::ReadBytes;
using viewertest::ScreenText;

// The value a record view screen shows after "label: " (up to two blanks
// or the frame); null when the screen has no such line.
std::optional<std::string> ValueAfter(const std::string& screen, const std::string& label) {
    const size_t at = screen.find(label + ": ");
    if (at == std::string::npos) return std::nullopt;
    const size_t from = at + label.size() + 2;
    size_t end = from;
    while (end < screen.size() && screen[end] != '\n' && screen.compare(end, 2, "  ") != 0 &&
           static_cast<unsigned char>(screen[end]) < 0x80)
        ++end;
    return screen.substr(from, end - from);
}

class JoinViewsTest : public jointest::JoinFixture {
protected:
    void MakeChain() {
        PushCreateJoin("Orders", 1, "");
        PushCreateJoin("Customers", 1, "");
        ASSERT_TRUE(RunScript());
        ASSERT_EQ(2, viewer->joins->Count());
    }

    int FieldIndex(const char* name) {
        for (int i = 0; i < viewer->fields.Count(); ++i)
            if (viewer->fields.Get(i)->name == name) return i;
        ADD_FAILURE() << "no field " << name;
        return 0;
    }

    // The Customers record of id, straight from the engine.
    std::string StoredCustomerName(int id) {
        BtrieveFile customers;
        EXPECT_EQ(0, customers.open("customers.dat"));
        uint8_t key[256] = {};
        le::PutU32(key, static_cast<uint32_t>(id));
        std::vector<uint8_t> record(customers.recordLength());
        customers.setDataLength(static_cast<uint16_t>(record.size()));
        EXPECT_EQ(0, customers.getEqual(key, record.data(), 0));
        std::string name(reinterpret_cast<const char*>(&record[4]), 20);
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }
};

TEST_F(JoinViewsTest, TheRecordViewShowsJoinedValuesThatFollowTheRecordAndBlanksWithoutAMatch) {
    OpenShop(30, 10);
    MakeChain();
    keys.screens.clear();
    keys.PushKey(kKeyEnter);
    for (int i = 0; i < 9; ++i) keys.PushKey('+');  // lines 2 .. 10
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    std::set<int> linesSeen;
    for (const std::string& s : keys.screens) {
        if (s.find(" Record View ") == std::string::npos) continue;
        auto line = ValueAfter(s, "LineNo");
        auto order = ValueAfter(s, "Orders.OrderNo");
        auto name = ValueAfter(s, "Customers.Name");
        ASSERT_TRUE(line && order && name) << s;
        const int lineNo = std::atoi(line->c_str());
        const int expected = OrderOf(lineNo);
        const bool matched = expected != jointest::kMissingOrder;
        EXPECT_EQ(matched ? std::to_string(expected) : "", *order) << s;
        EXPECT_EQ(matched ? CustomerName(BuyerOf(expected)) : "", *name) << s;
        linesSeen.insert(lineNo);
    }
    EXPECT_EQ((std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), linesSeen);
}

TEST_F(JoinViewsTest, AltHShowsAJoinedFieldsBytesAndRefusesToChangeThem) {
    OpenShop(30, 10);
    MakeChain();
    Show({"LineNo", "Customers.Name"});
    const int buyer = BuyerOf(OrderOf(1));
    const std::string name = CustomerName(buyer);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%02X %02X %02X", name[0], name[1], name[2]);

    keys.screens.clear();
    keys.PushKey(kKeyEnter);  // line 1
    for (int i = 0; i < FieldIndex("Customers.Name"); ++i) keys.PushKey(kKeyDown);
    keys.PushKey(kKeyAltH);
    keys.PushText("41");      // the first byte becomes "A"
    keys.PushKey(kKeyF10);    // kept in the hex view ...
    keys.PushKey(kKeyEnter);  // ... but refused for the joined record
    keys.PushKey(kKeyEsc);    // the record view, unchanged: no question
    ASSERT_TRUE(RunScript());
    bool hexShown = false;
    for (const std::string& s : keys.screens)
        hexShown = hexShown || (s.find(" Customers.Name ") != std::string::npos && s.find(hex) != std::string::npos);
    EXPECT_TRUE(hexShown) << "no hex view with " << hex;
    EXPECT_TRUE(keys.Saw(kJoinedFieldUnchanged));
    // The record view went on showing the stored name, and nothing was written.
    std::string lastView;
    for (const std::string& s : keys.screens)
        if (s.find(" Record View ") != std::string::npos && s.find(kJoinedFieldUnchanged) == std::string::npos)
            lastView = s;
    EXPECT_EQ(name, ValueAfter(lastView, "Customers.Name").value_or("none"));
    EXPECT_EQ(name, StoredCustomerName(buyer));
    EXPECT_EQ(name, Cells(0)["Customers.Name"]);
    EXPECT_FALSE(keys.Saw("Save changes?"));

    // Line 10 has no order: Alt-H on its joined field opens nothing.
    keys.screens.clear();
    for (int i = 0; i < 9; ++i) keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEnter);
    for (int i = 0; i < FieldIndex("Customers.Name"); ++i) keys.PushKey(kKeyDown);
    keys.PushKey(kKeyAltH);
    keys.PushKey(kKeyEsc);
    ASSERT_TRUE(RunScript());
    ASSERT_TRUE(keys.Saw(" Record View "));
    EXPECT_FALSE(keys.Saw(" Customers.Name "));
}

TEST_F(JoinViewsTest, F2SavesTheJoinsAndF3BringsBackTheSameGridInAFreshViewer) {
    OpenShop(40, 14);
    MakeChain();
    Show({"LineNo", "OrderNo", "Orders.CustomerId", "Customers.Name"});
    viewer->fields.Find("Customers.Name")->width = -12;
    viewer->redrawGrid();
    const std::string joined = ScreenText(screen);
    keys.PushKey(kKeyF2);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    const std::string saved = ReadBytes(database.dir / "lines.qdx");
    EXPECT_NE(std::string::npos, saved.find("[Join:Orders]\nDictionaryName=Orders\nLocation=orders.dat\nIndex=0\n"
                                            "JoinValue=OrderNo\n\n[Join:Customers]\nDictionaryName=Customers\n"
                                            "Location=customers.dat\nIndex=0\nJoinValue=Orders.CustomerId\n\n"))
        << saved;
    EXPECT_NE(std::string::npos, saved.find("[Field:Customers.Name]\nWidth=-12\nEnabled=Y\n")) << saved;
    EXPECT_EQ(std::string::npos, saved.find("[Field:Orders.ShipToId]")) << saved;  // left at its defaults

    MakeViewer();
    ASSERT_EQ(0, viewer->joins->Count());
    ASSERT_NE(joined, ScreenText(screen));
    keys.PushKey(kKeyF3);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(joined, ScreenText(screen));
    ASSERT_EQ(2, viewer->joins->Count());
    for (int i = 0; i < viewer->rowCount(); ++i) {
        const int order = OrderOf(LineNoOf(i));
        EXPECT_EQ(order != jointest::kMissingOrder ? CustomerName(BuyerOf(order)) : "", Cells(i)["Customers.Name"]);
    }

    // Loading it again over the joins it made replaces them instead of adding.
    keys.PushKey(kKeyF3);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(RunScript());
    EXPECT_EQ(2, viewer->joins->Count());
    EXPECT_EQ(joined, ScreenText(screen));
}

}  // namespace
