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


// The plain text of a String field lying wholly in the record: cut at a zero
// byte, trailing white space removed (as the codec gives it).
inline int StringFieldLength(const uint8_t* p, int length) {
    int n = 0;
    while (n < length && p[n] != 0) ++n;
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

// Integer and real arithmetic and comparisons without the general dispatch,
// one instance per operator. Returns false when the pair of kinds is not a
// fast case; the caller then applies the general operator, which gives the
// same answer.
template <BinaryOp kOp>
inline bool FastNumbers(Variant& left, int64_t a, int64_t b) {
    const auto ua = static_cast<uint64_t>(a), ub = static_cast<uint64_t>(b);
    if constexpr (kOp == BinaryOp::kAdd) left.integer = static_cast<int64_t>(ua + ub);
    else if constexpr (kOp == BinaryOp::kSubtract) left.integer = static_cast<int64_t>(ua - ub);
    else if constexpr (kOp == BinaryOp::kMultiply) left.integer = static_cast<int64_t>(ua * ub);
    else if constexpr (kOp == BinaryOp::kEqual || kOp == BinaryOp::kExactEqual) left.SetLogical(a == b);
    else if constexpr (kOp == BinaryOp::kNotEqual) left.SetLogical(a != b);
    else if constexpr (kOp == BinaryOp::kLess) left.SetLogical(a < b);
    else if constexpr (kOp == BinaryOp::kLessEqual) left.SetLogical(a <= b);
    else if constexpr (kOp == BinaryOp::kGreater) left.SetLogical(a > b);
    else if constexpr (kOp == BinaryOp::kGreaterEqual) left.SetLogical(a >= b);
    else return false;
    return true;
}

template <BinaryOp kOp>
inline bool FastNumbers(Variant& left, long double a, long double b) {
    if constexpr (kOp == BinaryOp::kAdd) left.SetReal(a + b);
    else if constexpr (kOp == BinaryOp::kSubtract) left.SetReal(a - b);
    else if constexpr (kOp == BinaryOp::kMultiply) left.SetReal(a * b);
    else if constexpr (kOp == BinaryOp::kEqual || kOp == BinaryOp::kExactEqual) left.SetLogical(a == b);
    else if constexpr (kOp == BinaryOp::kNotEqual) left.SetLogical(!(a == b));
    else if constexpr (kOp == BinaryOp::kLess) left.SetLogical(a < b);
    else if constexpr (kOp == BinaryOp::kLessEqual) left.SetLogical(a < b || a == b);
    else if constexpr (kOp == BinaryOp::kGreater) left.SetLogical(b < a);
    else if constexpr (kOp == BinaryOp::kGreaterEqual) left.SetLogical(b < a || a == b);
    else return false;
    return true;
}

template <BinaryOp kOp>
__attribute__((always_inline)) inline bool FastBinary(Variant& left, const Variant& right) {
    const VariantKind lk = left.kind, rk = right.kind;
    if constexpr (kOp == BinaryOp::kAnd || kOp == BinaryOp::kOr) {
        if (lk != VariantKind::kLogical || rk != VariantKind::kLogical) return false;
        if constexpr (kOp == BinaryOp::kAnd) left.logical &= right.logical;
        else left.logical |= right.logical;
        return true;
    } else if constexpr (kOp == BinaryOp::kPower || kOp == BinaryOp::kDivide || kOp == BinaryOp::kModulo ||
                         kOp == BinaryOp::kContains) {
        return false;
    } else {
        if (lk == VariantKind::kInteger && rk == VariantKind::kInteger) {
            return FastNumbers<kOp>(left, left.integer, right.integer);
        }
        if ((lk == VariantKind::kReal || lk == VariantKind::kInteger) &&
            (rk == VariantKind::kReal || rk == VariantKind::kInteger)) {
            return FastNumbers<kOp>(left, left.AsReal(), right.AsReal());
        }
        return false;
    }
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
    if (active > 0) {
        // Never rebuild a program that is running: a version that no list
        // has makes the next outermost evaluation rebuild it.
        program->fieldsVersion = 0;
        return;
    }
    expr::CompileFormula(fields, text, *program);
}

bool Expression::Fail(const char* failure) {
    message = failure;
    return false;
}

bool Expression::ReadField(const expr::EvalContext& context, const FieldAttributes& field, Variant& value) {
    return expr::ReadFieldValue(context, field, value, message);
}

bool Expression::Fail(const Estring& failure) {
    message = failure;
    return false;
}

bool Expression::Evaluate(const uint8_t* record, int recordLength, Variant& result) {
    expr::EvaluationDepth depth;
    if (!depth.entered()) return Fail(expr::kRecursionMessage);
    if (active == 0) {
        // The list's version is checked inline; the fields read through the list only when there are any.
        if (expr::FieldsVersion(fields) != program->fieldsVersion ||
            (program->hasLiveFields && !expr::ProgramStillBound(*program, fields))) {
            Rebind();
        }
    }
    if (active > 0 && static_cast<int>(nestedStacks.size()) < active) nestedStacks.push_back(std::make_unique<Stack>());
    Stack& stack = active == 0 ? firstStack : *nestedStacks[static_cast<size_t>(active - 1)];
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

// The interpreter: threaded dispatch, each handler jumping straight to the
// next one (GCC's labels as values), so that the processor predicts every
// handler's successor on its own in a program run for many records.
bool Expression::Run(const expr::EvalContext& context, Stack& stack, Variant& result) {
    const expr::Program& p = *program;
    const uint8_t* record = context.record;
    const int recordLength = context.recordLength;
    Variant* const base = stack.data();
    Variant* top = base - 1;
    const Instruction* in = p.code.data();

#define QDX_BINARY_LABELS(prefix)                                                                             \
    &&prefix##Or, &&prefix##And, &&prefix##Equal, &&prefix##ExactEqual, &&prefix##NotEqual, &&prefix##Less, \
        &&prefix##LessEqual, &&prefix##Greater, &&prefix##GreaterEqual, &&prefix##Contains, &&prefix##Add,   \
        &&prefix##Subtract, &&prefix##Multiply, &&prefix##Divide, &&prefix##Modulo, &&prefix##Power
    static const void* const kHandlers[] = {
        &&PushConst, &&LoadField, &&LoadInteger, &&LoadUnsigned, &&LoadFloat, &&LoadString, &&LoadCalculated,
        &&Not, &&Negate, &&Binary, &&BinaryConst, &&CompareStringField, &&CheckCondition, &&Conditional, &&Call,
        &&FailInstruction, &&End, QDX_BINARY_LABELS(Binary), QDX_BINARY_LABELS(BinaryConst)};
#undef QDX_BINARY_LABELS
    static_assert(sizeof kHandlers / sizeof kHandlers[0] == expr::kOpCodeCount + 2 * expr::kBinaryOpCount,
                  "one handler per opcode and two per binary operator");

#define QDX_DISPATCH() goto* kHandlers[in->dispatch]
#define QDX_NEXT()          \
    do {                    \
        ++in;               \
        QDX_DISPATCH();     \
    } while (0)
#define QDX_FIELD() p.fields[static_cast<size_t>(in->index)]
#define QDX_INSIDE(f) ((f).copy->offset + (f).copy->length <= recordLength)
// A plain field that does not lie wholly in the record: the general reading.
#define QDX_LOAD_SLOW(f)                                                                \
    do {                                                                                \
        if (!ReadField(context, *(f).copy, *++top)) return false;                       \
    } while (0)
#define QDX_BINARY(name, op)                                                                        \
    Binary##name : {                                                                                \
        if (!FastBinary<op>(top[-1], top[0])) {                                                     \
            if (const char* error = expr::ApplyBinary(op, top[-1], top[0])) return Fail(error);     \
        }                                                                                           \
        --top;                                                                                      \
        QDX_NEXT();                                                                                 \
    }                                                                                               \
    BinaryConst##name : {                                                                           \
        const Variant& constant = p.constants[static_cast<size_t>(in->index)];                      \
        if (!FastBinary<op>(*top, constant)) {                                                      \
            Variant right = constant;                                                               \
            if (const char* error = expr::ApplyBinary(op, *top, right)) return Fail(error);         \
        }                                                                                           \
        QDX_NEXT();                                                                                 \
    }

    QDX_DISPATCH();

PushConst:
    CopyValue(*++top, p.constants[static_cast<size_t>(in->index)]);
    QDX_NEXT();
LoadInteger : {
    const expr::FieldRef& f = QDX_FIELD();
    if (QDX_INSIDE(f)) {
        const uint8_t* q = record + f.copy->offset;
        int64_t value;
        switch (in->aux) {
        case 1: value = static_cast<int8_t>(q[0]); break;
        case 2: value = le::GetI16(q); break;
        case 4: value = le::GetI32(q); break;
        default: value = le::GetI64(q); break;
        }
        (++top)->SetInteger(value);
    } else {
        QDX_LOAD_SLOW(f);
    }
    QDX_NEXT();
}
LoadUnsigned : {
    const expr::FieldRef& f = QDX_FIELD();
    if (QDX_INSIDE(f)) {
        (++top)->SetInteger(static_cast<int64_t>(le::GetUnsigned(record + f.copy->offset, in->aux)));
    } else {
        QDX_LOAD_SLOW(f);
    }
    QDX_NEXT();
}
LoadFloat : {
    const expr::FieldRef& f = QDX_FIELD();
    if (QDX_INSIDE(f)) {
        const uint8_t* q = record + f.copy->offset;
        if (in->aux == 8) {
            double d;
            std::memcpy(&d, q, 8);
            (++top)->SetReal(d);
        } else if (in->aux == 4) {
            float s;
            std::memcpy(&s, q, 4);
            (++top)->SetReal(s);
        } else {
            long double x = 0;
            std::memcpy(&x, q, 10);
            (++top)->SetReal(x);
        }
    } else {
        QDX_LOAD_SLOW(f);
    }
    QDX_NEXT();
}
LoadString : {
    const expr::FieldRef& f = QDX_FIELD();
    if (QDX_INSIDE(f)) {
        const uint8_t* q = record + f.copy->offset;
        (++top)->SetString(reinterpret_cast<const char*>(q), StringFieldLength(q, f.copy->length));
    } else {
        QDX_LOAD_SLOW(f);
    }
    QDX_NEXT();
}
LoadField:
LoadCalculated:
    if (!ReadField(context, *QDX_FIELD().field, *++top)) return false;
    QDX_NEXT();
Not:
    if (const char* error = expr::ApplyNot(*top)) return Fail(error);
    QDX_NEXT();
Negate:
    if (const char* error = expr::ApplyNegate(*top)) return Fail(error);
    QDX_NEXT();
Binary:
BinaryConst:
    return Fail("Incomplete expression");  // never dispatched: each operator has its own handler
CompareStringField : {
    const expr::FieldRef& f = QDX_FIELD();
    const Variant& constant = p.constants[in->count];
    const BinaryOp op = static_cast<BinaryOp>(in->aux);
    if (QDX_INSIDE(f)) {
        const uint8_t* q = record + f.copy->offset;
        const int n = StringFieldLength(q, f.copy->length);
        bool equal;
        if (op == BinaryOp::kExactEqual) {
            equal = n == constant.string.Length() && std::memcmp(q, constant.string.Text(), static_cast<size_t>(n)) == 0;
        } else {
            equal = EqualFolded(q, n, constant.string);
        }
        (++top)->SetLogical(op == BinaryOp::kNotEqual ? !equal : equal);
    } else {
        QDX_LOAD_SLOW(f);
        Variant right = constant;
        if (const char* error = expr::ApplyBinary(op, *top, right)) return Fail(error);
    }
    QDX_NEXT();
}
CheckCondition:
    if (const char* error = expr::CheckCondition(*top)) return Fail(error);
    QDX_NEXT();
Conditional:
    if (const char* error = expr::ApplyConditional(top[-2], top[-1], top[0])) return Fail(error);
    top -= 2;
    QDX_NEXT();
Call : {
    Variant* first = top + 1 - in->count;
    if (in->count == 0) *first = Variant();
    if (!expr::CallFunction(static_cast<expr::FunctionId>(in->aux), first, in->count, context, message)) {
        return false;
    }
    top = first;
    QDX_NEXT();
}
FailInstruction:
    message = p.messages[static_cast<size_t>(in->index)];
    return false;
End:
    if (top != base) return Fail("Incomplete expression");
    CopyValue(result, *top);
    return true;

    QDX_BINARY(Or, BinaryOp::kOr)
    QDX_BINARY(And, BinaryOp::kAnd)
    QDX_BINARY(Equal, BinaryOp::kEqual)
    QDX_BINARY(ExactEqual, BinaryOp::kExactEqual)
    QDX_BINARY(NotEqual, BinaryOp::kNotEqual)
    QDX_BINARY(Less, BinaryOp::kLess)
    QDX_BINARY(LessEqual, BinaryOp::kLessEqual)
    QDX_BINARY(Greater, BinaryOp::kGreater)
    QDX_BINARY(GreaterEqual, BinaryOp::kGreaterEqual)
    QDX_BINARY(Contains, BinaryOp::kContains)
    QDX_BINARY(Add, BinaryOp::kAdd)
    QDX_BINARY(Subtract, BinaryOp::kSubtract)
    QDX_BINARY(Multiply, BinaryOp::kMultiply)
    QDX_BINARY(Divide, BinaryOp::kDivide)
    QDX_BINARY(Modulo, BinaryOp::kModulo)
    QDX_BINARY(Power, BinaryOp::kPower)

#undef QDX_BINARY
#undef QDX_LOAD_SLOW
#undef QDX_INSIDE
#undef QDX_FIELD
#undef QDX_NEXT
#undef QDX_DISPATCH
}
