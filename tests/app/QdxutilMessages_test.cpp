// qdxutil's messages about bad input stay on one line: control characters
// from the input are written as escapes, never raw.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "AppTestSupport.h"

namespace {

using apptest::RunQdxutil;
using apptest::ScratchDir;
using apptest::ToolResult;

bool HasRawControl(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && !(c == '\n' && i + 1 == text.size())) || c == 0x7F) return true;
    }
    return false;
}

TEST(QdxutilMessages, ControlCharactersAreEscaped) {
    struct Case {
        std::vector<std::string> args;
        const char* expected;  // part of the one line written
        bool onStdout;
    } cases[] = {
        {{"eval", "-e", "FOO\nBAR(1)"}, "Unknown function name 'FOO\\nBAR'", false},
        {{"eval", "-e", "X\x01Y(1)"}, "'X\\x01Y'", false},
        {{"eval", "-e", "1 +\t\r"}, nullptr, false},
        {{"no\x1b[2Jcommand"}, "unknown command 'no\\x1B[2Jcommand'", false},
        {{"stat", "--own\ner", "x"}, "--own\\ner", false},
        {{"stat", "/nonexistent/a\x7f" "b.dat"}, "a\\x7Fb.dat", false},
    };
    for (const Case& c : cases) {
        ToolResult r = RunQdxutil(c.args);
        const std::string& text = c.onStdout ? r.out : r.err;
        const std::string firstLine = text.substr(0, text.find('\n') + 1);
        EXPECT_FALSE(HasRawControl(firstLine)) << c.args[0] << ": " << text;
        if (c.expected) {
            EXPECT_NE(std::string::npos, firstLine.find(c.expected)) << firstLine;
        }
        EXPECT_NE(0, r.exitCode);
    }
}

TEST(QdxutilMessages, SchemaSizesOutOfRangeGetTheRangeMessage) {
    ScratchDir dir;
    for (const char* size : {"65536", "2147483648", "-1", "99999999999999999999"}) {
        const std::string schema = dir / "s.txt";
        std::ofstream(schema) << "table T location t.dat\nfield A String " << size << "\n";
        ToolResult r = RunQdxutil({"define", dir / "out", schema});
        EXPECT_EQ(1, r.exitCode) << size;
        EXPECT_NE(std::string::npos, r.err.find(std::string("size ") + size + " is not allowed for type String (from 1 to"))
            << r.err;
    }
}

}  // namespace
