// The built-in functions: results, argument checks and messages.

#include <string>

#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "expr/Functions.h"
#include "fields/NumberText.h"

using exprtest::EvalBoth;
using exprtest::TestView;

namespace {

struct Case {
    const char* formula;
    const char* expected;
};

TEST(Functions, ResultsAndMessages) {
    TestView view;
    const Case cases[] = {
        {"left('abc', 2)", "string:ab"},
        {"LEFT('abc', 5)", "string:abc"},
        {"LEFT('abc', -1)", "string:"},
        {"LEFT('abc', 9999999999 - 9999999998)", "error:LEFT expects a string and an integer"},  // a real count
        {"MID('abcdef', 2)", "string:cdef"},
        {"MID('abcdef', 2, 3)", "string:cde"},
        {"MID('abcdef', 2, 0)", "string:cdef"},
        {"MID('abcdef', 2, -1)", "string:cdef"},
        {"MID('abcdef', 4, 10)", "string:ef"},
        {"MID('abcdef', 6)", "string:"},
        {"MID('abcdef', 7)", "string:"},
        {"MID('abcdef', -1)", "string:"},
        {"MID('abc')", "error:MID expects a string and an integer"},
        {"MID('abc', 1, 1, 1)", "error:MID expects a string and an integer"},
        {"MID('abc', \"1\")", "error:MID expects a string and an integer"},
        {"MID('abc', '1')", "string:bc"},  // a single-quoted 1 is the integer 1
        {"RIGHT('abc', 2)", "string:bc"},
        {"RIGHT('abc', 0)", "string:"},
        {"RIGHT('abc', 5)", "string:abc"},
        {"RIGHT('abc', -1)", "string:abc"},
        {"CHOP('abcdef', 2)", "string:abcd"},
        {"CHOP('abc', 3)", "string:"},
        {"CHOP('abc', 5)", "string:"},
        {"CHOP('abc', -1)", "string:abc"},
        {"POS('abcabc', 'ca')", "integer:2"},
        {"POS('abc', 'C')", "integer:-1"},
        {"POS('abc', '')", "integer:0"},
        {"POS('abc')", "error:POS expects 2 parameters"},
        {"POS('abc', 1)", "error:POS expects two strings"},
        {"ROUND(2.5)", "integer:2"},
        {"ROUND(3.5)", "integer:4"},
        {"ROUND(-2.5)", "integer:-2"},
        {"ROUND(2.6)", "integer:3"},
        {"ROUND(7)", "integer:7"},
        {"ROUND('x')", "error:ROUND expects a number"},
        {"LEN(5)", "error:LEN expects a string"},
        {"LEN(STR(5))", "integer:1"},
        {"LEN('')", "integer:0"},
        {"LEFT('abc')", "error:LEFT expects 2 parameters"},
        {"SQRT()", "error:SQRT expects 1 parameter"},
        {"SQRT(16)", "real:4"},
        {"SQRT(2.25)", "real:1.5"},
        {"SQRT('x')", "error:SQRT expects a number"},
        {"SQRT(-1)", "error:SQRT expects a number that is not negative"},
        {"TODAY( )", "error:TODAY expects 0 parameters"},
        {"TODAY(1)", "error:TODAY expects 0 parameters"},
        {"FOO(1)", "error:Unknown function name 'FOO'"},
        {"foo (1)", "error:Unknown function name 'foo'"},
        {"LEFT('abc', 2", "error:Function missing closing bracket"},
        {"LEFT('abc' 2)", "error:Function missing closing bracket"},
        {"LEFT('abc',)", "error:LEFT expects a string and an integer"},
        {"ABS(-5)", "integer:5"},
        {"ABS(-2.5)", "real:2.5"},
        {"ABS(3)", "integer:3"},
        {"ABS('x')", "error:ABS expects a number"},
        {"UCASE('abC1z')", "string:ABC1Z"},
        {"UCASE(1)", "error:UCASE expects a string"},
        {"LTRIM('  a ')", "string:a "},
        {"RTRIM(' a  ')", "string: a"},
        {"STR(1.5)", "string:1.5"},
        {"STR(1 = 1)", "string:Y"},
        {"STR('01/02/2023')", "string:01/02/2023"},
        {"STR(1/3)", "string:0.33333333333333"},
        {"STR(12345)", "string:12345"},
        {"VAL(\"5\")", "integer:5"},
        {"VAL('5')", "error:VAL expects a string"},  // a single-quoted 5 is already the integer 5
        {"VAL('5 + 1')", "integer:6"},
        {"VAL('Qty') * 2", "integer:6"},
        {"VAL('1 +')", "error:Incompatible types"},
        {"VAL('''a''')", "string:a"},
        {"VAL(5)", "error:VAL expects a string"},
        {"VAL('VAL(''VAL(''''1 + 1'''')'')')", "integer:2"},
        {"LEFT(UCASE(MID('abcdef', 1, 3)), 2)", "string:BC"},
        {"LEN(LEFT(STR(12345), ROUND(2.5)))", "integer:2"},
        {"SUM('Qty?')", "real:5.5"},
        {"SUM('qty*')", "real:8.5"},
        {"SUM('none')", "real:0"},
        {"SUM('Name')", "error:Unable to evaluate field Name"},
        {"SUM('Cash')", "error:Unable to evaluate field Cash"},
        {"SUM({'Qty','Price'})", "error:SUM expects 1 parameter"},
        {"SUM('{Qty,Price}')", "real:43.5"},
        {"Left ('abc', 1)", "string:a"},
        {"'LEFT'('abc', 1)", "error:Unexpected text at end of expression"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, c.formula), c.expected)
            << "formula: " << c.formula;
    }
}

TEST(Functions, TodayIsTheLocalDate) {
    TestView view;
    const std::string expected = "date:" + DateToText(expr::TodayDate(), 1).ToStdString();
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, "TODAY()"), expected);
    EXPECT_EQ(EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, "today() - TODAY()"), "integer:0");
}

TEST(Functions, LookupIgnoresCaseAndKeepsTableOrder) {
    expr::FunctionId id;
    ASSERT_TRUE(expr::LookupFunction("rTrIm", id));
    EXPECT_STREQ(expr::FunctionName(id), "RTRIM");
    EXPECT_FALSE(expr::LookupFunction("RTRIMX", id));
    EXPECT_FALSE(expr::LookupFunction("", id));
}

}  // namespace
