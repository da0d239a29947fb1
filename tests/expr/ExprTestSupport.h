#pragma once
// A small view for formula tests: a record with one field of each kind the
// language reads, calculated fields, and helpers that run a formula through
// both the compiled Expression and the re-parsing ReferenceExpression.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Estring.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"

namespace exprtest {

// Record layout of the test view:
//   OFFSET WIDTH FIELD   TYPE
//   0      4     Qty     Integer
//   4      8     Price   Float
//   12     1     Status  String
//   13     10    Name    String
//   23     4     Born    Date
//   27     4     At      Time
//   31     1     Flag    Logical
//   32     2     Qty1    Integer
//   34     4     Qty2    Float
//   38     4     Amount  Decimal, 2 places
//   42     8     Cash    Money (no value)
//   50     2     Small   Unsigned Integer
//   52     12    Note    ZString
constexpr int kRecordLength = 64;

struct TestView {
    TestView();
    FieldList fields;
    std::vector<uint8_t> record;
    // Field setters writing into record.
    void SetQty(int32_t v);
    void SetPrice(double v);
    void SetStatus(char c);
    void SetName(const char* text);
    void AddCalculated(const char* name, const char* formula);
    void InstallEvaluator();  // an ExpressionEvaluator for the calculated fields
};

// "kind:text" of a value (text as STR gives it), or "error:message".
std::string Describe(bool ok, const Variant& value, const Estring& message);

// Runs the formula through both evaluators; a mismatch is a test failure.
// Returns the compiled evaluator's description.
std::string EvalBoth(const FieldList* fields, const uint8_t* record, int recordLength, const char* formula);

}  // namespace exprtest
