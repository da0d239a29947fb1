#pragma once
// What an evaluation needs besides the formula: the fields that can be named,
// the current record, and the way nested formulas (VAL, calculated fields)
// are evaluated. The compiled and the re-parsing evaluators differ only in
// the last.

#include <cstdint>
#include <string_view>

#include "base/Estring.h"
#include "fields/Variant.h"

class FieldAttributes;
class FieldList;

namespace expr {

class NestedEvaluator {
public:
    virtual ~NestedEvaluator() = default;
    // VAL: formula evaluated against record in the context of fields.
    virtual bool EvaluateFormula(const FieldList* fields, const Estring& formula, const uint8_t* record,
                                 int recordLength, Variant& result, Estring& message) const = 0;
    // A calculated field's value; message gets the formula's error text.
    virtual bool EvaluateCalculated(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                    Variant& result, Estring& message) const = 0;
};

struct EvalContext {
    const FieldList* fields = nullptr;  // may be null: no field can be named
    const uint8_t* record = nullptr;
    int recordLength = 0;
    const NestedEvaluator* nested = nullptr;
};

// A field named in a formula: calculated fields through the nested evaluator
// (their error text becomes the message), other fields through FieldToVariant
// ("Unsupported data type in field NAME" when the type has no value).
bool ReadFieldValue(const EvalContext& context, const FieldAttributes& field, Variant& result, Estring& message);

// The field of that name in context.fields, or null.
const FieldAttributes* FindField(const EvalContext& context, const Estring& name);

// The program-wide count of nested evaluations. An evaluation may start only
// while fewer than kMaxEvaluationDepth are running.
constexpr int kMaxEvaluationDepth = 10;
constexpr const char* kRecursionMessage = "Recusion too deep, possible evaluation loop";
// The message of ours for a formula that needs more than kStackEntries values
// at once, or that opens brackets (parentheses and function calls) more than
// kMaxBracketNesting deep: reading recurses once per open bracket, and a
// bracket holds no value of its own, so the value stack alone would not stop it.
constexpr int kStackEntries = 20;
constexpr int kMaxBracketNesting = 100;
constexpr const char* kStackMessage = "Expression too complex";

class EvaluationDepth {
public:
    // entered() is false when the limit was reached; the count is then unchanged.
    EvaluationDepth();
    ~EvaluationDepth();
    EvaluationDepth(const EvaluationDepth&) = delete;
    EvaluationDepth& operator=(const EvaluationDepth&) = delete;
    bool entered() const { return entered_; }
    static int Current();

private:
    bool entered_;
};

}  // namespace expr
