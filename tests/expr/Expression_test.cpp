// Formulas and their exact results, through both evaluators.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "base/Endian.h"
#include "expr/Expression.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldJoin.h"
#include "fields/Variant.h"

using exprtest::EvalBoth;
using exprtest::TestView;

namespace {

struct Case {
    const char* formula;
    const char* expected;  // "kind:text" or "error:message"
};

void RunCases(TestView& view, const Case* cases, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), static_cast<int>(view.record.size()), cases[i].formula),
                  cases[i].expected)
            << "formula: " << cases[i].formula;
    }
}

#define RUN_CASES(view, table) RunCases(view, table, sizeof(table) / sizeof((table)[0]))

TEST(Expression, ParsingEdgeCases) {
    TestView view;
    const Case cases[] = {
        {"1 + 2 * 3 ^ 2", "real:19"},
        {"(1 + 2) * 3", "integer:9"},
        {"10 - 4 - 3", "integer:3"},
        {"a = b = c", "error:Unexpected text at end of expression"},
        {"", "string:"},
        {"    ", "string:"},
        {"\"abc", "error:Mismatched quotes"},
        {"'abc", "error:Mismatched quotes"},
        {"(1 + 2", "error:) expected"},
        {"1 ? 2 : 3", "error:Logical value expected for ? operator"},
        {"1 = 1 ? 2", "error:: expected"},
        {"Smith", "string:Smith"},
        {"'Smith'", "string:Smith"},
        {"'5'", "integer:5"},
        {"\"5\"", "string:5"},
        {"1.5", "real:1.5"},
        {"12345", "integer:12345"},
        {"1234567890", "real:1234567890"},
        {"1e3", "real:1000"},
        {"1.2.2023", "date:01/02/2023"},
        {"!!1", "error:Invalid type for NOT operator"},
        {"- -1", "error:Invalid type for unary minus operator"},
        {"1 - -2", "integer:3"},
        {"-2^2", "real:4"},
        {"1 <> 2", "error:Incompatible types"},
        {"1 2", "error:Unexpected text at end of expression"},
        {"1 +", "error:Incompatible types"},
        {"+", "string:"},
        {"()", "string:"},
        {"(1))", "error:Unexpected text at end of expression"},
        {"1 || 1", "error:OR operator can only apply to logical values"},
    };
    RUN_CASES(view, cases);
}

TEST(Expression, WordClassification) {
    TestView view;
    const Case cases[] = {
        {"'31/01/2023'", "date:31/01/2023"},   // month/day/year order: month byte 31, no range check
        {"'2023/01/31'", "date:01/31/2023"},   // a first number above 1000 reads year first
        {"'2023-01-31'", "date:01/31/2023"},
        {"'12:30'", "time:12:30:00p"},
        {"'12:30a'", "time:12:30:00a"},
        {"'1:05:09p'", "time:1:05:09p"},
        {"'1.5e2'", "real:150"},
        {"'1e2e3'", "string:1e2e3"},
        {"'e5'", "string:e5"},
        {"'5x'", "string:5x"},
        {"'-5'", "integer:-5"},
        {"'5-'", "integer:5"},                 // an integer literal stops at the first non-digit
        {"'1-2'", "integer:1"},
        {"'+5'", "integer:5"},
        {"'123456789'", "integer:123456789"},
        {"'-123456789'", "real:-123456789"},
        {"'.'", "string:."},
        {"'.5'", "real:0.5"},
        {"'a b'", "string:a b"},
        {"''", "string:"},
        {"\"\"", "string:"},
        {"'12#'", "integer:12"},
        {"abc.def", "string:abc.def"},
    };
    RUN_CASES(view, cases);
}

TEST(Expression, Quoting) {
    TestView view;
    const Case cases[] = {
        {"'it''s'", "string:it's"},
        {"\"say \"\"hi\"\"\"", "string:say \"hi\""},
        {"'a\"b'", "string:a\"b"},
        {"\"a'b\"", "string:a'b"},
        {"ab'c", "string:ab'c"},
        {"'ab'cd", "string:abcd"},
        {"'a''", "error:Mismatched quotes"},
        {"''''", "string:'"},
        {"'a+b' + \"c d\"", "string:a+bc d"},
        {"a b", "error:Unexpected text at end of expression"},
        {"'(' + ')'", "string:()"},
    };
    RUN_CASES(view, cases);
}

TEST(Expression, PrecedenceAndAssociativity) {
    TestView view;
    const Case cases[] = {
        {"2 * 3 + 4", "integer:10"},
        {"2 + 3 * 4", "integer:14"},
        {"2 * 3 ^ 2", "real:18"},
        {"2 ^ 3 ^ 2", "real:64"},           // left to right: (2^3)^2
        {"2 ^ (3 ^ 2)", "error:Power must be an integer"},
        {"10 % 4 * 3", "integer:6"},
        {"12 / 2 / 3", "integer:2"},
        {"2 - 3 + 4", "integer:3"},
        {"1 + 2 < 4", "logical:Y"},
        {"1 < 2 = 2 < 3", "logical:Y"},     // relations before equality
        {"1 < 2 < 3", "error:Unexpected text at end of expression"},
        {"1 = 1 = 1", "error:Unexpected text at end of expression"},
        {"1 = 1 & 2 = 2", "logical:Y"},
        {"1=1 | 1=1 & 1=0", "logical:Y"},   // & before |
        {"1=0 & 1=1 | 1=1", "logical:Y"},
        {"1=1 ? 2 : 1=0 ? 3 : 4", "integer:2"},
        {"1=0 ? 2 : 1=0 ? 3 : 4", "integer:4"},
        {"1=0 ? 2 : 1=1 ? 3 : 4", "integer:3"},
        {"1=1 ? 1=1 ? 2 : 3 : 4", "error:: expected"},  // the middle is an or-expression
        {"1=1 ? (1=1 ? 2 : 3) : 4", "integer:2"},
        {"!1 = 0", "error:Incompatible types"},  // (!1) = 0: logical with integer
        {"-(2 + 3) * 2", "integer:-10"},
        {"(((((1)))))", "integer:1"},
    };
    RUN_CASES(view, cases);
}

TEST(Expression, OperatorEdgeCases) {
    TestView view;
    const Case cases[] = {
        {"7 / 2", "real:3.5"},
        {"6 / 2", "integer:3"},
        {"7 % 2", "integer:1"},
        {"-7 % 2", "integer:-1"},
        {"7 % -2", "integer:1"},
        {"7 % 0", "error:Division by zero"},
        {"7 / 0", "error:Division by zero"},
        {"7.5 / 0", "error:Division by zero"},
        {"7.5 % 2", "error:modulus operator cannot apply to real value"},
        {"2 ^ 10", "real:1024"},
        {"2 ^ -1", "real:0.5"},
        {"2 ^ 0", "real:1"},
        {"2 ^ 0.5", "error:Power must be an integer"},
        {"'a' ^ 2", "error:Invalid type for ^ operator"},
        {"1 + 2.5", "real:3.5"},
        {"1 + 'abc'", "error:Incompatible types"},
        {"\"a\" + \"b\"", "string:ab"},
        {"\"a\" - \"b\"", "error:Invalid type for subtraction"},
        {"'01/08/2023' - '01/01/2023'", "integer:7"},
        {"'01/01/2023' + 1", "integer:15647"},
        {"'01/01/2023' + 1 = '01/02/2023'", "logical:Y"},
        {"'abc' = 'ABC'", "logical:Y"},
        {"'abc' == 'ABC'", "logical:N"},
        {"'abc' != 'ABC'", "logical:N"},
        {"'abc' < 'ABC'", "logical:N"},
        {"'abc' <= 'ABD'", "logical:Y"},
        {"'b' > 'A'", "logical:Y"},
        {"1 & 2", "error:AND operator can only apply to logical values"},
        {"!0", "logical:Y"},
        {"!1", "logical:N"},
        {"1 = 1 ? 5 : 1 / 0", "error:Division by zero"},
        {"1 = 0 ? 1 / 0 : 5", "error:Division by zero"},
        {"5 > 'x'", "error:Incompatible types"},
        {"(1 = 1) < (2 = 2)", "error:Logical values cannot be compared as scalars"},
        {"(1 = 1) = (2 = 2)", "logical:Y"},
        {"'10:00' > '09:59:59'", "logical:Y"},
        {"'12/31/2022' < '01/01/2023'", "logical:Y"},
        {"1 = 1 ? 2 : 2.5", "real:2"},
        {"1 = 1 ? 2 : 'x'", "error:Incompatible types"},
        {"1 = 1 ? '01/02/2023' : 5", "integer:15647"},
        {"'abc' ~= 'A*'", "logical:Y"},
        {"'abc' ~= 'b*'", "logical:N"},
        {"5 ~= 5", "error:Containing operator can only apply to string values"},
        {"5 ~= 'x'", "error:Incompatible types"},
        {"9223372036854775807 + 1 > 0", "logical:Y"},  // ten digits or more: a real
        {"-(0 - 9) * 3", "integer:27"},
        {"1 / 0 + (1 + 2", "error:Division by zero"},  // the first failure met wins
        {"(1 + 2 + 1 / 0", "error:Division by zero"},
        {"'x' + 1 ? 1 : 2", "error:Incompatible types"},
    };
    RUN_CASES(view, cases);
}

// Each binary operator against each pair of kinds. Rows are the left kind and
// columns the right kind, both in the order logical, integer, real, string,
// date, time. A lower-case letter is the result kind (l i r s d t); upper case
// is a failure: X "Incompatible types", E the operator's own type message,
// C "Logical values cannot be compared as scalars", M "modulus operator cannot
// apply to real value", P "Power must be an integer".
struct OperatorTable {
    const char* op;
    const char* ownMessage;
    const char* rows[6];
};

const char* const kSamples[6] = {"(1=1)", "2", "2.5", "'s'", "'01/02/2023'", "'10:00'"};

const OperatorTable kOperatorTables[] = {
    {"+", "Invalid type for addition", {"EXXXXX", "XirXiX", "XrrXXX", "XXXsXX", "XiXXEX", "XXXXXE"}},
    {"-", "Invalid type for subtraction", {"EXXXXX", "XirXiX", "XrrXXX", "XXXEXX", "XiXXiX", "XXXXXE"}},
    {"*", "Invalid type for * operator", {"EXXXXX", "XirXiX", "XrrXXX", "XXXEXX", "XiXXEX", "XXXXXE"}},
    {"/", "Invalid type for / operator", {"EXXXXX", "XirXrX", "XrrXXX", "XXXEXX", "XrXXEX", "XXXXXE"}},
    {"%", "Invalid type for % operator", {"EXXXXX", "XiMXiX", "XMMXXX", "XXXEXX", "XiXXEX", "XXXXXE"}},
    {"^", "Invalid type for ^ operator", {"PEPPPP", "PrPPPP", "PrPPPP", "PEPPPP", "PEPPPP", "PEPPPP"}},
    {"&", "AND operator can only apply to logical values", {"lEEEEE", "EEEEEE", "EEEEEE", "EEEEEE", "EEEEEE", "EEEEEE"}},
    {"|", "OR operator can only apply to logical values", {"lEEEEE", "EEEEEE", "EEEEEE", "EEEEEE", "EEEEEE", "EEEEEE"}},
    {"=", "", {"lXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {"==", "", {"lXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {"!=", "", {"lXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {"<", "", {"CXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {"<=", "", {"CXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {">", "", {"CXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {">=", "", {"CXXXXX", "XllXlX", "XllXXX", "XXXlXX", "XlXXlX", "XXXXXl"}},
    {"~=", "Containing operator can only apply to string values",
     {"EXXXXX", "XEEXEX", "XEEXXX", "XXXlXX", "XEXXEX", "XXXXXE"}},
};

std::string ExpectedFor(char code, const char* ownMessage) {
    switch (code) {
    case 'l': return "logical";
    case 'i': return "integer";
    case 'r': return "real";
    case 's': return "string";
    case 'd': return "date";
    case 't': return "time";
    case 'X': return "error:Incompatible types";
    case 'E': return std::string("error:") + ownMessage;
    case 'C': return "error:Logical values cannot be compared as scalars";
    case 'M': return "error:modulus operator cannot apply to real value";
    case 'P': return "error:Power must be an integer";
    }
    return "?";
}

TEST(Expression, EveryOperatorAgainstEveryPairOfKinds) {
    TestView view;
    for (const OperatorTable& table : kOperatorTables) {
        for (int l = 0; l < 6; ++l) {
            for (int r = 0; r < 6; ++r) {
                const std::string formula = std::string(kSamples[l]) + " " + table.op + " " + kSamples[r];
                const std::string expected = ExpectedFor(table.rows[l][r], table.ownMessage);
                std::string got = EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, formula.c_str());
                if (expected.compare(0, 6, "error:") != 0) got = got.substr(0, got.find(':'));
                EXPECT_EQ(got, expected) << "formula: " << formula;
            }
        }
    }
}

TEST(Expression, UnaryOperatorsAgainstEveryKind) {
    TestView view;
    const char* const notExpected[6] = {"logical", "logical", "error:Invalid type for NOT operator",
                                        "error:Invalid type for NOT operator", "error:Invalid type for NOT operator",
                                        "error:Invalid type for NOT operator"};
    const char* const minusExpected[6] = {"error:Invalid type for unary minus operator", "integer", "real",
                                          "error:Invalid type for unary minus operator",
                                          "error:Invalid type for unary minus operator",
                                          "error:Invalid type for unary minus operator"};
    for (int k = 0; k < 6; ++k) {
        for (int which = 0; which < 2; ++which) {
            const std::string formula = std::string(which == 0 ? "!" : "-") + kSamples[k];
            const std::string expected = which == 0 ? notExpected[k] : minusExpected[k];
            std::string got = EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, formula.c_str());
            if (expected.compare(0, 6, "error:") != 0) got = got.substr(0, got.find(':'));
            EXPECT_EQ(got, expected) << "formula: " << formula;
        }
    }
}

TEST(Expression, FieldsOfTheView) {
    TestView view;
    const Case cases[] = {
        {"Qty", "integer:3"},
        {"qty", "integer:3"},
        {"QTY + 1", "integer:4"},
        {"Price", "real:40.5"},
        {"Qty * Price", "real:121.5"},
        {"Status", "string:S"},
        {"Name", "string:Smith"},
        {"Name == 'Smith'", "logical:Y"},
        {"Name = 'SMITH'", "logical:Y"},
        {"Name == 'SMITH'", "logical:N"},
        {"Name != 'x'", "logical:Y"},
        {"'Qty'", "string:Qty"},
        {"\"Qty\"", "string:Qty"},
        {"Born", "date:01/31/2023"},
        {"At", "time:1:05:09p"},
        {"Flag", "logical:Y"},
        {"Qty1", "integer:2"},
        {"Qty2", "real:3.5"},
        {"Amount", "real:12.34"},
        {"Small", "integer:65535"},
        {"Note", "string:note text"},
        {"Cash", "error:Unsupported data type in field Cash"},
        {"Qty * Price > 100 & Status = 'S'", "logical:Y"},
        {"Qty * Price > 200 | Status == 's'", "logical:N"},
        {"Born - '01/01/2023'", "integer:30"},
        {"Born + 1 = '02/01/2023'", "logical:Y"},
    };
    RUN_CASES(view, cases);
}

TEST(Expression, StackLimit) {
    TestView view;
    // k nested right operands need k + 1 values on the stack at once.
    auto nested = [](int k) {
        std::string formula;
        for (int i = 0; i < k; ++i) formula += "1+(";
        formula += "1";
        formula += std::string(static_cast<size_t>(k), ')');
        return formula;
    };
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, nested(19).c_str()), "integer:20");
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, nested(20).c_str()),
              "error:Expression too complex");
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, nested(500).c_str()),
              "error:Expression too complex");
    // Failures met before the stack fills still win.
    const std::string first = "1/0 + " + nested(25);
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, first.c_str()),
              "error:Division by zero");
    const std::string later = nested(25) + " + 1/0";
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, later.c_str()),
              "error:Expression too complex");
    // Function arguments each take a place.
    std::string calls;
    for (int i = 0; i < 25; ++i) calls += "MID('x', ";
    calls += "0";
    for (int i = 0; i < 25; ++i) calls += ")";
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, calls.c_str()),
              "error:Expression too complex");
}

TEST(Expression, BracketNestingLimit) {
    TestView view;
    auto eval = [&](const std::string& formula) {
        return EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, formula.c_str());
    };
    auto wrap = [](const std::string& open, int k, const std::string& inner) {
        std::string formula;
        for (int i = 0; i < k; ++i) formula += open;
        return formula + inner + std::string(static_cast<size_t>(k), ')');
    };
    // Brackets hold no value of their own, so only a nesting limit keeps
    // reading from recursing without end.
    EXPECT_EQ(eval(wrap("(", 100, "1")), "integer:1");
    EXPECT_EQ(eval(wrap("(", 101, "1")), "error:Expression too complex");
    EXPECT_EQ(eval(wrap("ABS(", 100, "-1")), "integer:1");
    EXPECT_EQ(eval(wrap("-(", 101, "1")), "error:Expression too complex");
    EXPECT_EQ(eval(wrap("ABS(", 101, "1")), "error:Expression too complex");
    EXPECT_EQ(eval(wrap("FOO(", 101, "1")), "error:Unknown function name 'FOO'");
    EXPECT_EQ(eval("1/0 + " + wrap("(", 101, "1")), "error:Division by zero");
    EXPECT_EQ(eval(wrap("(", 200000, "1")), "error:Expression too complex");
    EXPECT_EQ(eval(wrap("(", 200000, "")), "error:Expression too complex");
    // Closed brackets do not count: only those open at once.
    std::string sequence;
    for (int i = 0; i < 300; ++i) sequence += "(1) + ";
    EXPECT_EQ(eval(sequence + "0"), "integer:300");
}

TEST(Expression, DeepBracketsInEveryNestedEvaluation) {
    // Ten nested evaluations, each as deeply bracketed as allowed.
    TestView view;
    auto bracketed = [](const std::string& inner) { return std::string(100, '(') + inner + std::string(100, ')'); };
    view.AddCalculated("D1", bracketed("1").c_str());
    for (int i = 2; i <= 9; ++i) {
        const std::string name = "D" + std::to_string(i);
        view.AddCalculated(name.c_str(), bracketed("D" + std::to_string(i - 1) + " + 1").c_str());
    }
    for (bool installed : {false, true}) {
        if (installed) view.InstallEvaluator();
        EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, bracketed("D9").c_str()),
                  "integer:9");
    }
}

TEST(Expression, ReusedForManyRecordsAndRebuiltWhenTextChanges) {
    TestView view;
    Expression filter(&view.fields, "Qty * Price > 100 & Status = 'S'");
    Variant result;
    for (int qty = 0; qty < 10; ++qty) {
        view.SetQty(qty);
        ASSERT_TRUE(filter.Evaluate(view.record.data(), exprtest::kRecordLength, result));
        EXPECT_EQ(result.logical != 0, qty * 40.5 > 100) << "qty " << qty;
    }
    filter.SetText("Qty + 1");
    ASSERT_TRUE(filter.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(result.integer, 10);
    filter.SetText("Qty +");
    EXPECT_FALSE(filter.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(filter.ErrorMessage(), "Incompatible types");
    EXPECT_EQ(result.integer, 10);  // unchanged on failure
}

TEST(Expression, FollowsChangesOfTheFieldList) {
    TestView view;
    Expression e(&view.fields, "Extra + Qty");
    Variant result;
    EXPECT_FALSE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(e.ErrorMessage(), "Incompatible types");  // Extra is the string "Extra"
    view.AddCalculated("Extra", "100");
    ASSERT_TRUE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result)) << e.ErrorMessage().Text();
    EXPECT_EQ(result.integer, 103);
    view.fields.Remove("Extra");
    view.fields.Remove("Qty");
    ASSERT_TRUE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(exprtest::Describe(true, result, ""), "string:ExtraQty");  // both words are strings now
}

// Regression: a change that kept the number of fields (a field replaced by
// a calculated one of the same name, a rename) left the compiled formula
// reading the old field's bytes.
TEST(Expression, FollowsChangesThatKeepTheFieldCount) {
    TestView view;
    Expression e(&view.fields, "Qty * 2");
    Variant result;
    view.SetQty(4);
    ASSERT_TRUE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(result.integer, 8);
    const int count = view.fields.Count();
    view.fields.Remove("Qty");
    view.AddCalculated("Qty", "50");
    ASSERT_EQ(count, view.fields.Count());
    ASSERT_TRUE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result)) << e.ErrorMessage().Text();
    EXPECT_EQ(result.integer, 100);
    view.fields.Rename(view.fields.Find("Qty"), "Quantity");
    EXPECT_FALSE(e.Evaluate(view.record.data(), exprtest::kRecordLength, result));
    EXPECT_EQ(e.ErrorMessage(), "Incompatible types");  // Qty is the string "Qty" now
    ASSERT_NE(view.fields.Find("quantity"), nullptr);   // the name index follows the rename
}

// A join that runs a callback while the formula reads its record.
class CallbackJoin : public FieldJoin {
public:
    std::function<void()> during;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(4, 0);
    uint8_t* JoinedRecord(const uint8_t*, int, int& length) override {
        if (during) {
            auto callback = std::move(during);
            during = nullptr;
            callback();
        }
        length = static_cast<int>(buffer.size());
        return buffer.data();
    }
};

TEST(Expression, TextReplacedDuringAnEvaluationTakesEffectNextTime) {
    FieldList fields;
    CallbackJoin join;
    fields.Add(FieldAttributes::FromDictionary("J", kTypeInteger, 0, 4, 0, 1, 0))->join = &join;
    le::PutI32(join.buffer.data(), 7);
    Expression e(&fields, "J + 1");
    join.during = [&] { e.SetText("J + 2"); };
    Variant v;
    ASSERT_TRUE(e.Evaluate(nullptr, 0, v)) << e.ErrorMessage().Text();
    EXPECT_EQ(v.integer, 8);  // the running program finishes as it began
    ASSERT_TRUE(e.Evaluate(nullptr, 0, v)) << e.ErrorMessage().Text();
    EXPECT_EQ(v.integer, 9);
    EXPECT_EQ(e.Text(), "J + 2");
}

TEST(Expression, ShortRecordsNeverReadPastTheEnd) {
    TestView view;
    // A record that ends inside Price: integer fields before it still read, later fields fall back.
    const char* formulas[] = {"Qty", "Price", "Status", "Name", "Qty * Price > 100 & Status = 'S'", "Born", "Flag"};
    for (const char* f : formulas) {
        for (int length : {0, 2, 4, 8, 12, 13, 20}) {
            EvalBoth(&view.fields, view.record.data(), length, f);
        }
    }
}

}  // namespace
