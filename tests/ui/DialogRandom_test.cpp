// Random dialogs: every dialog, and every message box opened inside one,
// must leave the screen exactly as it found it, and the controls must keep
// their variables within their limits whatever the input.

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "UiTestSupport.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"

namespace {

class DialogRandomTest : public uitest::ScreenTest {};

// Opens a message box now and then before reading, and checks that it
// closes without a trace.
class NestingDialog : public Dialog {
public:
    NestingDialog(int left, int top, int width, int height, int attribute, int frame, std::mt19937& random,
                  MemoryDisplay& screen)
        : Dialog(left, top, width, height, attribute, frame), random(random), screen(screen) {}
    int nested = 0;
    bool restored = true;

protected:
    void ReadEvent() override {
        if (random() % 12 == 0) {
            const std::vector<Cell> before = screen.Cells();
            Estring text(std::string(1 + random() % 150, 'm'));
            for (int i = 0; i < text.Length(); i += 1 + static_cast<int>(random() % 9)) text[i] = ' ';
            messageBox(text, "second line", static_cast<int>(random() % 4) | (random() % 2 ? 0x10 : 0));
            ++nested;
            if (before != screen.Cells()) restored = false;
        }
        Dialog::ReadEvent();
    }

private:
    std::mt19937& random;
    MemoryDisplay& screen;
};

}  // namespace

TEST_F(DialogRandomTest, RandomDialogsRestoreTheScreenAndKeepTheirLimits) {
    std::mt19937 random(4242);
    const int keyPool[] = {kKeyTab,       kKeyShiftTab, kKeyLeft,      kKeyRight,      kKeyUp,        kKeyDown,
                           kKeyHome,      kKeyEnd,      kKeyShiftLeft, kKeyShiftRight, kKeyShiftHome, kKeyShiftEnd,
                           kKeyCtrlLeft,  kKeyCtrlRight, kKeyBackspace, kKeyDelete,    kKeyCtrlBackspace,
                           kKeyCtrlDelete, kKeyCtrlC,   kKeyCtrlX,     kKeyCtrlV,      kKeyShiftInsert, kKeyCtrlQ,
                           kKeyAltDown,   kKeySpace,    kKeyInsert,    kKeyAltA,       kKeyAltB,      kKeyAltC,
                           'a',           'Z',          '7',           '-',            0x82,          kKeyEnter};
    int nested = 0, dialogs = 0;
    for (int round = 0; round < 400; ++round) {
        const std::vector<Cell> before = screen.Cells();
        int width = 12 + static_cast<int>(random() % 68);
        int height = 4 + static_cast<int>(random() % 20);
        int left = random() % 4 == 0 ? -1 : static_cast<int>(random() % static_cast<unsigned>(81 - width));
        int top = random() % 4 == 0 ? -static_cast<int>(1 + random() % 4)
                                    : static_cast<int>(random() % static_cast<unsigned>(26 - height));
        int frame = random() % 4 == 0 ? -1 : (random() % 2 ? 0 : static_cast<int>(random() % 256));
        // Variables outlive the dialog, as the caller's do.
        std::deque<Estring> texts;
        std::deque<int> numbers;
        std::deque<bool> flags;
        std::deque<float> fractions;
        std::vector<std::pair<Estring*, int>> limits;
        {
            NestingDialog d(left, top, width, height, static_cast<int>(random() % 256), frame, random, screen);
            d.SetHotLetters("abc", 3);
            d.SetEnterAdvances(random() % 3 == 0);
            int innerW = d.InnerWidth(), innerH = d.InnerHeight();
            int count = static_cast<int>(random() % 10);
            for (int i = 0; i < count; ++i) {
                int x = static_cast<int>(random() % static_cast<unsigned>(std::max(1, innerW - 8)));
                int y = static_cast<int>(random() % static_cast<unsigned>(innerH));
                int flagsBits = static_cast<int>(random() % 3);
                switch (random() % 9) {
                    case 0: d.AddText(x, y, "Label"); break;
                    case 1: {
                        int maxLength = 1 + static_cast<int>(random() % 12);
                        texts.emplace_back(Estring(random() % 2 ? "start" : "").Left(maxLength));
                        int options = static_cast<int>(random() % 2 ? 0 : (random() % 256) & 0xA1);
                        d.AddStringField(x, y, flagsBits, texts.back(), std::min(6, innerW - x - 1), maxLength,
                                         options, random() % 3 == 0 ? static_cast<int>(random() % 10) : -1);
                        limits.emplace_back(&texts.back(), maxLength);
                        break;
                    }
                    case 2:
                        texts.emplace_back("pw");
                        d.AddPasswordField(x, y, flagsBits, texts.back(), std::min(6, innerW - x));
                        break;
                    case 3:
                        numbers.push_back(static_cast<int>(random() % 2000) - 1000);
                        d.AddIntegerField(x, y, flagsBits, numbers.back(), 5, random() % 2 == 0, -1);
                        break;
                    case 4: d.AddPushButton(x, y, flagsBits, 100 + i, "Go"); break;
                    case 5:
                        flags.push_back(false);
                        d.AddCheckBox(x, y, flagsBits, flags.back(), "Chk");
                        break;
                    case 6:
                        numbers.push_back(0);
                        d.AddRadioButton(x, y, flagsBits, numbers.back(), i, "Rad");
                        break;
                    case 7:
                        fractions.push_back(static_cast<float>(random() % 150) / 100.0f);
                        d.AddProgress(x, y, std::min(8, innerW - x), fractions.back());
                        break;
                    default: d.AddHeading("Head", static_cast<int>(random() % 6)); break;
                }
            }
            int steps = static_cast<int>(random() % 30);
            for (int s = 0; s < steps; ++s) {
                if (random() % 4 == 0) {
                    static const uint8_t types[] = {kEventLeftPress,   kEventLeftRelease, kEventLeftDrag,
                                                    kEventDoubleClick, kEventRightPress};
                    keys.PushMouse(types[random() % 5], static_cast<int>(random() % 80), static_cast<int>(random() % 25));
                } else if (random() % 20 == 0) {
                    keys.PushEvent(InputEvent{kEventPaste, 0, 0, 0, "pasted\ntext"});
                } else {
                    keys.PushKey(keyPool[random() % (sizeof keyPool / sizeof keyPool[0])]);
                }
            }
            d.Run();
            nested += d.nested;
            EXPECT_TRUE(d.restored) << "round " << round << ": a nested message box left cells behind";
            ++dialogs;
        }
        ASSERT_EQ(before, screen.Cells()) << "round " << round;
        for (auto& limit : limits) ASSERT_LE(limit.first->Length(), limit.second) << "round " << round;
        keys.Clear();
    }
    EXPECT_EQ(400, dialogs);
    EXPECT_GT(nested, 20);
    EXPECT_EQ(0, ProcessConsole().WindowOrderFaults());
    EXPECT_EQ(0, ProcessConsole().OpenWindows());
}
