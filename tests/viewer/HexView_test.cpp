#include "viewer/HexView.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "ViewerFixture.h"
#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"

namespace {

using viewertest::ScreenCells;

std::vector<uint8_t> Counting(int n) {
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(0x10));
    return bytes;
}

TEST(HexEditorTest, NibblesSetHighThenLowAndMoveOn) {
    std::vector<uint8_t> bytes = Counting(20);
    HexEditor editor(bytes.data(), 20, 5);
    EXPECT_EQ(HexEditor::Action::kStay, editor.Key('a'));
    EXPECT_EQ(0xA0, bytes[0]);
    editor.Key('B');
    EXPECT_EQ(0xAB, bytes[0]);
    EXPECT_EQ(1, editor.CursorByte());
    EXPECT_EQ(0, editor.pos % 2);
    editor.Key('0');
    EXPECT_EQ(0x01, bytes[1]);
    EXPECT_TRUE(editor.modified);
    EXPECT_EQ(HexEditor::HexColumn(1) + 1, editor.CursorColumn());
}

TEST(HexEditorTest, KeysThatAreNotHexDigitsChangeNothingInHexMode) {
    std::vector<uint8_t> bytes = Counting(20);
    const std::vector<uint8_t> before = bytes;
    HexEditor editor(bytes.data(), 20, 5);
    for (int key : {int('G'), int('g'), int('z'), int(' '), int('-'), kKeyInsert, kKeyDelete, kKeyBackspace}) editor.Key(key);
    EXPECT_EQ(before, bytes);
    EXPECT_FALSE(editor.modified);
    EXPECT_EQ(0, editor.CursorByte());
}

TEST(HexEditorTest, TextModeReplacesWholeBytes) {
    std::vector<uint8_t> bytes = Counting(20);
    HexEditor editor(bytes.data(), 20, 5);
    editor.Key(kKeyRight);
    editor.Key(kKeyRight);  // byte 1, high nibble
    editor.Key(kKeyTab);
    EXPECT_TRUE(editor.textMode);
    EXPECT_EQ(1, editor.CursorByte());
    EXPECT_EQ(HexEditor::TextColumn(1), editor.CursorColumn());
    editor.Key('G');
    editor.Key('h');
    EXPECT_EQ('G', bytes[1]);
    EXPECT_EQ('h', bytes[2]);
    EXPECT_EQ(0x10, bytes[0]);
    EXPECT_EQ(0x13, bytes[3]);
    editor.Key(kKeyTab);  // back to hex on the same byte, high nibble
    EXPECT_FALSE(editor.textMode);
    EXPECT_EQ(3, editor.CursorByte());
    EXPECT_EQ(6, editor.pos);
}

// Every key leaves the cursor on a byte that exists.
TEST(HexEditorTest, TheCursorStaysInsideTheBytes) {
    struct Case {
        std::vector<int> keys;
        bool textMode;
        int byte;
    } cases[] = {
        {{kKeyCtrlEnd}, false, 19},
        {{kKeyCtrlEnd, kKeyEnd}, false, 19},
        {{kKeyDown, kKeyEnd}, false, 19},
        {{kKeyDown, kKeyDown, kKeyDown}, false, 16},
        {{kKeyPageDown}, false, 16},
        {{kKeyPageDown, kKeyPageDown, kKeyPageUp}, false, 0},
        {{kKeyEnd, kKeyRight}, false, 16},
        {{kKeyCtrlEnd, kKeyRight, kKeyRight}, false, 19},
        {{kKeyLeft}, false, 0},
        {{kKeyDown, kKeyHome, kKeyLeft}, false, 15},
        {{kKeyTab, kKeyCtrlEnd}, true, 19},
        {{kKeyTab, kKeyEnd, kKeyDown}, true, 19},
        {{kKeyTab, kKeyCtrlEnd, 'x', 'y'}, true, 19},
        {{kKeyCtrlEnd, kKeyCtrlHome}, false, 0},
        {{kKeyCtrlEnd, 'f', 'f', 'f'}, false, 19},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = Counting(20);
        HexEditor editor(bytes.data(), 20, 1);
        for (int key : c.keys) {
            editor.Key(key);
            EXPECT_LT(editor.CursorByte(), 20);
            EXPECT_GE(editor.top, 0);
            EXPECT_LE(editor.top, editor.line);
            EXPECT_LT(editor.line, editor.top + 1);
        }
        EXPECT_EQ(c.textMode, editor.textMode);
        EXPECT_EQ(c.byte, editor.CursorByte()) << "after " << c.keys.size() << " keys, first " << c.keys[0];
    }
}

TEST(HexEditorTest, UpStopsOnTheFirstLine) {
    std::vector<uint8_t> bytes = Counting(40);
    HexEditor editor(bytes.data(), 40, 2);
    editor.Key(kKeyDown);
    editor.Key(kKeyRight);
    editor.Key(kKeyRight);  // line 1, byte 17
    editor.Key(kKeyUp);
    EXPECT_EQ(0, editor.line);
    EXPECT_EQ(1, editor.CursorByte());  // the same place in the line
    editor.Key(kKeyUp);
    EXPECT_EQ(0, editor.line);
    EXPECT_EQ(0, editor.top);
    EXPECT_EQ(1, editor.CursorByte());
}

// 100 bytes are 7 lines, 3 of them shown: a page moves the cursor and the
// first line shown together, and the last page ends with the last line.
TEST(HexEditorTest, PagesMoveTheCursorAndTheFirstLineShown) {
    struct Step {
        int key;
        int top;
        int line;
    } steps[] = {
        {kKeyDown, 0, 1},    {kKeyPageDown, 3, 4}, {kKeyPageUp, 0, 1},
        {kKeyPageDown, 3, 4}, {kKeyPageDown, 4, 6}, {kKeyPageUp, 1, 3},
        {kKeyPageUp, 0, 0},   {kKeyPageUp, 0, 0},
    };
    std::vector<uint8_t> bytes = Counting(100);
    HexEditor editor(bytes.data(), 100, 3);
    EXPECT_EQ(7, editor.Lines());
    int n = 0;
    for (const Step& step : steps) {
        editor.Key(step.key);
        ++n;
        EXPECT_EQ(step.top, editor.top) << "step " << n;
        EXPECT_EQ(step.line, editor.line) << "step " << n;
    }
}

TEST(HexEditorTest, TypingAtTheLastByteDoesNotWriteBeyondIt) {
    std::vector<uint8_t> bytes = Counting(21);
    HexEditor editor(bytes.data(), 20, 2);
    editor.Key(kKeyCtrlEnd);
    for (char c : std::string("0123456789")) editor.Key(c);
    EXPECT_EQ(0x10 + 20, bytes[20]);
    editor.Key(kKeyTab);
    for (char c : std::string("abcdef")) editor.Key(c);
    EXPECT_EQ('f', bytes[19]);
    EXPECT_EQ(0x10 + 20, bytes[20]);
}

TEST(HexEditorTest, NoBytesIsHarmless) {
    uint8_t none = 0x5A;
    HexEditor editor(&none, 0, 3);
    for (int key : {kKeyCtrlEnd, kKeyEnd, kKeyDown, kKeyRight, kKeyPageDown, int('a'), kKeyTab, int('b')})
        editor.Key(key);
    EXPECT_EQ(0x5A, none);
    EXPECT_EQ(0, editor.CursorByte());
    EXPECT_EQ(0, editor.Lines());
    EXPECT_EQ("", std::string(editor.LineText(0).Text()));
}

TEST(HexEditorTest, LinesShowOffsetHexAndCharacters) {
    std::vector<uint8_t> bytes(20, 0);
    bytes[0] = 'A';
    bytes[16] = 0xFF;
    bytes[19] = 'z';
    HexEditor editor(bytes.data(), 20, 2);
    EXPECT_EQ(2, editor.Lines());
    const std::string first = editor.LineText(0).Text();
    EXPECT_EQ("0000: 41 00 00 00  00", first.substr(0, 21));
    EXPECT_EQ(74u, first.size());
    EXPECT_EQ("A...............", first.substr(58));
    const std::string second = editor.LineText(1).Text();
    EXPECT_EQ("0010: FF 00 00 7A", second.substr(0, 17));
    EXPECT_EQ(std::string(1, char(0xFF)) + "..z", second.substr(58));
    EXPECT_EQ("", std::string(editor.LineText(2).Text()));
}

TEST(HexEditorTest, EscAsksOnlyAfterAChangeAndRestorePutsTheBytesBack) {
    std::vector<uint8_t> bytes = Counting(20);
    const std::vector<uint8_t> before = bytes;
    HexEditor editor(bytes.data(), 20, 2);
    EXPECT_EQ(HexEditor::Action::kEnd, editor.Key(kKeyEsc));
    editor.Key('9');
    EXPECT_EQ(HexEditor::Action::kAskToEnd, editor.Key(kKeyEsc));
    EXPECT_EQ(HexEditor::Action::kEnd, editor.Key(kKeyF10));
    editor.Restore();
    EXPECT_EQ(before, bytes);
    EXPECT_FALSE(editor.modified);
}

class HexViewTest : public ::testing::Test {
protected:
    HexViewTest() : screen(80, 25) {
        for (int y = 0; y < 25; ++y) {
            uint8_t chars[80], attrs[80];
            for (int x = 0; x < 80; ++x) {
                chars[x] = static_cast<uint8_t>('A' + (x * 3 + y) % 26);
                attrs[x] = static_cast<uint8_t>(x ^ y);
            }
            screen.WriteChars(0, y, chars, 80);
            screen.WriteAttributes(0, y, attrs, 80);
        }
        before = ScreenCells(screen);
    }

    MemoryDisplay screen;
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
    std::string before;
};

// Outside the record view Esc after a change asks: OK keeps, Discard puts the
// bytes back, Cancel goes on editing; each way the screen comes back as it was.
TEST_F(HexViewTest, EscAsksAndEveryAnswerGivesTheScreenBack) {
    struct Case {
        std::vector<int> keys;
        bool kept;
        uint8_t first;
    } cases[] = {
        {{'7', kKeyEsc, kKeyEnter}, true, 0x70},
        {{'7', kKeyEsc, kKeyTab, kKeyEnter}, false, 0x10},
        {{'7', kKeyEsc, kKeyEsc, '8', kKeyF10}, true, 0x78},
        {{kKeyEsc}, false, 0x10},
        {{kKeyTab, 'Q', kKeyF10}, true, 'Q'},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = Counting(20);
        for (int key : c.keys) keys.PushKey(key);
        EXPECT_EQ(c.kept, hexView(bytes.data(), 20, "Hex View", false));
        EXPECT_EQ(c.first, bytes[0]);
        EXPECT_EQ(0x11, bytes[1]);
        EXPECT_EQ(0, keys.Remaining());
        EXPECT_EQ(before, ScreenCells(screen));
    }
}

// Inside the record view the record view asks: Esc ends at once, the change kept.
TEST_F(HexViewTest, InsideTheRecordViewEscEndsWithoutAsking) {
    std::vector<uint8_t> bytes = Counting(4);
    keys.PushKey('c');
    keys.PushKey(kKeyEsc);
    EXPECT_TRUE(hexView(bytes.data(), 4, "Qty", true));
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ(0xC0, bytes[0]);
    EXPECT_EQ(before, ScreenCells(screen));
}

TEST_F(HexViewTest, TwentyBytesShowTwoLinesUnderTheTitle) {
    std::vector<uint8_t> bytes = Counting(20);
    std::string shown;
    struct Peek : ScriptedInput {
        MemoryDisplay* screen;
        std::string* shown;
        void Read(InputEvent& event, int timeoutMs) override {
            if (timeoutMs < 0 && shown->empty()) *shown = viewertest::ScreenText(*screen);
            ScriptedInput::Read(event, timeoutMs);
        }
    } peek;
    peek.screen = &screen;
    peek.shown = &shown;
    peek.PushKey(kKeyCtrlEnd);
    peek.PushKey(kKeyF10);
    InstallConsole(&screen, &peek);
    EXPECT_FALSE(hexView(bytes.data(), 20, "Hex View", false));
    EXPECT_NE(std::string::npos, shown.find(" Hex View ")) << shown;
    EXPECT_NE(std::string::npos, shown.find("0000: 10 11 12 13  14")) << shown;
    EXPECT_NE(std::string::npos, shown.find("0010: 20 21 22 23")) << shown;
    EXPECT_EQ(std::string::npos, shown.find("0020:")) << shown;
    EXPECT_EQ(before, ScreenCells(screen));
}

// After Ctrl-End on 20 bytes the screen cursor is on the low nibble of byte
// 19 and that byte's character, in the other area, is highlighted alone.
TEST_F(HexViewTest, CtrlEndPutsTheScreenCursorOnTheLastByte) {
    struct Shot : ScriptedInput {
        MemoryDisplay* screen;
        std::vector<std::string> cells;
        std::vector<std::pair<int, int>> cursors;
        void Read(InputEvent& event, int timeoutMs) override {
            if (timeoutMs < 0) {
                cells.push_back(ScreenCells(*screen));
                cursors.emplace_back(screen->CursorX(), screen->CursorY());
            }
            ScriptedInput::Read(event, timeoutMs);
        }
    } shot;
    shot.screen = &screen;
    for (int key : {kKeyCtrlEnd, kKeyTab, kKeyF10}) shot.PushKey(key);
    InstallConsole(&screen, &shot);
    std::vector<uint8_t> bytes = Counting(20);
    EXPECT_FALSE(hexView(bytes.data(), 20, "Hex View", false));
    ASSERT_EQ(3u, shot.cells.size());
    // The window is 76 wide, centred, from line 4: its lines start at column 3, line 5.
    constexpr int kLeft = 3, kTop = 5;
    auto attr = [](const std::string& cells, int x, int y) {
        return static_cast<uint8_t>(cells[static_cast<size_t>((y * 80 + x) * 2 + 1)]);
    };
    const int y = kTop + 1;
    const int hex = kLeft + HexEditor::HexColumn(3), text = kLeft + HexEditor::TextColumn(3);
    // Hex mode: the cursor on the "3" of "23", the "#" highlighted.
    EXPECT_EQ(std::make_pair(hex + 1, y), shot.cursors[1]);
    EXPECT_EQ(0x3E, attr(shot.cells[1], text, y));
    for (int x = kLeft; x < kLeft + 74; ++x) {
        if (x == text) continue;
        EXPECT_EQ(0x3F, attr(shot.cells[1], x, y)) << x;
    }
    for (int x = kLeft; x < kLeft + 74; ++x) EXPECT_EQ(0x3F, attr(shot.cells[1], x, kTop)) << x;
    // Text mode on the same byte: the two hex digits highlighted instead.
    EXPECT_EQ(std::make_pair(text, y), shot.cursors[2]);
    EXPECT_EQ(0x3E, attr(shot.cells[2], hex, y));
    EXPECT_EQ(0x3E, attr(shot.cells[2], hex + 1, y));
    EXPECT_EQ(0x3F, attr(shot.cells[2], hex + 2, y));
    EXPECT_EQ(0x3F, attr(shot.cells[2], text, y));
    EXPECT_EQ(before, ScreenCells(screen));
}

// Alt-H on the grid: the changed byte is written back to the file with
// Update; an Update the engine refuses is reported and writes nothing.
class HexOfRecordTest : public viewertest::ViewerFixture {
protected:
    std::vector<std::string> Stored() {
        BtrieveFile reader;
        EXPECT_EQ(0, reader.open("items.dat"));
        return viewertest::EngineRecords(reader);
    }
};

// Items: Id 4 bytes, Name 30 (index 1, not modifiable), Price 5, Remark 40 at offset 39.
constexpr int kRemarkOffset = 39;

TEST_F(HexOfRecordTest, AltHWritesTheChangedByteToTheFile) {
    OpenItems(3);
    const std::vector<std::string> before = Stored();
    ASSERT_EQ(3u, before.size());
    keys.PushKey(kKeyAltH);
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyDown);
    keys.PushKey(kKeyDown);  // bytes 32 ..
    for (int i = 32; i < kRemarkOffset; ++i) keys.PushKey(kKeyRight);
    keys.PushKey('J');
    keys.PushKey(kKeyF10);
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw(" Hex View "));
    const std::vector<std::string> now = Stored();
    ASSERT_EQ(3u, now.size());
    std::string expected = before[0];
    expected[kRemarkOffset] = 'J';
    EXPECT_EQ(expected, now[0]);
    EXPECT_EQ(before[1], now[1]);
    EXPECT_EQ(before[2], now[2]);
}

TEST_F(HexOfRecordTest, ARefusedUpdateIsReportedAndWritesNothing) {
    OpenItems(2);
    const std::vector<std::string> before = Stored();
    keys.PushKey(kKeyAltH);
    keys.PushKey(kKeyTab);
    for (int i = 0; i < 4; ++i) keys.PushKey(kKeyRight);  // the Name's first byte: a key not modifiable
    keys.PushKey('J');
    keys.PushKey(kKeyF10);
    keys.PushKey(kKeyEnter);  // OK on the message
    EXPECT_TRUE(RunScript());
    EXPECT_TRUE(keys.Saw("updating record"));
    EXPECT_TRUE(keys.Saw("Modifiable Key Value Error"));
    EXPECT_EQ(before, Stored());
    // The grid shows the record as stored, not the refused bytes.
    EXPECT_NE(std::string::npos, viewertest::ScreenText(screen).find("Item 0"));
    EXPECT_EQ(std::string::npos, viewertest::ScreenText(screen).find("Jtem 0"));
}

}  // namespace
