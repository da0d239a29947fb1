#include "expr/Operators.h"

#include <cstring>

#include "expr/WildcardMatch.h"

namespace expr {

namespace {

constexpr const char* kIncompatible = "Incompatible types";

// 64-bit integer arithmetic wraps rather than trapping.
int64_t WrapAdd(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }
int64_t WrapSub(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)); }
int64_t WrapMul(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b)); }
int64_t WrapNeg(int64_t a) { return static_cast<int64_t>(0 - static_cast<uint64_t>(a)); }

bool ExactEqual(const Estring& a, const Estring& b) {
    return a.Length() == b.Length() && std::memcmp(a.Text(), b.Text(), static_cast<size_t>(a.Length())) == 0;
}

// Equality of two operands of one kind ("=" when exact is false, "==" when true).
bool Equal(const Variant& a, const Variant& b, bool exact) {
    switch (a.kind) {
    case VariantKind::kLogical: return a.logical == b.logical;
    case VariantKind::kInteger: return a.integer == b.integer;
    case VariantKind::kReal: return a.real == b.real;
    case VariantKind::kString: return exact ? ExactEqual(a.string, b.string) : Estring::Compare(a.string.View(), b.string.View()) == 0;
    case VariantKind::kDate: return PackedDate(a.date) == PackedDate(b.date);
    case VariantKind::kTime: return PackedTime(a.time) == PackedTime(b.time);
    }
    return false;
}

// Strict "less than" of two non-logical operands of one kind.
bool Less(const Variant& a, const Variant& b) {
    switch (a.kind) {
    case VariantKind::kInteger: return a.integer < b.integer;
    case VariantKind::kReal: return a.real < b.real;
    case VariantKind::kString: return Estring::Compare(a.string.View(), b.string.View()) < 0;
    case VariantKind::kDate: return PackedDate(a.date) < PackedDate(b.date);
    case VariantKind::kTime: return PackedTime(a.time) < PackedTime(b.time);
    case VariantKind::kLogical: break;
    }
    return false;
}

const char* Compare(BinaryOp op, Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    bool result = false;
    switch (op) {
    case BinaryOp::kEqual: result = Equal(left, right, false); break;
    case BinaryOp::kExactEqual: result = Equal(left, right, true); break;
    case BinaryOp::kNotEqual: result = !Equal(left, right, false); break;
    case BinaryOp::kContains:
        if (!left.IsString()) return "Containing operator can only apply to string values";
        result = WildcardMatch(right.string.View(), left.string.View());
        break;
    default:
        if (left.IsLogical()) return "Logical values cannot be compared as scalars";
        switch (op) {
        case BinaryOp::kLess: result = Less(left, right); break;
        case BinaryOp::kLessEqual: result = Less(left, right) || Equal(left, right, false); break;
        case BinaryOp::kGreater: result = Less(right, left); break;
        case BinaryOp::kGreaterEqual: result = Less(right, left) || Equal(left, right, false); break;
        default: break;
        }
        break;
    }
    left.SetLogical(result);
    return nullptr;
}

const char* Add(Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    switch (left.kind) {
    case VariantKind::kInteger: left.integer = WrapAdd(left.integer, right.integer); return nullptr;
    case VariantKind::kReal: left.real += right.real; return nullptr;
    case VariantKind::kString: left.string += right.string; return nullptr;
    default: return "Invalid type for addition";
    }
}

const char* Subtract(Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    switch (left.kind) {
    case VariantKind::kInteger: left.integer = WrapSub(left.integer, right.integer); return nullptr;
    case VariantKind::kReal: left.real -= right.real; return nullptr;
    case VariantKind::kDate:
        left.SetInteger(DateToDayNumber(left.date) - DateToDayNumber(right.date));
        return nullptr;
    default: return "Invalid type for subtraction";
    }
}

const char* Multiply(Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    switch (left.kind) {
    case VariantKind::kInteger: left.integer = WrapMul(left.integer, right.integer); return nullptr;
    case VariantKind::kReal: left.real *= right.real; return nullptr;
    default: return "Invalid type for * operator";
    }
}

const char* Divide(Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    switch (left.kind) {
    case VariantKind::kInteger: {
        const int64_t a = left.integer, b = right.integer;
        if (b == 0) return "Division by zero";
        if (b == -1) {  // a / -1 always divides; negate without the overflow trap
            left.integer = WrapNeg(a);
        } else if (a % b == 0) {
            left.integer = a / b;
        } else {
            left.SetReal(static_cast<long double>(a) / static_cast<long double>(b));
        }
        return nullptr;
    }
    case VariantKind::kReal:
        if (right.real == 0) return "Division by zero";
        left.real /= right.real;
        return nullptr;
    default: return "Invalid type for / operator";
    }
}

const char* Modulo(Variant& left, Variant& right) {
    if (const char* error = Unify(left, right)) return error;
    switch (left.kind) {
    case VariantKind::kInteger:
        // A zero divisor gets the division's message rather than a trap.
        if (right.integer == 0) return "Division by zero";
        left.integer = right.integer == -1 ? 0 : left.integer % right.integer;
        return nullptr;
    case VariantKind::kReal: return "modulus operator cannot apply to real value";
    default: return "Invalid type for % operator";
    }
}

const char* Power(Variant& left, Variant& right) {
    if (!right.IsInteger()) return "Power must be an integer";
    if (!left.IsNumber()) return "Invalid type for ^ operator";
    long double base = left.AsReal();
    const int32_t exponent = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(right.integer)));
    uint32_t bits = exponent < 0 ? 0u - static_cast<uint32_t>(exponent) : static_cast<uint32_t>(exponent);
    long double result = 1;
    while (bits != 0) {
        if (bits & 1u) result *= base;
        bits >>= 1;
        if (bits != 0) base *= base;
    }
    left.SetReal(exponent < 0 ? 1 / result : result);
    return nullptr;
}

}  // namespace

const char* BinaryOpText(BinaryOp op) {
    static const char* const kText[] = {"|", "&", "=", "==", "!=", "<", "<=", ">", ">=", "~=",
                                        "+", "-", "*", "/", "%", "^"};
    return kText[static_cast<int>(op)];
}

BinaryOp FromCompareOp(CompareOp op) {
    switch (op) {
    case CompareOp::kLess: return BinaryOp::kLess;
    case CompareOp::kLessEqual: return BinaryOp::kLessEqual;
    case CompareOp::kGreater: return BinaryOp::kGreater;
    case CompareOp::kGreaterEqual: return BinaryOp::kGreaterEqual;
    case CompareOp::kEqual: return BinaryOp::kEqual;
    case CompareOp::kExactEqual: return BinaryOp::kExactEqual;
    case CompareOp::kNotEqual: return BinaryOp::kNotEqual;
    case CompareOp::kContains: return BinaryOp::kContains;
    case CompareOp::kNone: break;
    }
    return BinaryOp::kEqual;
}

const char* Unify(Variant& a, Variant& b) {
    if (a.kind == b.kind) return nullptr;
    if (a.IsInteger() && b.IsReal()) {
        a.SetReal(static_cast<long double>(a.integer));
    } else if (a.IsReal() && b.IsInteger()) {
        b.SetReal(static_cast<long double>(b.integer));
    } else if (a.IsDate() && b.IsInteger()) {
        a.SetInteger(DateToDayNumber(a.date));
    } else if (a.IsInteger() && b.IsDate()) {
        b.SetInteger(DateToDayNumber(b.date));
    } else {
        return kIncompatible;
    }
    return nullptr;
}

const char* ApplyBinary(BinaryOp op, Variant& left, Variant& right) {
    switch (op) {
    case BinaryOp::kOr:
        if (!left.IsLogical() || !right.IsLogical()) return "OR operator can only apply to logical values";
        left.logical = left.logical | right.logical;
        return nullptr;
    case BinaryOp::kAnd:
        if (!left.IsLogical() || !right.IsLogical()) return "AND operator can only apply to logical values";
        left.logical = left.logical & right.logical;
        return nullptr;
    case BinaryOp::kAdd: return Add(left, right);
    case BinaryOp::kSubtract: return Subtract(left, right);
    case BinaryOp::kMultiply: return Multiply(left, right);
    case BinaryOp::kDivide: return Divide(left, right);
    case BinaryOp::kModulo: return Modulo(left, right);
    case BinaryOp::kPower: return Power(left, right);
    default: return Compare(op, left, right);
    }
}

const char* ApplyNot(Variant& value) {
    if (value.IsLogical()) {
        value.logical = value.logical ? 0 : 1;
    } else if (value.IsInteger()) {
        value.SetLogical(value.integer == 0);
    } else {
        return "Invalid type for NOT operator";
    }
    return nullptr;
}

const char* ApplyNegate(Variant& value) {
    if (value.IsInteger()) {
        value.integer = WrapNeg(value.integer);
    } else if (value.IsReal()) {
        value.real = -value.real;
    } else {
        return "Invalid type for unary minus operator";
    }
    return nullptr;
}

const char* CheckCondition(const Variant& condition) {
    return condition.IsLogical() ? nullptr : "Logical value expected for ? operator";
}

const char* ApplyConditional(Variant& condition, Variant& whenTrue, Variant& whenFalse) {
    if (const char* error = Unify(whenTrue, whenFalse)) return error;
    if (condition.logical) {
        condition = whenTrue;
    } else {
        condition = whenFalse;
    }
    return nullptr;
}

}  // namespace expr
