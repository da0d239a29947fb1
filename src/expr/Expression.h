#pragma once
// Expression: a formula bound to a FieldList, evaluated against one record
// at a time.
//
// The text is compiled once (when the Expression is built or its text set)
// into a stack program that is run for every record; values and messages
// are exactly those of reading the text afresh each time (the re-parsing
// ReferenceExpression is the yardstick), including which failure wins: the
// first met reading left to right, with both operands of every operator and
// both branches of "?:" computed.
//
// Field names are resolved when the program is built. Evaluate rebuilds it
// when the list's Version() has changed (fields added, removed, moved or
// renamed through the list, or Touch() after a change in place), or when a
// joined or calculated field it names is no longer in place unchanged.
// Rebind() forces a rebuild.
//
// Re-entrant: a calculated field may evaluate the Expression that is
// evaluating it (the program-wide depth limit stops such loops).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "expr/EvalContext.h"
#include "fields/Variant.h"

class FieldAttributes;
class FieldList;

namespace expr {
struct Program;
}

class Expression {
public:
    // fields may be null (no field can be named). The list must outlive the
    // Expression. Nothing is checked here: errors are reported by Evaluate.
    Expression(const FieldList* fields, const Estring& text);
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Replaces the formula and rebuilds the compiled form (no-op for the same
    // text). Called during an evaluation of this object, the running program
    // finishes and the new one is built at the next outermost evaluation.
    void SetText(const Estring& text);
    const Estring& Text() const { return text; }
    const FieldList* Fields() const { return fields; }
    // Resolves the field names again (after fields were renamed).
    void Rebind();

    // Evaluates against record (recordLength bytes). On failure returns false,
    // leaves result unchanged and ErrorMessage() holds the message.
    bool Evaluate(const uint8_t* record, int recordLength, Variant& result);
    const Estring& ErrorMessage() const { return message; }

    // True while an evaluation of this object is running.
    bool Busy() const { return active > 0; }

private:
    using Stack = std::array<Variant, expr::kStackEntries>;
    bool Run(const expr::EvalContext& context, Stack& stack, Variant& result);
    bool Fail(const char* text);
    bool Fail(const Estring& text);
    // A field's value; on failure the message is set.
    bool ReadField(const expr::EvalContext& context, const FieldAttributes& field, Variant& value);

    const FieldList* fields;
    Estring text;
    std::unique_ptr<expr::Program> program;
    Stack firstStack;                                  // the outermost evaluation's values
    std::vector<std::unique_ptr<Stack>> nestedStacks;  // re-entrant evaluations of this object
    int active = 0;
    Estring message;
};

namespace expr {
// How the compiled Expression evaluates nested formulas: VAL compiles its
// string afresh; calculated fields use the evaluator installed in their list
// when it is an ExpressionEvaluator (which keeps them compiled), otherwise a
// fresh Expression.
const NestedEvaluator& CompiledNestedEvaluator();
}  // namespace expr
