#include "expr/Expression.h"

#include <cstring>

#include "base/Endian.h"
#include "expr/ExpressionEvaluator.h"
#include "expr/Functions.h"
#include "expr/Operators.h"
#include "expr/Program.h"
#include "fields/FieldList.h"

using expr::BinaryOp;
using expr::Instruction;
using expr::OpCode;

namespace {

class CompiledNested : public expr::NestedEvaluator {
public:
    bool EvaluateFormula(const FieldList* fields, const Estring& formula, const uint8_t* record, int recordLength,
                         Variant& result, Estring& message) const override {
        Expression inner(fields, formula);
        if (inner.Evaluate(record, recordLength, result)) return true;
        message = inner.ErrorMessage();
        return false;
    }
    bool EvaluateCalculated(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result,
                            Estring& message) const override {
        const FieldList* owner = field.owner;
        if (owner != nullptr) {
            if (const auto* cache = dynamic_cast<const ExpressionEvaluator*>(owner->GetFormulaEvaluator().get())) {
                return cache->EvaluateField(field, record, recordLength, result, message);
            }
        }
        return EvaluateFormula(owner, field.formula, record, recordLength, result, message);
    }
};

const CompiledNested kCompiledNested;

bool IsWhite(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// The plain text of a String field lying wholly in the record: cut at a zero
// byte, trailing white space removed (as the codec gives it).
int StringFieldLength(const uint8_t* p, int length) {
    const void* zero = std::memchr(p, 0, static_cast<size_t>(length));
    int n = zero != nullptr ? static_cast<int>(static_cast<const uint8_t*>(zero) - p) : length;
    while (n > 0 && IsWhite(p[n - 1])) --n;
    return n;
}

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool EqualFolded(const uint8_t* a, int n, const Estring& b) {
    if (n != b.Length()) return false;
    for (int i = 0; i < n; ++i) {
        if (Fold(a[i]) != Fold(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

// Integer and real arithmetic and comparisons without the general dispatch.
// Returns false when the pair is not a fast case (the caller then uses the
// general operator, which gives the same answer).
inline bool FastIntegers(BinaryOp op, Variant& left, int64_t a, int64_t b) {
    switch (op) {
    case BinaryOp::kAdd: left.SetInteger(static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b))); return true;
    case BinaryOp::kSubtract: left.SetInteger(static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b))); return true;
    case BinaryOp::kMultiply: left.SetInteger(static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b))); return true;
    case BinaryOp::kEqual:
    case BinaryOp::kExactEqual: left.SetLogical(a == b); return true;
    case BinaryOp::kNotEqual: left.SetLogical(a != b); return true;
    case BinaryOp::kLess: left.SetLogical(a < b); return true;
    case BinaryOp::kLessEqual: left.SetLogical(a <= b); return true;
    case BinaryOp::kGreater: left.SetLogical(a > b); return true;
    case BinaryOp::kGreaterEqual: left.SetLogical(a >= b); return true;
    default: return false;
    }
}

inline bool FastReals(BinaryOp op, Variant& left, long double a, long double b) {
    switch (op) {
    case BinaryOp::kAdd: left.SetReal(a + b); return true;
    case BinaryOp::kSubtract: left.SetReal(a - b); return true;
    case BinaryOp::kMultiply: left.SetReal(a * b); return true;
    case BinaryOp::kEqual:
    case BinaryOp::kExactEqual: left.SetLogical(a == b); return true;
    case BinaryOp::kNotEqual: left.SetLogical(!(a == b)); return true;
    case BinaryOp::kLess: left.SetLogical(a < b); return true;
    case BinaryOp::kLessEqual: left.SetLogical(a < b || a == b); return true;
    case BinaryOp::kGreater: left.SetLogical(b < a); return true;
    case BinaryOp::kGreaterEqual: left.SetLogical(b < a || a == b); return true;
    default: return false;
    }
}

inline bool FastBinary(BinaryOp op, Variant& left, const Variant& right) {
    const VariantKind lk = left.kind, rk = right.kind;
    if (lk == VariantKind::kLogical && rk == VariantKind::kLogical) {
        if (op == BinaryOp::kAnd) {
            left.logical &= right.logical;
            return true;
        }
        if (op == BinaryOp::kOr) {
            left.logical |= right.logical;
            return true;
        }
        return false;
    }
    if (op == BinaryOp::kPower) return false;  // no unification before "^"
    if (lk == VariantKind::kInteger && rk == VariantKind::kInteger) return FastIntegers(op, left, left.integer, right.integer);
    if ((lk == VariantKind::kReal || lk == VariantKind::kInteger) && (rk == VariantKind::kReal || rk == VariantKind::kInteger)) {
        return FastReals(op, left, left.AsReal(), right.AsReal());
    }
    return false;
}

// Copies the meaningful slot only (the others are never read).
inline void CopyValue(Variant& to, const Variant& from) {
    to.kind = from.kind;
    switch (from.kind) {
    case VariantKind::kLogical: to.logical = from.logical; break;
    case VariantKind::kInteger: to.integer = from.integer; break;
    case VariantKind::kReal: to.real = from.real; break;
    case VariantKind::kString: to.string = from.string; break;
    case VariantKind::kDate: to.date = from.date; break;
    case VariantKind::kTime: to.time = from.time; break;
    }
}

}  // namespace

namespace expr {
const NestedEvaluator& CompiledNestedEvaluator() { return kCompiledNested; }
}  // namespace expr

Expression::Expression(const FieldList* fields, const Estring& text)
    : fields(fields), text(text), program(std::make_unique<expr::Program>()) {
    expr::CompileFormula(fields, text, *program);
}

Expression::~Expression() = default;

void Expression::SetText(const Estring& newText) {
    if (newText.Length() == text.Length() &&
        std::memcmp(newText.Text(), text.Text(), static_cast<size_t>(text.Length())) == 0) {
        return;
    }
    text = newText;
    Rebind();
}

void Expression::Rebind() {
    if (active > 0) return;  // never rebuild a program that is running
    expr::CompileFormula(fields, text, *program);
}

bool Expression::Fail(const char* failure) {
    message = failure;
    return false;
}

bool Expression::Fail(const Estring& failure) {
    message = failure;
    return false;
}

bool Expression::Evaluate(const uint8_t* record, int recordLength, Variant& result) {
    expr::EvaluationDepth depth;
    if (!depth.entered()) return Fail(expr::kRecursionMessage);
    if (active == 0 && !expr::ProgramStillBound(*program, fields)) Rebind();
    if (static_cast<int>(stacks.size()) <= active) stacks.push_back(std::make_unique<Stack>());
    Stack& stack = *stacks[static_cast<size_t>(active)];
    expr::EvalContext context;
    context.fields = fields;
    context.record = record;
    context.recordLength = recordLength;
    context.nested = &kCompiledNested;
    ++active;
    const bool ok = Run(context, stack, result);
    --active;
    return ok;
}

bool Expression::Run(const expr::EvalContext& context, Stack& stack, Variant& result) {
    const expr::Program& p = *program;
    const uint8_t* record = context.record;
    const int recordLength = context.recordLength;
    Variant* base = stack.data();
    Variant* top = base - 1;
    Estring failure;
    for (const Instruction& in : p.code) {
        switch (in.op) {
        case OpCode::kPushConst:
            CopyValue(*++top, p.constants[static_cast<size_t>(in.index)]);
            break;
        case OpCode::kLoadInteger: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            if (f.offset + f.length <= recordLength) {
                (++top)->SetInteger(le::GetSigned(record + f.offset, in.aux));
                break;
            }
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            break;
        }
        case OpCode::kLoadUnsigned: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            if (f.offset + f.length <= recordLength) {
                (++top)->SetInteger(static_cast<int64_t>(le::GetUnsigned(record + f.offset, in.aux)));
                break;
            }
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            break;
        }
        case OpCode::kLoadFloat: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            if (f.offset + f.length <= recordLength) {
                const uint8_t* q = record + f.offset;
                if (in.aux == 8) {
                    double d;
                    std::memcpy(&d, q, 8);
                    (++top)->SetReal(d);
                } else if (in.aux == 4) {
                    float s;
                    std::memcpy(&s, q, 4);
                    (++top)->SetReal(s);
                } else {
                    long double x = 0;
                    std::memcpy(&x, q, 10);
                    (++top)->SetReal(x);
                }
                break;
            }
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            break;
        }
        case OpCode::kLoadString: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            if (f.offset + f.length <= recordLength) {
                const uint8_t* q = record + f.offset;
                (++top)->SetString(reinterpret_cast<const char*>(q), StringFieldLength(q, f.length));
                break;
            }
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            break;
        }
        case OpCode::kLoadField:
        case OpCode::kLoadCalculated: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            break;
        }
        case OpCode::kNot:
            if (const char* error = expr::ApplyNot(*top)) return Fail(error);
            break;
        case OpCode::kNegate:
            if (const char* error = expr::ApplyNegate(*top)) return Fail(error);
            break;
        case OpCode::kBinary: {
            const BinaryOp op = static_cast<BinaryOp>(in.aux);
            if (!FastBinary(op, top[-1], top[0])) {
                if (const char* error = expr::ApplyBinary(op, top[-1], top[0])) return Fail(error);
            }
            --top;
            break;
        }
        case OpCode::kBinaryConst: {
            const BinaryOp op = static_cast<BinaryOp>(in.aux);
            const Variant& constant = p.constants[static_cast<size_t>(in.index)];
            if (!FastBinary(op, *top, constant)) {
                Variant right = constant;
                if (const char* error = expr::ApplyBinary(op, *top, right)) return Fail(error);
            }
            break;
        }
        case OpCode::kCompareStringField: {
            const expr::FieldRef& f = p.fields[static_cast<size_t>(in.index)];
            const Variant& constant = p.constants[in.count];
            const BinaryOp op = static_cast<BinaryOp>(in.aux);
            if (f.offset + f.length <= recordLength) {
                const uint8_t* q = record + f.offset;
                const int n = StringFieldLength(q, f.length);
                bool equal;
                if (op == BinaryOp::kExactEqual) {
                    equal = n == constant.string.Length() && std::memcmp(q, constant.string.Text(), static_cast<size_t>(n)) == 0;
                } else {
                    equal = EqualFolded(q, n, constant.string);
                }
                (++top)->SetLogical(op == BinaryOp::kNotEqual ? !equal : equal);
                break;
            }
            if (!expr::ReadFieldValue(context, *f.field, *++top, failure)) return Fail(failure);
            Variant right = constant;
            if (const char* error = expr::ApplyBinary(op, *top, right)) return Fail(error);
            break;
        }
        case OpCode::kCheckCondition:
            if (const char* error = expr::CheckCondition(*top)) return Fail(error);
            break;
        case OpCode::kConditional:
            if (const char* error = expr::ApplyConditional(top[-2], top[-1], top[0])) return Fail(error);
            top -= 2;
            break;
        case OpCode::kCall: {
            Variant* first = top + 1 - in.count;
            if (in.count == 0) *first = Variant();
            if (!expr::CallFunction(static_cast<expr::FunctionId>(in.aux), first, in.count, context, failure)) {
                return Fail(failure);
            }
            top = first;
            break;
        }
        case OpCode::kFail:
            message = p.messages[static_cast<size_t>(in.index)];
            return false;
        }
    }
    if (top != base) return Fail("Incomplete expression");
    result = *top;
    return true;
}
