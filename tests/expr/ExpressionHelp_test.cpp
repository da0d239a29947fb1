// The formula help page: its three parts, the operator entries in order, the
// order of operations verbatim and one entry per function.

#include "expr/ExpressionHelp.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Lines() {
    int count = 0;
    const char* const* lines = expr::ExpressionHelpLines(count);
    return std::vector<std::string>(lines, lines + count);
}

// Index of the heading line with this text, or -1.
int Heading(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == std::string(1, expr::kHelpHeading) + text) return static_cast<int>(i);
    }
    return -1;
}

TEST(ExpressionHelp, ThreePartsInNinetyNineLines) {
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 99u);
    const int operators = Heading(lines, "Expression Evaluator");
    const int order = Heading(lines, "Order of operations");
    const int functions = Heading(lines, "Functions");
    ASSERT_EQ(operators, 0);
    ASSERT_GT(order, operators);
    ASSERT_GT(functions, order);
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[static_cast<size_t>(order) - 1], "");
    EXPECT_EQ(lines[static_cast<size_t>(functions) - 1], "");
    EXPECT_NE(lines.back(), "");  // no blank line after the last function

    // Operator entries: the operator padded to three characters and ": ";
    // every other line of the part is a continuation indented by five blanks.
    const char* const kOperators[] = {"()", "!", "-", "^", "*", "/", "%", "+", "-", "<",
                                      "<=", ">", ">=", "~=", "=", "!=", "==", "&", "|", "?:"};
    size_t next = 0;
    for (int i = 2; i < order - 1; ++i) {
        const std::string& line = lines[static_cast<size_t>(i)];
        if (line.compare(0, 5, "     ") == 0) {
            EXPECT_GT(next, 0u) << line;
            continue;
        }
        ASSERT_LT(next, sizeof kOperators / sizeof kOperators[0]) << line;
        std::string head = kOperators[next++];
        head.resize(3, ' ');
        EXPECT_EQ(line.substr(0, 5), head + ": ") << line;
    }
    EXPECT_EQ(next, sizeof kOperators / sizeof kOperators[0]);
    EXPECT_EQ(lines[2], "() : Brackets are used to override order of operations");

    const char* const kOrder[] = {" 1) ()", " 2) !  unary -", " 3) ^", " 4) * / %", " 5) + -",
                                  " 6) <  >  >=  <=  ~=", " 7) = != ==", " 8) &", " 9) |", "10) ?:"};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(lines[static_cast<size_t>(order) + 1 + i], kOrder[i]);
    EXPECT_EQ(order + 12, functions);

    // Functions: the call form, description lines indented by two blanks, a blank line.
    const char* const kCalls[] = {"VAL( string )", "STR( value )", "LEN( string )", "POS( string, searchstring )",
                                  "LEFT( string, num )", "MID( string, offset [, length] )", "RIGHT( string, number )",
                                  "CHOP( string, number )", "UCASE( string )", "LTRIM( string )", "RTRIM( string )",
                                  "ROUND( number )", "ABS( num )", "TODAY()", "SQRT( num )", "SUM( string )"};
    size_t call = 0;
    bool expectCall = true;
    for (size_t i = static_cast<size_t>(functions) + 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (expectCall) {
            ASSERT_LT(call, 16u) << line;
            EXPECT_EQ(line, kCalls[call++]);
            expectCall = false;
        } else if (line.empty()) {
            expectCall = true;
        } else {
            EXPECT_EQ(line.compare(0, 2, "  "), 0) << line;
            EXPECT_NE(line[2], ' ') << line;
        }
    }
    EXPECT_EQ(call, 16u);
    for (const std::string& line : lines) EXPECT_LE(line.size(), 78u) << line;
}

}  // namespace
