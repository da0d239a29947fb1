#pragma once
// ReferenceExpression: the formula evaluator written the plain way, a
// recursive-descent parser that computes as it reads and so reads the whole
// text again on every evaluation. It is the yardstick for the compiled
// Expression: tests and the benchmark require identical values and messages.
// Nested formulas (VAL, calculated fields) are evaluated the same plain way.

#include <array>
#include <cstdint>
#include <string_view>

#include "base/Estring.h"
#include "expr/EvalContext.h"
#include "expr/Functions.h"
#include "expr/Operators.h"
#include "fields/Variant.h"

class FieldList;

namespace expr {

class ReferenceExpression {
public:
    // fields may be null (no field can be named); it must outlive the object.
    ReferenceExpression(const FieldList* fields, const Estring& text);

    // Evaluates against record (recordLength bytes). On failure the message
    // is ErrorMessage() and result is unchanged.
    bool Evaluate(const uint8_t* record, int recordLength, Variant& result);
    const Estring& ErrorMessage() const { return message; }

private:
    void Fail(const Estring& text);
    bool Failed() const { return error; }
    bool Reserve();  // room for one more value, else the stack message
    bool OpenBracket();  // one more bracket level, else the stack message
    void SkipBlanks() { SkipSpaces(text.View(), pos); }
    bool At(char c) const { return pos < text.Length() && text[pos] == c; }
    void Binary(BinaryOp op);

    void Conditional();
    void OrExpr();
    void AndExpr();
    void Equality();
    void Relation();
    void Additive();
    void Multiplicative();
    void PowerExpr();
    void UnaryExpr();
    void Primary();
    void FunctionCall(const Estring& name);

    const FieldList* fields;
    Estring text;
    EvalContext context;
    std::array<Variant, kStackEntries> stack;
    int top = -1;
    int pos = 0;
    int brackets = 0;  // brackets open at the reading position
    bool error = false;
    Estring message;
};

// The plain way of evaluating nested formulas, for ReferenceExpression.
const NestedEvaluator& ReferenceNestedEvaluator();

}  // namespace expr
