#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/DictionaryPrompt.h"
#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"

TEST(CommandLine, OptionsAndFileArgument) {
    struct Case {
        std::vector<const char*> args;
        const char* file;
        const char* path;
    };
    const Case cases[] = {
        {{"-d", "/data/ddf", "orders"}, "orders", "/data/ddf"},
        {{"/d", "ddf"}, "", "ddf"},
        {{"-dx", "ddf", "a"}, "a", "ddf"},
        {{"/x", "orders"}, "orders", ""},
        {{"-D", "orders"}, "orders", ""},
        {{"first", "second"}, "second", ""},
        {{"orders", "-d"}, "orders", ""},
        {{"-"}, "", ""},
        {{"caf\xC3\xA9"}, "caf\x82", ""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"quarrydex"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(std::string(c.file), line.fileArgument.ToStdString()) << c.args.size();
        EXPECT_EQ(std::string(c.path), line.dictionaryPath.ToStdString()) << c.args.size();
    }
}

TEST(DictionaryPrompt, ShowsStatusAndPathAndAnswersByKey) {
    MemoryDisplay screen(80, 25);
    ScriptedInput keys;
    InstallConsole(&screen, &keys);
    const std::vector<Cell> before = screen.Cells();
    Estring path = "/nonexistent";
    keys.PushKey(1059);  // F1 means nothing here: the prompt stays
    keys.PushKey(27);
    EXPECT_FALSE(AskDictionaryPath(12, path));
    EXPECT_EQ("/nonexistent", path.ToStdString()) << "Esc leaves the path";
    EXPECT_EQ(before, screen.Cells());

    keys.PushText("/srv/ddf");
    keys.PushKey(13);
    EXPECT_TRUE(AskDictionaryPath(12, path));
    EXPECT_EQ("/srv/ddf", path.ToStdString()) << "the first key replaced the path";
    InstallConsole(nullptr, nullptr);
}

TEST(DictionaryPrompt, Layout) {
    // A display that keeps what was shown at the first read.
    struct Peek : InputSource {
        MemoryDisplay* screen = nullptr;
        std::vector<Cell> seen;
        void Read(InputEvent& e, int) override {
            if (seen.empty()) seen = screen->Cells();
            e = InputEvent{kEventKey, 27, 0, 0};
        }
        bool Pending() override { return false; }
    } peek;
    MemoryDisplay screen(80, 25);
    peek.screen = &screen;
    InstallConsole(&screen, &peek);
    Estring path = "/nonexistent";
    AskDictionaryPath(12, path);
    InstallConsole(nullptr, nullptr);
    auto row = [&](int y) {
        std::string out;
        for (int x = 0; x < 80; ++x) out += static_cast<char>(peek.seen[static_cast<size_t>(y * 80 + x)].ch);
        return out;
    };
    // 40 x 6 at column 20, row (25 - 6) / 4 = 4; inside from (21, 5).
    EXPECT_EQ('\xC9', row(4)[20]);
    EXPECT_EQ(static_cast<size_t>(21 + (38 - 30) / 2), row(5).find("Error opening dictionary files"));
    EXPECT_NE(std::string::npos, row(6).find("12: "));
    EXPECT_EQ(22u, row(8).find("Enter Path:"));
    EXPECT_EQ(34u, row(8).find("/nonexistent"));
    EXPECT_EQ(0x4F, peek.seen[5 * 80 + 30].attr);
}
