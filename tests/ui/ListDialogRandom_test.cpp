// Dialogs of random list boxes, sizes and places, driven by random keys,
// clicks and wheel steps, must leave the screen exactly as they found it,
// search popups included; file dialogs the same over a real directory.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "UiTestSupport.h"
#include "base/EstringStore.h"
#include "ui/Dialog.h"
#include "ui/DialogFileOpen.h"
#include "ui/KeyCodes.h"
#include "ui/ListBox.h"

namespace {

class ListDialogRandomTest : public uitest::ScreenTest {
protected:
    void PushRandomScript(std::mt19937& random, int left, int top, int width, int height) {
        static const int kKeys[] = {kKeyUp,    kKeyDown,    kKeyPageUp, kKeyPageDown, kKeyHome, kKeyEnd,
                                    kKeyAltUp, kKeyAltDown, 'i',        't',          'e',      'm',
                                    '1',       'z',         ' ',        kKeyAltA,     kKeyAltN, kKeyTab,
                                    kKeyShiftTab, kKeyF1,   kKeyEnter,  1144,         1142};
        int steps = static_cast<int>(random() % 25);
        for (int i = 0; i < steps; ++i) {
            if (random() % 3 == 0) {
                static const uint8_t kTypes[] = {kEventLeftPress,    kEventDoubleClick, kEventLeftRelease,
                                                 kEventLeftDrag,     kEventWheelUp,     kEventWheelDown,
                                                 kEventRightPress};
                uint8_t type = kTypes[random() % std::size(kTypes)];
                int x = left - 2 + static_cast<int>(random() % static_cast<unsigned>(width + 4));
                int y = top - 2 + static_cast<int>(random() % static_cast<unsigned>(height + 4));
                keys.PushMouse(type, x, y);
            } else if (random() % 2 == 0) {
                keys.PushKey("itementry"[random() % 9]);  // prefixes that the lists hold
            } else {
                keys.PushKey(kKeys[random() % std::size(kKeys)]);
            }
        }
        keys.PushTimeout();  // the loop ends here at the latest
    }
};

}  // namespace

TEST_F(ListDialogRandomTest, RandomListDialogsRestoreTheScreen) {
    std::mt19937 random(20261208);
    EstringStore lists[3];
    for (int i = 0; i < 40; ++i) lists[1].Append(Estring::Format("item %d", i));
    for (int i = 0; i < 5; ++i) lists[2].Append(Estring::Format("  Entry %c", 'A' + i));
    static const char* const kStrings[] = {"one", "two", "three", "four", "five", "six", "seven"};
    uint8_t marks[40] = {};
    for (int round = 0; round < 400; ++round) {
        const std::vector<Cell> before = screen.Cells();
        int width = 12 + static_cast<int>(random() % 60);
        int height = 5 + static_cast<int>(random() % 18);
        int left = random() % 4 == 0 ? -1 : static_cast<int>(random() % static_cast<unsigned>(80 - width + 1));
        int top = random() % 4 == 0 ? -2 : static_cast<int>(random() % static_cast<unsigned>(25 - height + 1));
        int frame = random() % 5 == 0 ? -1 : 0;
        {
            Dialog d(left, top, width, height, 0x70, frame);
            int inner = d.InnerWidth(), innerRows = d.InnerHeight();
            int boxes = 1 + static_cast<int>(random() % 3);
            std::vector<int> currents(static_cast<size_t>(boxes));
            std::vector<int> indexes;
            for (int b = 0; b < boxes; ++b) {
                int boxWidth = 1 + static_cast<int>(random() % static_cast<unsigned>(inner - 1));
                int rows = 1 + static_cast<int>(random() % static_cast<unsigned>(innerRows));
                int x = 1 + static_cast<int>(random() % static_cast<unsigned>(inner - boxWidth));
                int y = static_cast<int>(random() % static_cast<unsigned>(innerRows - rows + 1));
                int exitCode = static_cast<int>(random() % 3) - 1;
                int& current = currents[static_cast<size_t>(b)];
                current = static_cast<int>(random() % 50) - 5;
                const EstringStore& list = lists[random() % 3];
                int flags = b == 0 ? 0 : 2;
                switch (random() % 3) {
                    case 0: indexes.push_back(d.AddListBoxEstring(x, y, flags, boxWidth, rows, list, current, exitCode)); break;
                    case 1:
                        indexes.push_back(d.AddListBoxString(x, y, flags, boxWidth, rows, kStrings, 7, current, exitCode));
                        break;
                    default:
                        indexes.push_back(
                            d.AddListBoxMultiSelect(x, y, flags, boxWidth, rows, list, marks, current, exitCode));
                }
            }
            if (random() % 2 == 0) d.AddPushButton(0, innerRows - 1, 2, 77, "B");
            PushRandomScript(random, d.Left(), d.Top(), d.Width(), d.Height());
            d.Run();
            for (size_t b = 0; b < currents.size(); ++b) {
                const auto& box = static_cast<const ListBox&>(d.ControlAt(indexes[b]));
                // The caller's index always names an item of the list, or -1 for an empty one.
                int count = box.Count();
                EXPECT_TRUE(count == 0 ? currents[b] == -1 : currents[b] >= 0 && currents[b] < count)
                    << "round " << round << " box " << b << " current " << currents[b] << " of " << count;
            }
        }
        ASSERT_EQ(before, screen.Cells()) << "round " << round;
        keys.Clear();
    }
}

TEST_F(ListDialogRandomTest, RandomFileDialogsRestoreTheScreen) {
    uitest::TempTree temp;
    uitest::HomeOverride home(temp.root.c_str());
    for (const char* name : {"a.csv", "b.txt", "\xC3\xA9.csv"}) temp.File(name);
    for (const char* name : {"one", "two", "two/three"}) temp.Dir(name);
    std::mt19937 random(99);
    const std::vector<Cell> before = screen.Cells();
    for (int round = 0; round < 60; ++round) {
        {
            DialogFileOpen d(Estring(temp.Cp437()), static_cast<int>(random() % 3), random() % 2 ? "*.csv" : nullptr);
            for (int turn = 0; turn < 3; ++turn) {
                PushRandomScript(random, d.Left(), d.Top(), d.Width(), d.Height());
                int code = d.Run();
                EXPECT_TRUE(code == 0 || code == 13 || code == 27) << code;
                keys.Clear();
            }
        }
        ASSERT_EQ(before, screen.Cells()) << "round " << round;
    }
}
