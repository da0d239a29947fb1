#pragma once
// The operators of the formula language and their type rules.
//
// Each operator works in place: the result replaces the left (or only)
// operand. A failure returns the exact message text (a static string) and
// leaves the operands in an unspecified state; success returns nullptr.

#include <cstdint>

#include "expr/Lexer.h"
#include "fields/Variant.h"

namespace expr {

enum class BinaryOp : uint8_t {
    kOr, kAnd,
    kEqual, kExactEqual, kNotEqual,
    kLess, kLessEqual, kGreater, kGreaterEqual, kContains,
    kAdd, kSubtract,
    kMultiply, kDivide, kModulo,
    kPower,
};

// The operator character(s) as written, for diagnostics.
const char* BinaryOpText(BinaryOp op);
BinaryOp FromCompareOp(CompareOp op);  // requires op != kNone

// Brings two operands of different kinds to one kind: integer with real gives
// reals; a date with an integer becomes its day number. Other pairs fail with
// "Incompatible types".
const char* Unify(Variant& a, Variant& b);

const char* ApplyBinary(BinaryOp op, Variant& left, Variant& right);
const char* ApplyNot(Variant& value);
const char* ApplyNegate(Variant& value);

// The "?" check, made as soon as the condition has been read.
const char* CheckCondition(const Variant& condition);
// Unifies the branches and leaves the chosen one in condition's place.
// Requires: CheckCondition(condition) succeeded.
const char* ApplyConditional(Variant& condition, Variant& whenTrue, Variant& whenFalse);

}  // namespace expr
