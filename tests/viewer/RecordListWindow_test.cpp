#include "viewer/RecordListWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ViewerTestSupport.h"
#include "base/Endian.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"

namespace {

using viewertest::EngineOrder;
using viewertest::IdOf;
using viewertest::kRecordLength;

// Rows show "<id> <group>"; the test and the range are pluggable.
class NumberList : public RecordListWindow {
public:
    NumberList(BtrieveFile* file, int keyNumber, int height = 25)
        : RecordListWindow(file, false, 0, 0, 80, height, 0x2F, "Numbers", nullptr, keyNumber) {
        autoScrollDelayMs = 0;
        gaugeIntervalMs = 0;
    }

    std::function<bool(int id)> accept;
    std::function<bool(int key)> range;
    std::function<bool(int key)> onKey;
    std::vector<int> keysSeen;

    std::vector<int> PageIds() const {
        std::vector<int> ids;
        for (int i = 0; i < rowCount(); ++i) ids.push_back(static_cast<int>(row(i).text.ToInt()));
        return ids;
    }

protected:
    void formatRow(Estring& text, int) override {
        text = Estring::Format("%6d %3d", IdOf(recordBuffer.get()), static_cast<int>(le::GetU32(recordBuffer.get() + 4)));
    }
    bool acceptRecord() override { return !accept || accept(IdOf(recordBuffer.get())); }
    bool inRange(const uint8_t* key) override { return !range || range(static_cast<int>(le::GetU32(key))); }
    bool handleKey(int key) override {
        keysSeen.push_back(key);
        if (onKey && onKey(key)) return true;
        return RecordListWindow::handleKey(key);
    }
};

class RecordListWindowTest : public ::testing::Test {
protected:
    RecordListWindowTest() : screen(80, 25) {
        viewertest::UseRealEngine();
    }

    void Make(int count) {
        path = dir / "numbers.dat";
        ASSERT_EQ(0, viewertest::CreateNumberedFile(path, count));
        ASSERT_EQ(0, file.open(Estring(path.c_str())));
    }

    // Presses key once and returns what run() returned (the script then runs dry: Esc).
    int Press(NumberList& list, int key) {
        keys.PushKey(key);
        return list.run(nullptr);
    }

    static std::vector<int> Slice(const std::vector<int>& all, size_t from, size_t n) {
        std::vector<int> out;
        for (size_t i = from; i < all.size() && i < from + n; ++i) out.push_back(all[i]);
        return out;
    }

    viewertest::ScratchDir dir;
    std::string path;
    BtrieveFile file;
    MemoryDisplay screen;
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
};

TEST_F(RecordListWindowTest, PagingForwardAndBackOverAThousandRecordsInEveryOrder) {
    Make(1000);
    for (int keyNumber : {0, 1, -1}) {
        SCOPED_TRACE("key " + std::to_string(keyNumber));
        BtrieveFile reader;
        ASSERT_EQ(0, reader.open(Estring(path.c_str())));
        const std::vector<int> all = EngineOrder(reader, keyNumber);
        ASSERT_EQ(1000u, all.size());
        NumberList list(&file, keyNumber);
        const size_t page = static_cast<size_t>(list.pageRowCount());
        ASSERT_EQ(23u, page);
        EXPECT_EQ(27, list.run(nullptr));
        EXPECT_EQ(Slice(all, 0, page), list.PageIds());

        size_t top = 0;
        while (top + page < all.size()) {
            Press(list, kKeyPageDown);
            top += page;
            ASSERT_EQ(Slice(all, top, page), list.PageIds()) << "page down to " << top;
        }
        EXPECT_EQ(all.size() - top, static_cast<size_t>(list.rowCount()));
        // Past the end: the page is not full, so only the cursor moves.
        Press(list, kKeyPageDown);
        EXPECT_EQ(Slice(all, top, page), list.PageIds());
        EXPECT_EQ(list.rowCount() - 1, list.cursorRow());

        while (top > 0) {
            Press(list, kKeyPageUp);
            top = top >= page ? top - page : 0;
            ASSERT_EQ(Slice(all, top, page), list.PageIds()) << "page up to " << top;
        }
        Press(list, kKeyEnd);
        EXPECT_EQ(Slice(all, all.size() - page, page), list.PageIds());
        EXPECT_EQ(static_cast<int>(page) - 1, list.cursorRow());
        // From the last page back: the first Page Up that reaches the start stops there.
        top = all.size() - page;
        while (top > 0) {
            Press(list, kKeyPageUp);
            top = top >= page ? top - page : 0;
            ASSERT_EQ(Slice(all, top, page), list.PageIds()) << "page up to " << top;
        }
        Press(list, kKeyPageUp);
        EXPECT_EQ(Slice(all, 0, page), list.PageIds());
        EXPECT_EQ(0, list.cursorRow());
        // Up on the first record of the view changes nothing.
        Press(list, kKeyUp);
        EXPECT_EQ(Slice(all, 0, page), list.PageIds());
    }
}

TEST_F(RecordListWindowTest, LineScrollingMovesOneRecordAndScrollsTheScreen) {
    Make(100);
    const std::vector<int> all = EngineOrder(file, 0);
    NumberList list(&file, 0);
    list.run(nullptr);
    for (int i = 0; i < 22; ++i) keys.PushKey(kKeyDown);
    list.run(nullptr);
    EXPECT_EQ(22, list.cursorRow());
    EXPECT_EQ(Slice(all, 0, 23), list.PageIds());
    for (int i = 0; i < 3; ++i) keys.PushKey(kKeyDown);
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 3, 23), list.PageIds());
    // The screen follows the rows: line 1 of the window shows row 0.
    EXPECT_EQ("     3   1", screen.RowText(1).substr(1, 10));
    EXPECT_EQ("    25   5", screen.RowText(23).substr(1, 10));
    for (int i = 0; i < 22 + 2; ++i) keys.PushKey(kKeyUp);
    list.run(nullptr);
    EXPECT_EQ(0, list.cursorRow());
    EXPECT_EQ(Slice(all, 1, 23), list.PageIds());
    EXPECT_EQ("     1   7", screen.RowText(1).substr(1, 10));
}

TEST_F(RecordListWindowTest, PageNotFullMovesOnlyTheCursor) {
    Make(5);
    const std::vector<int> all = EngineOrder(file, 0);
    NumberList list(&file, 0);
    list.run(nullptr);
    ASSERT_EQ(all, list.PageIds());
    const struct {
        int key;
        int cursor;
    } steps[] = {{kKeyPageDown, 4}, {kKeyUp, 3}, {kKeyEnd, 4}, {kKeyPageUp, 0}, {kKeyDown, 1},
                 {kKeyHome, 0},     {kKeyEnd, 4}, {kKeyDown, 4}, {kKeyHome, 0}};
    for (const auto& s : steps) {
        Press(list, s.key);
        EXPECT_EQ(s.cursor, list.cursorRow()) << "after key " << s.key;
        EXPECT_EQ(all, list.PageIds()) << "after key " << s.key;
    }
}

TEST_F(RecordListWindowTest, EmptyViewEndsRunAfterHandleKeyUnlessTheKeyFillsIt) {
    Make(0);
    NumberList list(&file, 0);
    EXPECT_EQ(0, Press(list, 'x'));  // not taken: the caller runs again
    EXPECT_EQ(13, Press(list, kKeyEnter));
    EXPECT_EQ(kKeyEnter, list.keysSeen.back());
    EXPECT_EQ(0, Press(list, kKeyPageDown));
    EXPECT_EQ(kKeyPageDown, list.keysSeen.back());
    EXPECT_EQ(0, list.rowCount());

    // Insert adds a record and refills: the loop goes on to the next key.
    list.onKey = [&](int key) {
        if (key != kKeyInsert) return false;
        uint8_t record[kRecordLength];
        viewertest::NumberedRecord(42, record);
        file.setDataLength(kRecordLength);
        EXPECT_EQ(0, file.insertRecord(record));
        list.restartAtFirst();
        return false;
    };
    keys.PushKey(kKeyInsert);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyEnter);
    uint8_t out[kRecordLength] = {};
    EXPECT_EQ(13, list.run(out));
    EXPECT_EQ((std::vector<int>{42}), list.PageIds());
    EXPECT_EQ(0, list.currentStatus);
    EXPECT_EQ(42, IdOf(out));
}

TEST_F(RecordListWindowTest, SearchingPopupShowsAMovingGaugeAndEscStopsTheSearch) {
    Make(1000);
    NumberList list(&file, 0);
    std::set<std::string> gauges;
    bool sawPopup = false;
    int tested = 0;
    list.accept = [&](int id) {
        ++tested;
        std::string line = screen.RowText(11);
        if (line.find("Searching...") != std::string::npos) sawPopup = true;
        gauges.insert(screen.RowText(12).substr(28, 24));
        if (id == 650) keys.PushKey(kKeyEsc);  // the user gives up here
        return id % 100 == 0;
    };
    // The first run shows the page: the search for it is stopped at record 650.
    EXPECT_EQ(27, list.run(nullptr));
    EXPECT_TRUE(sawPopup);
    EXPECT_GE(gauges.size(), 4u) << "the gauge did not move";
    EXPECT_EQ((std::vector<int>{0, 100, 200, 300, 400, 500, 600}), list.PageIds());
    EXPECT_LT(tested, 700);
    EXPECT_EQ(std::string::npos, viewertest::ScreenText(screen).find("Searching")) << "popup left behind";
    // Without Esc the search runs to the end of the file.
    list.accept = [](int id) { return id % 100 == 0; };
    list.restartAtFirst();
    EXPECT_EQ((std::vector<int>{0, 100, 200, 300, 400, 500, 600, 700, 800, 900}), list.PageIds());
}

// Keys typed while a search runs are the user's next commands: an Esc typed during the search stops
// it, any other key (and an Esc typed before the search began) waits for the grid, in both orders.
TEST_F(RecordListWindowTest, KeysTypedAroundASearchWaitForTheGrid) {
    Make(1000);
    const struct {
        const char* name;
        std::vector<int> before;  // typed before the run, so before the search of its first page
        bool downDuring, escDuring;
    } cases[] = {
        {"Down, Esc during", {}, true, true},
        {"Down before, Esc during", {kKeyDown}, false, true},
        {"Down, Esc before", {kKeyDown, kKeyEsc}, false, false},
        {"Esc before, Down during", {kKeyEsc}, true, false},
    };
    for (int key : {0, -1}) {
        for (const auto& c : cases) {
            const std::string name = std::string(c.name) + (key < 0 ? ", physical" : ", by key");
            NumberList list(&file, key);
            const std::vector<int> order = EngineOrder(file, key);
            size_t escIndex = 650;  // a rejected record, so that the Esc comes while the popup is up
            while (order[escIndex] % 100 == 0) ++escIndex;
            const int downAt = order[200], escAt = order[escIndex];
            list.accept = [&](int id) {
                if (c.downDuring && id == downAt) keys.PushKey(kKeyDown);
                if (c.escDuring && id == escAt) keys.PushKey(kKeyEsc);
                return id % 100 == 0;
            };
            for (int k : c.before) keys.PushKey(k);
            EXPECT_EQ(27, list.run(nullptr)) << name;
            std::vector<int> expected;
            for (size_t i = 0; i < (c.escDuring ? escIndex : order.size()); ++i)
                if (order[i] % 100 == 0) expected.push_back(order[i]);
            if (expected.size() > static_cast<size_t>(list.pageRowCount()))
                expected.resize(static_cast<size_t>(list.pageRowCount()));
            EXPECT_EQ(expected, list.PageIds()) << name;
            // "Esc before, Down during": the run ends on the Esc, and the Down still waits.
            const bool downLeft = !c.before.empty() && c.before.front() == kKeyEsc;
            EXPECT_EQ(downLeft ? 0 : 1, list.cursorRow()) << "a Down was lost or taken too soon: " << name;
            EXPECT_EQ(downLeft ? 1 : 0, keys.Remaining() + (ProcessConsole().Pending() ? 1 : 0)) << name;
            InputEvent drain{};
            while (ProcessConsole().Pending()) ProcessConsole().Read(drain, 0);
        }
    }
}

TEST_F(RecordListWindowTest, PhysicalOrderSearchHasNoGauge) {
    Make(400);
    NumberList list(&file, -1);
    std::set<std::string> gauges;
    list.accept = [&](int id) {
        gauges.insert(screen.RowText(12).substr(28, 24));
        return id == 3;
    };
    list.run(nullptr);
    EXPECT_EQ((std::vector<int>{3}), list.PageIds());
    for (const std::string& g : gauges) EXPECT_EQ(std::string::npos, g.find('\xDB')) << g;
}

// The gauge's Find Percentage counts the index in the engine: a search
// shorter than the gauge interval must not ask for it, a longer one must.
TEST_F(RecordListWindowTest, GaugeWaitsForTheIntervalBeforeAskingThePercentage) {
    Make(1000);
    auto gaugeShown = [&] {
        const std::string g = screen.RowText(12).substr(28, 24);
        return g.find('\xDB') != std::string::npos || g.find('\xB0') != std::string::npos;
    };
    struct Case {
        int intervalMs;
        int sleepEveryRecordUs;
        bool gauge;
    } cases[] = {{60000, 0, false}, {1, 300, true}};
    for (const Case& c : cases) {
        NumberList list(&file, 0);
        list.gaugeIntervalMs = c.intervalMs;
        bool sawPopup = false, sawGauge = false;
        list.accept = [&](int id) {
            if (screen.RowText(11).find("Searching...") != std::string::npos) sawPopup = true;
            if (gaugeShown()) sawGauge = true;
            if (c.sleepEveryRecordUs > 0) std::this_thread::sleep_for(std::chrono::microseconds(c.sleepEveryRecordUs));
            return id == 999;
        };
        list.restartAtFirst();
        EXPECT_EQ((std::vector<int>{999}), list.PageIds()) << c.intervalMs;
        EXPECT_TRUE(sawPopup) << c.intervalMs;
        EXPECT_EQ(c.gauge, sawGauge) << "interval " << c.intervalMs;
    }
}

TEST_F(RecordListWindowTest, DeletedTopRowMakesRefillStartAtTheFirstRecord) {
    Make(100);
    const std::vector<int> all = EngineOrder(file, 0);
    NumberList list(&file, 0);
    Press(list, kKeyPageDown);
    ASSERT_EQ(Slice(all, 23, 23), list.PageIds());
    BtrieveFile other;
    ASSERT_EQ(0, other.open(Estring(path.c_str())));
    uint8_t key[256] = {};
    uint8_t record[kRecordLength];
    le::PutU32(key, 23);
    other.setDataLength(kRecordLength);
    ASSERT_EQ(0, other.getEqual(key, record, 0));
    ASSERT_EQ(0, other.deleteRecord(0));
    list.refill();
    EXPECT_EQ(Slice(all, 0, 23), list.PageIds());
    // A record that no longer passes the test does the same.
    Press(list, kKeyPageDown);
    list.accept = [](int id) { return id != 24; };
    list.refill();
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), Slice(list.PageIds(), 0, 5));
}

TEST_F(RecordListWindowTest, RangeLimitsTheViewAndAnEmptyRangeGivesAnEmptyView) {
    Make(300);
    NumberList list(&file, 0);
    le::PutU32(list.rangeFrom, 100);
    le::PutU32(list.rangeTo, 149);
    list.rangeActive = 1;
    list.range = [](int key) { return key >= 100 && key <= 149; };
    list.restartAtFirst();
    EXPECT_EQ(100, list.PageIds().front());
    Press(list, kKeyEnd);
    EXPECT_EQ(149, list.PageIds().back());
    EXPECT_EQ(127, list.PageIds().front());
    Press(list, kKeyPageDown);  // nothing after 149 is in range
    EXPECT_EQ(149, list.PageIds().back());
    EXPECT_EQ(23, list.rowCount());

    le::PutU32(list.rangeFrom, 2000);
    le::PutU32(list.rangeTo, 3000);
    list.range = [](int key) { return key >= 2000; };
    EXPECT_EQ(9, list.firstInView());
    list.restartAtFirst();
    EXPECT_EQ(0, list.rowCount());
}

TEST_F(RecordListWindowTest, SeekToAndTheGoToSearches) {
    Make(300);
    NumberList list(&file, 0);
    list.run(nullptr);
    int32_t value = 250;
    list.accept = [](int id) { return id % 2 == 1; };
    ASSERT_TRUE(list.seekTo(&value, 4));
    EXPECT_EQ((std::vector<int>{251, 253, 255}), Slice(list.PageIds(), 0, 3));
    value = 299;
    EXPECT_TRUE(list.seekTo(&value, 4));
    EXPECT_FALSE((value = 300, list.seekTo(&value, 4)));
    const struct {
        int op;
        int from;
        int expect;
    } searches[] = {{8, 101, 103}, {9, 101, 101}, {10, 101, 99}, {11, 101, 101}, {9, 100, 101}, {11, 100, 99}};
    for (const auto& s : searches) {
        le::PutU32(list.keyBuffer, static_cast<uint32_t>(s.from));
        int status = s.op == 8 ? list.greaterInView()
                     : s.op == 9 ? list.greaterOrEqualInView()
                     : s.op == 10 ? list.lessInView()
                                  : list.lessOrEqualInView();
        ASSERT_EQ(0, status) << s.op << " from " << s.from;
        EXPECT_EQ(s.expect, IdOf(list.recordBuffer.get())) << s.op << " from " << s.from;
    }
}

TEST_F(RecordListWindowTest, MousePressDragAndDoubleClick) {
    Make(100);
    const std::vector<int> all = EngineOrder(file, 0);
    NumberList list(&file, 0);
    keys.PushMouse(kEventLeftPress, 10, 4);  // window line 4 = row 3
    list.run(nullptr);
    EXPECT_EQ(3, list.cursorRow());
    keys.PushMouse(kEventLeftPress, 10, 24);  // the line just below a full page: scrolls down to the end
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 77, 23), list.PageIds());
    EXPECT_EQ(22, list.cursorRow());
    keys.PushMouse(kEventLeftDrag, 10, 0);  // above the first row: back to the start
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 0, 23), list.PageIds());
    EXPECT_EQ(0, list.cursorRow());
    keys.PushMouse(kEventDoubleClick, 10, 6);
    uint8_t out[kRecordLength] = {};
    EXPECT_EQ(13, list.run(out));
    EXPECT_EQ(5, list.cursorRow());
    EXPECT_EQ(all[5], IdOf(out));
    keys.PushMouse(kEventLeftPress, 10, 24);  // no auto-scroll while input is waiting
    keys.PushKey(kKeyEnter);
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 0, 23), list.PageIds());
    EXPECT_EQ(22, list.cursorRow());
}

TEST_F(RecordListWindowTest, WheelMovesThreeLinesAStep) {
    Make(100);
    const std::vector<int> all = EngineOrder(file, 0);
    NumberList list(&file, 0);
    keys.PushMouse(kEventWheelDown, 10, 5);
    keys.PushMouse(kEventWheelDown, 10, 5);
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 6, 23), list.PageIds());
    EXPECT_EQ(0, list.cursorRow());
    keys.PushMouse(kEventWheelUp, 10, 5);
    keys.PushMouse(kEventWheelUp, 10, 5);
    keys.PushMouse(kEventWheelUp, 10, 5);  // two lines left to scroll, then the cursor stays on row 0
    list.run(nullptr);
    EXPECT_EQ(Slice(all, 0, 23), list.PageIds());
    EXPECT_EQ(0, list.cursorRow());
    // A page that is not full: the cursor moves instead.
    NumberList small(&file, 0);
    small.accept = [](int id) { return id < 5; };
    small.restartAtFirst();
    keys.PushMouse(kEventWheelDown, 10, 5);
    small.run(nullptr);
    EXPECT_EQ(3, small.cursorRow());
    keys.PushMouse(kEventWheelDown, 10, 5);
    small.run(nullptr);
    EXPECT_EQ(4, small.cursorRow());
}

TEST_F(RecordListWindowTest, CloseRequestedEndsRunWithEsc) {
    Make(10);
    NumberList list(&file, 0);
    list.closeRequested = 1;
    keys.PushKey(kKeyEnter);
    EXPECT_EQ(27, list.run(nullptr));
    EXPECT_EQ(1, keys.Remaining());
}

TEST_F(RecordListWindowTest, RunReReadsTheCursorRecordAndKeepsItsStatus) {
    Make(10);
    NumberList list(&file, 0);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyDown);
    uint8_t out[kRecordLength] = {};
    EXPECT_EQ(27, list.run(out));
    EXPECT_EQ(0, list.currentStatus);
    EXPECT_EQ(2, IdOf(out));
    // Deleted meanwhile: the status says so and the caller's buffer is left alone.
    BtrieveFile other;
    ASSERT_EQ(0, other.open(Estring(path.c_str())));
    uint8_t key[256] = {};
    uint8_t record[kRecordLength];
    le::PutU32(key, 2);
    other.setDataLength(kRecordLength);
    ASSERT_EQ(0, other.getEqual(key, record, 0));
    ASSERT_EQ(0, other.deleteRecord(0));
    std::memset(out, 0xAA, sizeof out);
    list.run(out);
    EXPECT_NE(0, list.currentStatus);
    EXPECT_EQ(0xAA, out[0]);
}

TEST_F(RecordListWindowTest, VariableLengthFileGetsTheLargeBuffer) {
    std::vector<uint8_t> spec = viewertest::NumberedSpecification();
    le::PutU16(&spec[10], 0x0001);
    path = dir / "var.dat";
    ASSERT_EQ(0, BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), Estring(path.c_str()), true));
    ASSERT_EQ(0, file.open(Estring(path.c_str())));
    NumberList list(&file, 0);
    EXPECT_EQ(32768u, list.recordBufferSize);
    EXPECT_EQ(1, list.variableLength);
}

}  // namespace
