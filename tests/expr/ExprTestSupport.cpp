#include "ExprTestSupport.h"

#include <cstring>

#include <gtest/gtest.h>

#include "base/Endian.h"
#include "expr/Expression.h"
#include "expr/ExpressionEvaluator.h"
#include "ReferenceEvaluator.h"
#include "fields/FieldAttributes.h"

namespace exprtest {

TestView::TestView() : record(kRecordLength, 0) {
    struct Def { const char* name; uint8_t type; uint16_t offset, length; int decimals; };
    const Def defs[] = {
        {"Qty", kTypeInteger, 0, 4, 0},        {"Price", kTypeFloat, 4, 8, 0},
        {"Status", kTypeString, 12, 1, 0},     {"Name", kTypeString, 13, 10, 0},
        {"Born", kTypeDate, 23, 4, 0},         {"At", kTypeTime, 27, 4, 0},
        {"Flag", kTypeLogical, 31, 1, 0},      {"Qty1", kTypeInteger, 32, 2, 0},
        {"Qty2", kTypeFloat, 34, 4, 0},        {"Amount", kTypeDecimal, 38, 4, 2},
        {"Cash", kTypeMoney, 42, 8, 0},        {"Small", kTypeUnsignedInteger, 50, 2, 0},
        {"Note", kTypeZString, 52, 12, 0},
    };
    uint16_t id = 1;
    for (const Def& d : defs) fields.Add(FieldAttributes::FromDictionary(d.name, d.type, d.offset, d.length, 0, id++, d.decimals));
    SetQty(3);
    SetPrice(40.5);
    SetStatus('S');
    SetName("Smith");
    const uint8_t born[4] = {31, 1, 0xE7, 0x07};  // 31/01/2023
    std::memcpy(&record[23], born, 4);
    const uint8_t at[4] = {0, 9, 5, 13};  // 13:05:09
    std::memcpy(&record[27], at, 4);
    record[31] = 1;
    le::PutI16(&record[32], 2);
    const float q2 = 3.5f;
    std::memcpy(&record[34], &q2, 4);
    const uint8_t amount[4] = {0x00, 0x01, 0x23, 0x4F};  // 12.34
    std::memcpy(&record[38], amount, 4);
    le::PutU16(&record[50], 65535);
    std::memcpy(&record[52], "note text", 9);
}

void TestView::SetQty(int32_t v) { le::PutI32(&record[0], v); }
void TestView::SetPrice(double v) { std::memcpy(&record[4], &v, 8); }
void TestView::SetStatus(char c) { record[12] = static_cast<uint8_t>(c); }
void TestView::SetName(const char* text) {
    std::memset(&record[13], ' ', 10);
    std::memcpy(&record[13], text, std::min<size_t>(10, std::strlen(text)));
}

void TestView::AddCalculated(const char* name, const char* formula) {
    fields.Add(FieldAttributes::Calculated(name, 10, formula, 2));
}

void TestView::InstallEvaluator() { fields.SetFormulaEvaluator(std::make_shared<ExpressionEvaluator>()); }

std::string Describe(bool ok, const Variant& value, const Estring& message) {
    if (!ok) return "error:" + message.ToStdString();
    return std::string(VariantKindName(value.kind)) + ":" + VariantToText(value, 80, -1).ToStdString();
}

std::string EvalBoth(const FieldList* fields, const uint8_t* record, int recordLength, const char* formula) {
    Expression compiled(fields, formula);
    Variant a;
    const bool okA = compiled.Evaluate(record, recordLength, a);
    expr::ReferenceExpression reference(fields, formula);
    Variant b;
    const bool okB = reference.Evaluate(record, recordLength, b);
    const std::string da = Describe(okA, a, compiled.ErrorMessage());
    const std::string db = Describe(okB, b, reference.ErrorMessage());
    EXPECT_EQ(da, db) << "formula: " << formula;
    if (okA && okB) {
        EXPECT_TRUE(a.SameAs(b)) << "formula: " << formula;
    }
    return da;
}

}  // namespace exprtest
