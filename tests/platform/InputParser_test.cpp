#include "platform/InputParser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == 0x1B) out += "ESC ";
        else if (c < 0x20 || c >= 0x7F) out += "\\x" + std::to_string(c) + " ";
        else out += static_cast<char>(c);
    }
    return out;
}

// Feeds all bytes at time 0, settles, and returns every event.
std::vector<InputEvent> ParseAll(const std::string& bytes, InputParser::Options options = {}) {
    InputParser parser(options);
    parser.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()), 0);
    parser.Expire(0);
    std::vector<InputEvent> events;
    InputEvent event{};
    while (parser.Next(event)) events.push_back(event);
    return events;
}

std::vector<int> Keys(const std::string& bytes) {
    std::vector<int> keys;
    for (const InputEvent& event : ParseAll(bytes)) keys.push_back(event.type == kEventKey ? event.key : -event.type);
    return keys;
}

struct KeyCase {
    const char* name;
    std::string bytes;
    int code;
};

const std::string E = "\x1b";

// Every key of the resulting-codes table as xterm (and tmux) sends it.
std::vector<KeyCase> XtermCases() {
    std::vector<KeyCase> cases;
    struct Row {
        const char* name;
        std::string plain;    // without modifiers
        std::string modded;   // with modifier m: prefix + m + suffix
        std::string suffix;
        int normal, shift, ctrl, alt;
    };
    const std::vector<Row> rows = {
        {"F1", E + "OP", E + "[1;", "P", 1059, 2084, 1094, 1104},
        {"F2", E + "OQ", E + "[1;", "Q", 1060, 2085, 1095, 1105},
        {"F3", E + "OR", E + "[1;", "R", 1061, 2086, 1096, 1106},
        {"F4", E + "OS", E + "[1;", "S", 1062, 2087, 1097, 1107},
        {"F5", E + "[15~", E + "[15;", "~", 1063, 2088, 1098, 1108},
        {"F6", E + "[17~", E + "[17;", "~", 1064, 2089, 1099, 1109},
        {"F7", E + "[18~", E + "[18;", "~", 1065, 2090, 1100, 1110},
        {"F8", E + "[19~", E + "[19;", "~", 1066, 2091, 1101, 1111},
        {"F9", E + "[20~", E + "[20;", "~", 1067, 2092, 1102, 1112},
        {"F10", E + "[21~", E + "[21;", "~", 1068, 2093, 1103, 1113},
        {"F11", E + "[23~", E + "[23;", "~", 1133, 2135, 1137, 1139},
        {"F12", E + "[24~", E + "[24;", "~", 1134, 2136, 1138, 1140},
        {"Home", E + "[H", E + "[1;", "H", 1071, 2071, 1119, 1071},
        {"Up", E + "[A", E + "[1;", "A", 1072, 2072, 1141, 1152},
        {"PageUp", E + "[5~", E + "[5;", "~", 1073, 2073, 1132, 1073},
        {"Left", E + "[D", E + "[1;", "D", 1075, 2075, 1115, 1155},
        {"Right", E + "[C", E + "[1;", "C", 1077, 2077, 1116, 1157},
        {"End", E + "[F", E + "[1;", "F", 1079, 2079, 1117, 1079},
        {"Down", E + "[B", E + "[1;", "B", 1080, 2080, 1145, 1160},
        {"PageDown", E + "[6~", E + "[6;", "~", 1081, 2081, 1118, 1081},
        {"Insert", E + "[2~", E + "[2;", "~", 1082, 2082, 1146, 1082},
        {"Delete", E + "[3~", E + "[3;", "~", 1083, 2083, 1147, 1083},
    };
    for (const Row& row : rows) {
        cases.push_back({row.name, row.plain, row.normal});
        cases.push_back({row.name, row.modded + "2" + row.suffix, row.shift});
        cases.push_back({row.name, row.modded + "5" + row.suffix, row.ctrl});
        cases.push_back({row.name, row.modded + "3" + row.suffix, row.alt});
        cases.push_back({row.name, row.modded + "6" + row.suffix, row.ctrl + 1000});  // Shift-Ctrl
        // Alt wins over Ctrl; Shift still adds its 1000.
        cases.push_back({row.name, row.modded + "4" + row.suffix, row.alt + 1000});   // Shift-Alt
        cases.push_back({row.name, row.modded + "7" + row.suffix, row.alt});          // Ctrl-Alt
        cases.push_back({row.name, row.modded + "8" + row.suffix, row.alt + 1000});   // Shift-Ctrl-Alt
        cases.push_back({row.name, row.modded + "9" + row.suffix, row.alt});          // Meta
    }
    // Application cursor mode (SS3) as tmux and xterm send after smkx.
    cases.push_back({"Up (SS3)", E + "OA", 1072});
    cases.push_back({"Home (SS3)", E + "OH", 1071});
    cases.push_back({"End (SS3)", E + "OF", 1079});
    // Modifiers inside SS3, as some terminals send them.
    cases.push_back({"Shift-F1 (SS3)", E + "O2P", 2084});
    cases.push_back({"Ctrl-Up (SS3)", E + "O5A", 1141});
    cases.push_back({"Ctrl-F4 (SS3)", E + "O1;5S", 1097});
    cases.push_back({"rxvt Ctrl-F1", E + "[11^", 1094});
    cases.push_back({"rxvt Shift-Ctrl-F12", E + "[24@", 2138});
    cases.push_back({"Tab", "\t", 9});
    cases.push_back({"Shift-Tab", E + "[Z", 2015});
    cases.push_back({"Backspace", "\x7f", 8});
    cases.push_back({"Ctrl-Backspace", "\x08", 127});
    cases.push_back({"Alt-Backspace", E + "\x7f", 1014});
    cases.push_back({"Enter", "\r", 13});
    cases.push_back({"Esc", E, 27});
    cases.push_back({"Ctrl-minus", "\x1f", 31});
    cases.push_back({"tmux Home", E + "[1~", 1071});
    cases.push_back({"tmux End", E + "[4~", 1079});
    cases.push_back({"rxvt Shift-Up", E + "[a", 2072});
    cases.push_back({"rxvt Ctrl-Left", E + "Od", 1115});
    cases.push_back({"rxvt Ctrl-Delete", E + "[3^", 1147});
    cases.push_back({"rxvt Shift-Insert", E + "[2$", 2082});
    cases.push_back({"rxvt Alt-Up", E + E + "[A", 1152});
    cases.push_back({"modifyOtherKeys Alt-x", E + "[27;3;120~", 1045});
    cases.push_back({"CSI u Ctrl-a", E + "[97;5u", 1});
    cases.push_back({"Alt-Shift-Tab", E + E + "[Z", 2015});
    cases.push_back({"CSI u Alt-Tab", E + "[9;3u", 9});
    cases.push_back({"CSI u Alt-Shift-Tab", E + "[9;4u", 2015});
    cases.push_back({"CSI u Alt-Backspace", E + "[127;3u", 1014});
    cases.push_back({"CSI u Alt-Shift-Backspace", E + "[127;4u", 2014});
    cases.push_back({"CSI u Ctrl-Backspace", E + "[127;5u", 127});
    cases.push_back({"CSI u Ctrl-Alt-Backspace", E + "[127;7u", 127});
    cases.push_back({"keypad 5", E + "[E", 1076});
    return cases;
}

// The same keys as the Linux console sends them; it sends no modifiers with
// cursor keys, and its Shift-F1/Shift-F2 coincide with F11/F12.
std::vector<KeyCase> LinuxConsoleCases() {
    return {
        {"F1", E + "[[A", 1059},      {"F2", E + "[[B", 1060},      {"F3", E + "[[C", 1061},
        {"F4", E + "[[D", 1062},      {"F5", E + "[[E", 1063},      {"F6", E + "[17~", 1064},
        {"F7", E + "[18~", 1065},     {"F8", E + "[19~", 1066},     {"F9", E + "[20~", 1067},
        {"F10", E + "[21~", 1068},    {"F11", E + "[23~", 1133},    {"F12", E + "[24~", 1134},
        {"Shift-F3", E + "[25~", 2086}, {"Shift-F4", E + "[26~", 2087}, {"Shift-F5", E + "[28~", 2088},
        {"Shift-F6", E + "[29~", 2089}, {"Shift-F7", E + "[31~", 2090}, {"Shift-F8", E + "[32~", 2091},
        {"Shift-F9", E + "[33~", 2092}, {"Shift-F10", E + "[34~", 2093},
        {"Home", E + "[1~", 1071},    {"Up", E + "[A", 1072},       {"PageUp", E + "[5~", 1073},
        {"Left", E + "[D", 1075},     {"keypad 5", E + "[G", 1076}, {"Right", E + "[C", 1077},
        {"End", E + "[4~", 1079},     {"Down", E + "[B", 1080},     {"PageDown", E + "[6~", 1081},
        {"Insert", E + "[2~", 1082},  {"Delete", E + "[3~", 1083},  {"Tab", "\t", 9},
        {"Shift-Tab", E + "[Z", 2015}, {"Backspace", "\x7f", 8},    {"Alt-Backspace", E + "\x7f", 1014},
        {"Esc", E, 27},
    };
}

void ExpectCases(const std::vector<KeyCase>& cases) {
    for (const KeyCase& c : cases) {
        std::vector<int> keys = Keys(c.bytes);
        ASSERT_EQ(1u, keys.size()) << c.name << ": " << Printable(c.bytes);
        EXPECT_EQ(c.code, keys[0]) << c.name << ": " << Printable(c.bytes);
    }
}

// Byte by byte: nothing is reported before the last byte of a sequence, and
// the key is reported by that byte itself (no time-out needed) unless the
// sequence is a lone Esc.
void ExpectByteByByte(const std::vector<KeyCase>& cases) {
    for (const KeyCase& c : cases) {
        InputParser parser;
        InputEvent event{};
        for (size_t i = 0; i < c.bytes.size(); ++i) {
            ASSERT_FALSE(parser.HasEvents()) << c.name << " after byte " << i << ": " << Printable(c.bytes);
            parser.Feed(static_cast<uint8_t>(c.bytes[i]), static_cast<int64_t>(i));
        }
        if (c.bytes == E) {
            EXPECT_FALSE(parser.HasEvents());
            EXPECT_TRUE(parser.HasIncomplete());
            parser.Expire(100);
        }
        ASSERT_TRUE(parser.Next(event)) << c.name << ": " << Printable(c.bytes);
        EXPECT_EQ(c.code, event.key) << c.name << ": " << Printable(c.bytes);
        EXPECT_FALSE(parser.HasEvents()) << c.name;
        EXPECT_FALSE(parser.HasIncomplete()) << c.name;
    }
}

}  // namespace

TEST(InputParser, XtermKeysGiveTheirCodes) { ExpectCases(XtermCases()); }

TEST(InputParser, LinuxConsoleKeysGiveTheirCodes) { ExpectCases(LinuxConsoleCases()); }

TEST(InputParser, SequencesSplitByteByByte) {
    ExpectByteByByte(XtermCases());
    ExpectByteByByte(LinuxConsoleCases());
}

TEST(InputParser, BackToBackSequencesInOneRead) {
    std::string stream;
    std::vector<int> expected;
    for (const KeyCase& c : XtermCases()) {
        if (c.bytes == E) continue;  // a lone Esc needs its time-out
        stream += c.bytes;
        expected.push_back(c.code);
    }
    EXPECT_EQ(expected, Keys(stream));
}

TEST(InputParser, AltLettersAndDigits) {
    const struct {
        std::string bytes;
        int code;
    } cases[] = {
        {E + "q", 1016}, {E + "w", 1017}, {E + "e", 1018}, {E + "r", 1019}, {E + "t", 1020}, {E + "y", 1021},
        {E + "u", 1022}, {E + "i", 1023}, {E + "o", 1024}, {E + "p", 1025}, {E + "a", 1030}, {E + "s", 1031},
        {E + "d", 1032}, {E + "f", 1033}, {E + "g", 1034}, {E + "h", 1035}, {E + "j", 1036}, {E + "k", 1037},
        {E + "l", 1038}, {E + "z", 1044}, {E + "x", 1045}, {E + "c", 1046}, {E + "v", 1047}, {E + "b", 1048},
        {E + "n", 1049}, {E + "m", 1050}, {E + "1", 1002}, {E + "2", 1003}, {E + "5", 1006}, {E + "9", 1010},
        {E + "0", 1011}, {E + "-", 1012}, {E + "=", 1013}, {E + "X", 2045}, {E + "A", 2030},
        {E + "!", 2002},  // Alt-Shift-1
        {E + "\x01", 1},  // Ctrl-Alt-A keeps its character
    };
    for (const auto& c : cases) {
        std::vector<int> keys = Keys(c.bytes);
        ASSERT_EQ(1u, keys.size()) << Printable(c.bytes);
        EXPECT_EQ(c.code, keys[0]) << Printable(c.bytes);
    }
}

TEST(InputParser, EscapePrefixAmbiguities) {
    // ESC O and ESC [ with nothing after them are Alt-Shift-O and Alt-[.
    EXPECT_EQ(std::vector<int>{2024}, Keys(E + "O"));
    EXPECT_EQ(std::vector<int>{1026}, Keys(E + "["));
    // Alt-Shift-O typed just before Enter.
    EXPECT_EQ((std::vector<int>{2024, 13}), Keys(E + "O\r"));
    // Two Esc presses.
    EXPECT_EQ((std::vector<int>{27, 27}), Keys(E + E));
    // An unfinished sequence cut by the time-out is dropped; what follows is read afresh.
    InputParser parser;
    std::string partial = E + "[1;";
    parser.Feed(reinterpret_cast<const uint8_t*>(partial.data()), static_cast<int>(partial.size()), 0);
    EXPECT_TRUE(parser.HasIncomplete());
    parser.Expire(60);
    EXPECT_FALSE(parser.HasEvents());
    parser.Feed('a', 70);
    InputEvent event{};
    ASSERT_TRUE(parser.Next(event));
    EXPECT_EQ('a', event.key);
}

TEST(InputParser, LoneEscWaitsForTheTimeOut) {
    InputParser parser;
    parser.Feed(0x1B, 0);
    EXPECT_FALSE(parser.HasEvents());
    EXPECT_TRUE(parser.HasIncomplete());
    parser.Expire(50);
    InputEvent event{};
    ASSERT_TRUE(parser.Next(event));
    EXPECT_EQ(kEventKey, event.type);
    EXPECT_EQ(27, event.key);
    // Esc followed quickly by a letter is Alt with that letter instead.
    parser.Feed(0x1B, 100);
    parser.Feed('x', 110);
    ASSERT_TRUE(parser.Next(event));
    EXPECT_EQ(1045, event.key);
}

TEST(InputParser, Utf8CharactersBecomeCodePageBytes) {
    EXPECT_EQ(std::vector<int>{130}, Keys("\xc3\xa9"));         // e acute
    EXPECT_EQ(std::vector<int>{129}, Keys("\xc3\xbc"));         // u diaeresis
    EXPECT_EQ(std::vector<int>{176}, Keys("\xe2\x96\x91"));     // light shade
    EXPECT_EQ(std::vector<int>{225}, Keys("\xc3\x9f"));         // sharp s
    EXPECT_EQ((std::vector<int>{'a', 'b'}), Keys("a\xe2\x82\xac" "b"));  // euro sign: no byte, dropped
    EXPECT_EQ((std::vector<int>{'a'}), Keys("\xe2\x98\xba" "a"));        // smiley is byte 1: not a key
    // Malformed UTF-8 is dropped without swallowing the next character.
    EXPECT_EQ((std::vector<int>{'a'}), Keys("\x80" "a"));
    EXPECT_EQ((std::vector<int>{'a'}), Keys("\xc3" "a"));
    EXPECT_EQ((std::vector<int>{'a'}), Keys("\xc0\x80" "a"));             // overlong
    EXPECT_EQ((std::vector<int>{'a'}), Keys("\xed\xa0\x80" "a"));         // surrogate
    EXPECT_EQ(std::vector<int>{}, Keys("\xc3"));                          // cut off at the end
    // Split across reads.
    InputParser parser;
    parser.Feed(0xC3, 0);
    EXPECT_FALSE(parser.HasEvents());
    parser.Feed(0xA9, 1);
    InputEvent event{};
    ASSERT_TRUE(parser.Next(event));
    EXPECT_EQ(130, event.key);
}

TEST(InputParser, ControlBytes) {
    EXPECT_EQ(std::vector<int>{1}, Keys("\x01"));
    EXPECT_EQ(std::vector<int>{26}, Keys("\x1a"));
    EXPECT_EQ(std::vector<int>{3}, Keys("\x03"));  // Ctrl-C is a key, not a signal
    EXPECT_EQ(std::vector<int>{}, Keys(std::string(1, '\0')));
    // A terminal whose Backspace sends 0x08 swaps the two.
    InputParser::Options options;
    options.eraseByte = 0x08;
    std::vector<InputEvent> events = ParseAll("\x08\x7f", options);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(8, events[0].key);
    EXPECT_EQ(127, events[1].key);
}

namespace {

struct Timed {
    std::string bytes;
    int64_t ms;
};

std::vector<InputEvent> MouseEvents(const std::vector<Timed>& steps, bool mouse = true) {
    InputParser::Options options;
    options.mouse = mouse;
    InputParser parser(options);
    std::vector<InputEvent> events;
    for (const Timed& step : steps) {
        parser.Feed(reinterpret_cast<const uint8_t*>(step.bytes.data()), static_cast<int>(step.bytes.size()), step.ms);
        InputEvent event{};
        while (parser.Next(event)) events.push_back(event);
    }
    return events;
}

std::string Sgr(int button, int x, int y, bool release = false) {
    return E + "[<" + std::to_string(button) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) +
           (release ? "m" : "M");
}

}  // namespace

TEST(InputParser, MousePressDragRelease) {
    std::vector<InputEvent> events = MouseEvents({
        {Sgr(0, 9, 4), 0},
        {Sgr(32, 10, 4), 10},
        {Sgr(32, 10, 4), 20},  // same cell: nothing
        {Sgr(32, 11, 5), 30},
        {Sgr(0, 11, 5, true), 40},
        {Sgr(2, 0, 0), 50},
        {Sgr(34, 3, 3), 60},  // right drag: not reported
        {Sgr(2, 3, 3, true), 70},
        {Sgr(66, 3, 3), 80},  // sideways wheel: not reported
        {Sgr(1, 3, 3), 90},   // middle button: not reported
    });
    const InputEvent expected[] = {
        {kEventLeftPress, -1, 9, 4},    {kEventLeftDrag, -1, 10, 4},   {kEventLeftDrag, -1, 11, 5},
        {kEventLeftRelease, -1, 11, 5}, {kEventRightPress, -1, 0, 0},  {kEventRightRelease, -1, 3, 3},
    };
    ASSERT_EQ(std::size(expected), events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(expected[i].type, events[i].type) << i;
        EXPECT_EQ(-1, events[i].key) << i;
        EXPECT_EQ(expected[i].x, events[i].x) << i;
        EXPECT_EQ(expected[i].y, events[i].y) << i;
    }
}

TEST(InputParser, DoubleClickOnTheSameCellWithin400ms) {
    const struct {
        const char* name;
        int secondX;
        int64_t secondMs;
        uint8_t expected;
    } cases[] = {
        {"quick, same cell", 5, 399, kEventDoubleClick},
        {"too slow", 5, 400, kEventLeftPress},
        {"other cell", 6, 100, kEventLeftPress},
    };
    for (const auto& c : cases) {
        std::vector<InputEvent> events = MouseEvents({
            {Sgr(0, 5, 5), 1000},
            {Sgr(0, 5, 5, true), 1050},
            {Sgr(0, c.secondX, 5), 1000 + c.secondMs},
        });
        ASSERT_EQ(3u, events.size()) << c.name;
        EXPECT_EQ(c.expected, events[2].type) << c.name;
    }
    // A third quick press starts a new click.
    std::vector<InputEvent> events = MouseEvents({
        {Sgr(0, 5, 5), 0}, {Sgr(0, 5, 5, true), 10}, {Sgr(0, 5, 5), 20}, {Sgr(0, 5, 5, true), 30}, {Sgr(0, 5, 5), 40},
    });
    ASSERT_EQ(5u, events.size());
    EXPECT_EQ(kEventDoubleClick, events[2].type);
    EXPECT_EQ(kEventLeftPress, events[4].type);
}

TEST(InputParser, ReleaseWithoutItsPressIsDropped) {
    // The button went down before the program started reading: its release means nothing.
    std::vector<InputEvent> events = MouseEvents({
        {Sgr(0, 2, 2, true), 0},
        {Sgr(2, 2, 2, true), 10},
        {Sgr(2, 4, 4), 20},
        {Sgr(0, 4, 4, true), 30},  // the left button is not down
        {Sgr(2, 4, 4, true), 40},
    });
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(kEventRightPress, events[0].type);
    EXPECT_EQ(kEventRightRelease, events[1].type);
}

TEST(InputParser, MouseOffDropsReports) {
    EXPECT_TRUE(MouseEvents({{Sgr(0, 1, 1), 0}, {Sgr(0, 1, 1, true), 5}}, false).empty());
    // ... but keys still arrive.
    EXPECT_EQ(std::vector<int>{1059}, Keys(E + "OP"));
}

TEST(InputParser, WheelStepsAreEventsOfTheirOwn) {
    const struct {
        std::string bytes;
        int expectType;  // 0: nothing
    } cases[] = {
        {Sgr(64, 7, 3), kEventWheelUp},
        {Sgr(65, 7, 3), kEventWheelDown},
        {Sgr(64 + 4, 7, 3), kEventWheelUp},     // with Shift
        {Sgr(65 + 16, 7, 3), kEventWheelDown},  // with Ctrl
        {Sgr(64 + 8, 7, 3), kEventWheelUp},     // with Alt
        {Sgr(66, 7, 3), 0},                     // sideways
        {Sgr(67, 7, 3), 0},
        {Sgr(64, 7, 3, true), 0},               // a release form means nothing for a wheel
        {Sgr(64 + 32, 7, 3), 0},                // nor a motion form
        {Sgr(128, 7, 3), 0},                    // button 8
        {E + "[M" + std::string(1, static_cast<char>(32 + 65)) + static_cast<char>(33 + 7) +
             static_cast<char>(33 + 3),
         kEventWheelDown},  // the X10 form
    };
    for (const auto& c : cases) {
        std::vector<InputEvent> events = MouseEvents({{c.bytes, 0}});
        if (c.expectType == 0) {
            EXPECT_TRUE(events.empty()) << c.bytes.substr(1);
            continue;
        }
        ASSERT_EQ(1u, events.size()) << c.bytes.substr(1);
        EXPECT_EQ(c.expectType, events[0].type) << c.bytes.substr(1);
        EXPECT_EQ(-1, events[0].key);
        EXPECT_EQ(7, events[0].x);
        EXPECT_EQ(3, events[0].y);
    }
    // Wheel steps leave the buttons alone: a press, a wheel step, the release.
    std::vector<InputEvent> events =
        MouseEvents({{Sgr(0, 1, 1), 0}, {Sgr(65, 1, 1), 5}, {Sgr(0, 1, 1, true), 10}, {Sgr(0, 1, 1), 500}});
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(kEventLeftPress, events[0].type);
    EXPECT_EQ(kEventWheelDown, events[1].type);
    EXPECT_EQ(kEventLeftRelease, events[2].type);
    EXPECT_EQ(kEventLeftPress, events[3].type);
    EXPECT_TRUE(MouseEvents({{Sgr(64, 1, 1), 0}}, false).empty());  // mouse off: no wheel either
}

TEST(InputParser, X10MouseForm) {
    std::string press = E + "[M" + std::string(1, static_cast<char>(32 + 0)) + static_cast<char>(33 + 9) +
                        static_cast<char>(33 + 4);
    std::string release = E + "[M" + std::string(1, static_cast<char>(32 + 3)) + static_cast<char>(33 + 9) +
                          static_cast<char>(33 + 4);
    std::vector<InputEvent> events = MouseEvents({{press, 0}, {release, 10}});
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(kEventLeftPress, events[0].type);
    EXPECT_EQ(9, events[0].x);
    EXPECT_EQ(4, events[0].y);
    EXPECT_EQ(kEventLeftRelease, events[1].type);
}

TEST(InputParser, UnknownSequencesAreDroppedWhole) {
    EXPECT_EQ((std::vector<int>{'a'}), Keys(E + "[200~" + "a"));    // paste bracket
    EXPECT_EQ((std::vector<int>{'b'}), Keys(E + "[I" + "b"));       // focus report
    EXPECT_EQ((std::vector<int>{'c'}), Keys(E + "[99~" + "c"));     // no such key
    EXPECT_EQ((std::vector<int>{'d'}), Keys(E + "[?1;2c" + "d"));   // device attributes answer
    EXPECT_EQ((std::vector<int>{'e'}), Keys(E + "[" + std::string(100, '1') + "~e"));  // runaway parameters
    // A control byte inside a sequence ends it; the byte itself is read.
    EXPECT_EQ((std::vector<int>{13}), Keys(E + "[1\r"));
}

namespace {

void FuzzParser(const std::vector<uint8_t>& alphabet, uint32_t seed, int totalBytes) {
    std::mt19937 random(seed);
    InputParser parser;
    int64_t now = 0;
    int fed = 0;
    long events = 0;
    while (fed < totalBytes) {
        int chunk = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < chunk && fed < totalBytes; ++i, ++fed) {
            uint8_t byte = alphabet.empty() ? static_cast<uint8_t>(random()) : alphabet[random() % alphabet.size()];
            parser.Feed(byte, now);
        }
        now += random() % 300;
        if (random() % 4 == 0) parser.Expire(now);
        InputEvent event{};
        while (parser.Next(event)) {
            ++events;
            ASSERT_TRUE(IsValidInputEvent(event)) << "type " << int(event.type) << " key " << event.key;
            ASSERT_NE(kEventNone, event.type);
            if (event.type == kEventKey) ASSERT_LE(event.key, 2255);
            else ASSERT_TRUE(event.x >= 0 && event.y >= 0);
        }
    }
    EXPECT_GT(events, 0);
}

}  // namespace

TEST(InputParser, RandomBytesNeverGiveAnInvalidEvent) { FuzzParser({}, 20240601u, 1000000); }

// Whole sequences (wheel steps among clicks and keys) fed in random chunks:
// every wheel step must come out once, at its cell, and nothing invalid.
TEST(InputParser, RandomWheelAndClickSequences) {
    std::mt19937 random(4242);
    InputParser parser;
    int64_t now = 0;
    int wheelsFed = 0, wheelsSeen = 0;
    std::string stream;
    std::vector<std::pair<int, int>> wheelCells;
    for (int i = 0; i < 20000; ++i) {
        int x = static_cast<int>(random() % 300), y = static_cast<int>(random() % 100);
        switch (random() % 6) {
            case 0:
            case 1: {
                int button = 64 + static_cast<int>(random() % 2) + (random() % 3 == 0 ? 4 << (random() % 3) : 0);
                stream += Sgr(button, x, y);
                ++wheelsFed;
                wheelCells.emplace_back(x, y);
                break;
            }
            case 2: stream += Sgr(66 + static_cast<int>(random() % 2), x, y); break;  // sideways: dropped
            case 3: stream += Sgr(0, x, y, random() % 2 == 0); break;
            case 4: stream += E + "[1;5A"; break;
            default: stream += static_cast<char>('a' + random() % 26); break;
        }
    }
    size_t at = 0;
    while (at < stream.size()) {
        size_t chunk = std::min(stream.size() - at, static_cast<size_t>(1 + random() % 40));
        parser.Feed(reinterpret_cast<const uint8_t*>(stream.data() + at), static_cast<int>(chunk), now);
        at += chunk;
        now += 1;
        InputEvent event{};
        while (parser.Next(event)) {
            ASSERT_TRUE(IsValidInputEvent(event)) << "type " << int(event.type);
            if (event.type == kEventWheelUp || event.type == kEventWheelDown) {
                ASSERT_LT(wheelsSeen, wheelsFed);
                EXPECT_EQ(wheelCells[static_cast<size_t>(wheelsSeen)], std::make_pair(event.x, event.y));
                ++wheelsSeen;
            }
        }
    }
    parser.Expire(now + 1000);
    EXPECT_EQ(wheelsFed, wheelsSeen);
}

TEST(InputParser, RandomSequenceFragmentsNeverGiveAnInvalidEvent) {
    const std::string pieces = "\x1b\x1b\x1b[[O<;;;0123456789~$^@MmABCDEFGHPQRSZabcdu\x7f\x08\r\t\xc3\xa9\xe2\x96";
    FuzzParser(std::vector<uint8_t>(pieces.begin(), pieces.end()), 7u, 300000);
    // Wheel reports in pieces: "\x1b[<6", "4;", "5M" and the like.
    const std::string wheel = "\x1b\x1b[[<<<;;;;64656667012345MMMmm`aA";
    FuzzParser(std::vector<uint8_t>(wheel.begin(), wheel.end()), 11u, 300000);
}

TEST(InputParser, BracketedPasteIsOneEvent) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> pastes;
        std::vector<int> keys;  // the key events, in order
    };
    const std::string start = E + "[200~", end = E + "[201~";
    const Case cases[] = {
        {"text with keys around", "a" + start + "x+y\r\n" + end + "b", {"x+y\r\n"}, {'a', 'b'}},
        {"escape bytes inside are text", start + E + "[A" + E + "[20x" + end, {E + "[A" + E + "[20x"}, {}},
        {"a false start of the end", start + E + "[201" + "z" + end, {E + "[201z"}, {}},
        {"UTF-8 becomes the code page", start + "caf\xC3\xA9" + end, {"caf\x82"}, {}},
        {"an empty paste gives nothing", start + end + "q", {}, {'q'}},
        {"two pastes", start + "1" + end + start + "2" + end, {"1", "2"}, {}},
        {"a lone end is dropped", end + "k", {}, {'k'}},
        {"an unfinished paste is read as keys", start + "ab", {}, {'a', 'b'}},
        {"a start inside a paste is text", start + "x" + start + "y" + end, {"x" + start + "y"}, {}},
        {"an unfinished paste ending in part of its end", start + "x" + end.substr(0, 3), {}, {'x'}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> pastes;
        std::vector<int> keys;
        for (const InputEvent& event : ParseAll(c.bytes)) {
            if (event.type == kEventPaste) {
                EXPECT_TRUE(IsValidInputEvent(event));
                pastes.push_back(event.text);
            } else if (event.type == kEventKey) {
                keys.push_back(event.key);
            }
        }
        EXPECT_EQ(c.pastes, pastes) << c.name;
        EXPECT_EQ(c.keys, keys) << c.name;
    }
}

TEST(InputParser, PasteArrivingInPiecesWaitsLonger) {
    InputParser parser;
    EXPECT_EQ(50, parser.SettleDelayMs(50));
    const std::string first = E + "[200~SELECT", second = " 1" + E + "[201~";
    parser.Feed(reinterpret_cast<const uint8_t*>(first.data()), static_cast<int>(first.size()), 0);
    EXPECT_TRUE(parser.HasIncomplete());
    EXPECT_FALSE(parser.HasEvents());
    EXPECT_EQ(InputParser::kPasteIdleMs, parser.SettleDelayMs(50));
    parser.Feed(reinterpret_cast<const uint8_t*>(second.data()), static_cast<int>(second.size()), 300);
    InputEvent event{};
    ASSERT_TRUE(parser.Next(event));
    EXPECT_EQ(kEventPaste, event.type);
    EXPECT_EQ("SELECT 1", event.text);
    EXPECT_FALSE(parser.HasIncomplete());
}

TEST(InputParser, LongPasteIsCut) {
    std::string text(InputParser::kMaxPaste + 100, 'p');
    std::vector<InputEvent> events = ParseAll(E + "[200~" + text + E + "[201~" + "k");
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(InputParser::kMaxPaste, events[0].text.size());
    EXPECT_EQ('k', events[1].key);
}

TEST(InputParser, RandomFragmentsWithPastesNeverGiveAnInvalidEvent) {
    const std::string pieces = "\x1b\x1b[[200~201~;0123456789~<MmA\r\n\xc3\xa9";
    FuzzParser(std::vector<uint8_t>(pieces.begin(), pieces.end()), 11u, 300000);
    // Whole paste brackets among random bytes.
    std::mt19937 random(99);
    InputParser parser;
    const std::string tokens[] = {E + "[200~", E + "[201~", "a", "\r", E, E + "[<0;3;4M", "\xe2\x96\x91"};
    long pastes = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string& t = tokens[random() % 7];
        parser.Feed(reinterpret_cast<const uint8_t*>(t.data()), static_cast<int>(t.size()), i);
        if (random() % 8 == 0) parser.Expire(i);
        InputEvent event{};
        while (parser.Next(event)) {
            ASSERT_TRUE(IsValidInputEvent(event)) << int(event.type);
            if (event.type == kEventPaste) {
                ++pastes;
                ASSERT_FALSE(event.text.empty());
            }
        }
    }
    EXPECT_GT(pastes, 0);
}
