#pragma once
// A shop database for the join tests: order lines point to orders, orders
// to customers (twice: the buyer and the ship-to), and an owner-protected
// vault holds one note per order. The grid runs over Lines on an 80 x 25
// memory display with the program's own table list and joined-file opener.
//
// Data (every expected value below is computed from these rules, not read
// back through the code under test):
//   Customers  CustomerId 1..7, Name kCustomerNames[id - 1]
//   Orders     OrderNo 100 .. 100 + orders - 1, CustomerId BuyerOf(no), ShipToId ShipToOf(no)
//   Lines      LineNo 1..lines, OrderNo OrderOf(line) (kMissingOrder for every tenth line: no such order)
//   Vault      OrderNo 100 .. 104, Note "Vault <no>" (owner name "hush")

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "app/Opener.h"
#include "btrieve/EngineTransaction.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"
#include "viewfile/JoinList.h"

namespace jointest {

constexpr const char* kShopSchema = R"(
table Lines location lines.dat
  field LineNo Integer 4
  field OrderNo Integer 4
  field Qty Integer 2
  index 0 : LineNo
table Orders location orders.dat
  field OrderNo Integer 4
  field CustomerId Integer 4
  field ShipToId Integer 4
  index 0 : OrderNo
  index 1 duplicates : CustomerId
table Customers location customers.dat
  field CustomerId Integer 4
  field Name String 20
  index 0 : CustomerId
table Vault location vault.dat owner hush
  field OrderNo Integer 4
  field Note String 12
  index 0 : OrderNo
)";

constexpr const char* kCustomerNames[] = {"Alder", "Birch", "Cedar", "Dogwood", "Elm", "Fir", "Ginkgo"};
constexpr int kCustomers = 7;
constexpr int kFirstOrder = 100;
constexpr int kMissingOrder = 50;  // below every order number

inline int BuyerOf(int orderNo) { return 1 + (orderNo * 3) % kCustomers; }
inline int ShipToOf(int orderNo) { return kCustomers - orderNo % kCustomers; }
inline int OrderOf(int lineNo) { return lineNo % 10 == 0 ? kMissingOrder : kFirstOrder + (lineNo - 1) / 3; }
// The data file of a table of the schema.
inline Estring TableLocation(const std::string& table) {
    std::string location;
    for (char c : table) location += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return Estring((location + ".dat").c_str());
}
inline std::string CustomerName(int id) { return id >= 1 && id <= kCustomers ? kCustomerNames[id - 1] : ""; }

class JoinFixture : public ::testing::Test {
protected:
    JoinFixture() : screen(80, 25), keys(screen) {}
    ~JoinFixture() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    // Fills the four files (lines order lines, orders orders) and opens the grid over Lines.
    void OpenShop(int lines, int orders) {
        Fill("customers.dat", "", kCustomers, [](int i, uint8_t* r) {
            le::PutU32(r, static_cast<uint32_t>(i + 1));
            PutText(r + 4, kCustomerNames[i], 20);
        });
        Fill("orders.dat", "", orders, [](int i, uint8_t* r) {
            const int no = kFirstOrder + i;
            le::PutU32(r, static_cast<uint32_t>(no));
            le::PutU32(r + 4, static_cast<uint32_t>(BuyerOf(no)));
            le::PutU32(r + 8, static_cast<uint32_t>(ShipToOf(no)));
        });
        Fill("vault.dat", "hush", 5, [](int i, uint8_t* r) {
            le::PutU32(r, static_cast<uint32_t>(kFirstOrder + i));
            PutText(r + 4, "Vault " + std::to_string(kFirstOrder + i), 12);
        });
        Fill("lines.dat", "", lines, [](int i, uint8_t* r) {
            le::PutU32(r, static_cast<uint32_t>(i + 1));
            le::PutU32(r + 4, static_cast<uint32_t>(OrderOf(i + 1)));
            le::PutU16(r + 8, static_cast<uint16_t>((i + 1) % 5 + 1));
        });
        ASSERT_EQ(0, file.open("lines.dat"));
        MakeViewer();
    }

    // A fresh viewer over Lines with the program's table list and joined-file opener.
    void MakeViewer() {
        viewer.reset();
        tableRecord = viewertest::GridDatabase::TableRecord("Lines");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("lines.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->joins->SetOpener(openJoinedFile);
        viewer->pickJoinTable = pickJoinTable;
        viewer->run(nullptr);  // the page is filled; the dry script ends the run
    }

    // Runs the grid over the keys pushed so far; true when they were used up
    // exactly (the script running dry ends the run).
    bool RunScript() {
        const int dry = keys.DryReads();
        const int key = viewer->run(nullptr);
        return key == kKeyEsc && keys.Remaining() == 0 && keys.DryReads() == dry + 1;
    }

    // The keys that make a join from the grid: Alt-J, Add, the table typed
    // into the table list, the index (Down presses from key 0), the name
    // (typed over the preset one after Tab past the segments; empty keeps
    // it), OK, Done. A first value given is typed over the preset one.
    void PushCreateJoin(const std::string& table, int segments, const std::string& name, int downs = 0,
                        const std::string& firstValue = "") {
        keys.PushKey(kKeyAltJ);
        keys.PushKey(kKeyInsert);
        keys.PushText(table.c_str());
        keys.PushKey(kKeyEnter);
        for (int i = 0; i < downs; ++i) keys.PushKey(kKeyDown);
        keys.PushKey(kKeyEnter);
        if (!firstValue.empty()) keys.PushText(firstValue.c_str());
        if (!name.empty()) {
            for (int i = 0; i < segments; ++i) keys.PushKey(kKeyTab);
            keys.PushText(name.c_str());
        }
        keys.PushKey(kKeyEnter);
        keys.PushKey(kKeyF10);
    }

    // Shows exactly these fields as columns, in list order, and reads the page again.
    void Show(const std::vector<std::string>& names) {
        for (int i = 0; i < viewer->fields.Count(); ++i) {
            FieldAttributes& field = *viewer->fields.Get(i);
            field.selected = false;
            for (const std::string& name : names)
                if (field.name == name.c_str()) field.selected = true;
        }
        viewer->refill();
        viewer->redrawGrid();
    }

    // The trimmed text of each selected column of page row i, by field name.
    std::map<std::string, std::string> Cells(int i) {
        std::map<std::string, std::string> cells;
        const std::string text = viewer->row(i).text.ToStdString();
        size_t start = 0;
        for (int f = 0; f < viewer->fields.Count(); ++f) {
            const FieldAttributes& field = *viewer->fields.Get(f);
            if (!field.selected) continue;
            const size_t width = static_cast<size_t>(std::abs(field.width));
            std::string cell = start < text.size() ? text.substr(start, width) : std::string();
            const size_t first = cell.find_first_not_of(' ');
            const size_t last = cell.find_last_not_of(' ');
            cells[field.name.ToStdString()] = first == std::string::npos ? "" : cell.substr(first, last - first + 1);
            start += width + 1;
        }
        return cells;
    }

    int LineNoOf(int row) { return std::atoi(Cells(row)["LineNo"].c_str()); }

    viewertest::GridDatabase database{kShopSchema};
    MemoryDisplay screen;
    viewertest::SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;

private:
    static void PutText(uint8_t* at, const std::string& text, size_t width) {
        std::string padded = text;
        padded.resize(width, ' ');
        std::memcpy(at, padded.data(), width);
    }

    template <typename Make>
    void Fill(const char* path, const char* owner, int count, Make make) {
        BtrieveFile target;
        const std::string name = *owner ? std::string(path) + "+" + owner : std::string(path);
        ASSERT_EQ(0, target.open(Estring(name.c_str())));
        std::vector<uint8_t> record(target.recordLength(), 0);
        EngineTransaction transaction;
        ASSERT_EQ(0, transaction.Begin());
        for (int i = 0; i < count; ++i) {
            std::fill(record.begin(), record.end(), 0);
            make(i, record.data());
            target.setDataLength(static_cast<uint16_t>(record.size()));
            ASSERT_EQ(0, target.insertRecord(record.data())) << path << " " << i;
        }
        ASSERT_EQ(0, transaction.Commit());
        target.close();
    }
};

}  // namespace jointest
