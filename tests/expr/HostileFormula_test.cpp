// Formulas from hand-edited files: deep brackets, long chains, NUL bytes and
// huge numbers end in a value or a message, never a crash or a runaway
// recursion, and the compiled and the re-parsing evaluators agree on them.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ExprTestSupport.h"
#include "expr/Expression.h"

namespace {

using exprtest::EvalBoth;
using exprtest::TestView;

std::string Eval(TestView& view, const std::string& formula) {
    return EvalBoth(&view.fields, view.record.data(), static_cast<int>(view.record.size()), formula.c_str());
}

std::string Repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

TEST(HostileFormula, BracketNestingHasALimitNotACrash) {
    TestView view;
    EXPECT_EQ("integer:1", Eval(view, Repeat("(", 100) + "1" + Repeat(")", 100)));
    EXPECT_EQ("error:Expression too complex", Eval(view, Repeat("(", 101) + "1" + Repeat(")", 101)));
    EXPECT_EQ("error:Expression too complex", Eval(view, Repeat("(", 200000)));
    EXPECT_EQ("error:Expression too complex", Eval(view, Repeat("ABS(", 50000) + "1"));
    EXPECT_EQ("error:Expression too complex", Eval(view, Repeat("-(", 50000) + "1"));
}

TEST(HostileFormula, LongFlatChainsStayShallow) {
    TestView view;
    EXPECT_EQ("integer:20000", Eval(view, "1" + Repeat("+1", 19999)));
    EXPECT_EQ("integer:1", Eval(view, "1" + Repeat("*1", 50000)));
    // A chain of conditionals nests to the right: it runs out of stack, not of recursion.
    EXPECT_EQ("error:Expression too complex", Eval(view, Repeat("1=1 ? 1 : ", 50000) + "2"));
    const std::string longText = "'" + std::string(100000, 'x') + "'";
    EXPECT_EQ("integer:100000", Eval(view, "LEN(" + longText + ")"));
}

TEST(HostileFormula, NestedValHasARecursionLimit) {
    TestView view;
    // VAL of a text that calls VAL again, deeper than any real formula.
    std::string formula = "1";
    for (int i = 0; i < 40; ++i) {
        std::string quoted;
        for (char c : formula) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        formula = "VAL(\"" + quoted + "\")";
        if (formula.size() > 200000) break;
    }
    std::string result = Eval(view, formula);
    EXPECT_TRUE(result == "integer:1" || result.rfind("error:", 0) == 0) << result;
}

TEST(HostileFormula, NulBytesAndHugeNumbersGiveAValueOrAMessage) {
    TestView view;
    const std::string nul(1, '\0');
    const std::string cases[] = {
        "1" + nul + "+2",
        nul,
        "'" + nul + "'",
        "LEN(\"a" + nul + "b\")",
        std::string(5000, '9'),
        "9223372036854775807 + 1",
        "-9223372036854775807 - 2",
        "1e4932 * 10",
        "1e-4950",
        "MID('abc', 99999999999, 99999999999)",
        "LEFT('abc', -99999999999)",
        "STR(1e300, 2147483647, 2147483647)",
        "ROUND(1.5, 2147483647)",
        "SQRT(-1)",
        "'99/99/9999' + 1",
        "'25:99' + 1",
    };
    for (const std::string& formula : cases) {
        std::string result = Eval(view, formula);
        EXPECT_FALSE(result.empty()) << formula;
        if (result.rfind("error:", 0) == 0) {
            EXPECT_GT(result.size(), 6u) << formula;
        }
    }
}

TEST(HostileFormula, RandomBytesIncludingNul) {
    TestView view;
    std::mt19937 rng(555);
    for (int round = 0; round < 3000; ++round) {
        std::string formula(rng() % 40, '\0');
        for (char& c : formula) c = static_cast<char>(rng() % 6 == 0 ? "()'\"?:,"[rng() % 7] : rng() % 256);
        std::string result = Eval(view, formula);
        EXPECT_FALSE(result.empty()) << formula;
    }
}

}  // namespace
