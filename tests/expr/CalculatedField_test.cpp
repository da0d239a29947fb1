// Calculated fields: their text through the codec, their values in
// formulas, nesting and the program-wide depth limit.

#include <string>

#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "expr/EvalContext.h"
#include "expr/Expression.h"
#include "expr/ExpressionEvaluator.h"
#include "fields/FieldCodec.h"

using exprtest::EvalBoth;
using exprtest::TestView;

namespace {

constexpr const char* kRecursion = "error:Recusion too deep, possible evaluation loop";

std::string Eval(TestView& view, const char* formula) {
    return EvalBoth(&view.fields, view.record.data(), exprtest::kRecordLength, formula);
}

TEST(CalculatedField, TextThroughTheCodec) {
    TestView view;
    view.AddCalculated("Total", "Qty * Price");
    const FieldAttributes& total = *view.fields.Find("Total");
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "** Error **");  // no evaluator yet
    view.InstallEvaluator();
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "121.5");
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, true), "   121.50 ");
    view.SetQty(1);
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "40.5");
    view.fields.Find("Total")->formula = "Qty +";
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "** Error **");
    view.fields.Find("Total")->formula = "Name + '!'";
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "Smith!");
}

TEST(CalculatedField, ValuesInFormulas) {
    TestView view;
    view.AddCalculated("Total", "Qty * Price");
    view.AddCalculated("Twice", "Total * 2");
    view.AddCalculated("Broken", "1 / 0");
    for (bool installed : {false, true}) {
        if (installed) view.InstallEvaluator();
        EXPECT_EQ(Eval(view, "Total"), "real:121.5");
        EXPECT_EQ(Eval(view, "Twice + 1"), "real:244");
        EXPECT_EQ(Eval(view, "Broken"), "error:Division by zero");
        EXPECT_EQ(Eval(view, "SUM('T*')"), "real:364.5");
        EXPECT_EQ(Eval(view, "SUM('Broken')"), "error:Unable to evaluate field Broken");
    }
    Variant value;
    ASSERT_TRUE(FieldToVariant(*view.fields.Find("Twice"), view.record.data(), exprtest::kRecordLength, value));
    EXPECT_EQ(exprtest::Describe(true, value, ""), "real:243");
    EXPECT_FALSE(FieldToVariant(*view.fields.Find("Broken"), view.record.data(), exprtest::kRecordLength, value));
}

TEST(CalculatedField, NamingItselfStopsAtTheDepthLimit) {
    TestView view;
    view.AddCalculated("Self", "Self + 1");
    view.AddCalculated("Ping", "Pong + 1");
    view.AddCalculated("Pong", "Ping + 1");
    view.AddCalculated("Loop", "VAL('Loop')");
    view.AddCalculated("Fan", "Fan + Fan + Fan");
    for (bool installed : {false, true}) {
        if (installed) view.InstallEvaluator();
        EXPECT_EQ(Eval(view, "Self"), kRecursion);
        EXPECT_EQ(Eval(view, "Ping"), kRecursion);
        EXPECT_EQ(Eval(view, "Loop"), kRecursion);
        EXPECT_EQ(Eval(view, "Fan"), kRecursion);
        EXPECT_EQ(Eval(view, "1/0 + Self"), "error:Division by zero");
        EXPECT_EQ(Eval(view, "VAL('VAL(''Self'')')"), kRecursion);
        EXPECT_EQ(expr::EvaluationDepth::Current(), 0);
    }
    EXPECT_EQ(FieldToText(*view.fields.Find("Self"), view.record.data(), exprtest::kRecordLength, false),
              "** Error **");
    EXPECT_EQ(expr::EvaluationDepth::Current(), 0);
}

TEST(CalculatedField, TenNestedEvaluationsAreAllowed) {
    TestView view;
    view.AddCalculated("C1", "1");
    for (int i = 2; i <= 10; ++i) {
        const std::string name = "C" + std::to_string(i);
        const std::string formula = "C" + std::to_string(i - 1) + " + 1";
        view.AddCalculated(name.c_str(), formula.c_str());
    }
    for (bool installed : {false, true}) {
        if (installed) view.InstallEvaluator();
        EXPECT_EQ(Eval(view, "C9"), "integer:9");  // the formula itself and nine fields
        EXPECT_EQ(Eval(view, "C10"), kRecursion);
        EXPECT_EQ(Eval(view, "VAL('C8')"), "integer:8");
        EXPECT_EQ(Eval(view, "VAL('C9')"), kRecursion);
    }
}

TEST(CalculatedField, EvaluatorFollowsFormulaChanges) {
    TestView view;
    view.AddCalculated("Total", "Qty * 2");
    auto evaluator = std::make_shared<ExpressionEvaluator>();
    view.fields.SetFormulaEvaluator(evaluator);
    const FieldAttributes& total = *view.fields.Find("Total");
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "6");
    EXPECT_EQ(evaluator->CachedCount(), 1);
    view.fields.Find("Total")->formula = "Qty * 3";
    EXPECT_EQ(FieldToText(total, view.record.data(), exprtest::kRecordLength, false), "9");
    EXPECT_EQ(evaluator->CachedCount(), 1);
}

}  // namespace
