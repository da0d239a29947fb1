#include "ReferenceEvaluator.h"

#include "fields/FieldList.h"

namespace expr {

namespace {

class PlainNested : public NestedEvaluator {
public:
    bool EvaluateFormula(const FieldList* fields, const Estring& formula, const uint8_t* record, int recordLength,
                         Variant& result, Estring& message) const override {
        ReferenceExpression inner(fields, formula);
        if (inner.Evaluate(record, recordLength, result)) return true;
        message = inner.ErrorMessage();
        return false;
    }
    bool EvaluateCalculated(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result,
                            Estring& message) const override {
        return EvaluateFormula(field.owner, field.formula, record, recordLength, result, message);
    }
};

const PlainNested kPlainNested;

}  // namespace

const NestedEvaluator& ReferenceNestedEvaluator() { return kPlainNested; }

ReferenceExpression::ReferenceExpression(const FieldList* fields, const Estring& text) : fields(fields), text(text) {}

bool ReferenceExpression::Evaluate(const uint8_t* record, int recordLength, Variant& result) {
    EvaluationDepth depth;
    error = false;
    message.Clear();
    if (!depth.entered()) {
        Fail(kRecursionMessage);
        return false;
    }
    top = -1;
    pos = 0;
    brackets = 0;
    context.fields = fields;
    context.record = record;
    context.recordLength = recordLength;
    context.nested = &kPlainNested;
    Conditional();
    if (!error && top != 0) Fail("Incomplete expression");
    if (!error) {
        SkipBlanks();
        if (pos < text.Length()) Fail("Unexpected text at end of expression");
    }
    if (error) return false;
    result = stack[0];
    return true;
}

void ReferenceExpression::Fail(const Estring& text) {
    error = true;
    message = text;
}

bool ReferenceExpression::Reserve() {
    if (top + 1 < kStackEntries) return true;
    Fail(kStackMessage);
    return false;
}

bool ReferenceExpression::OpenBracket() {
    if (brackets < kMaxBracketNesting) {
        ++brackets;
        return true;
    }
    Fail(kStackMessage);
    return false;
}

void ReferenceExpression::Binary(BinaryOp op) {
    if (const char* failure = ApplyBinary(op, stack[top - 1], stack[top])) {
        Fail(failure);
        return;
    }
    --top;
}

void ReferenceExpression::Conditional() {
    OrExpr();
    if (error) return;
    SkipBlanks();
    if (!At('?')) return;
    if (const char* failure = CheckCondition(stack[top])) return Fail(failure);
    ++pos;
    OrExpr();
    if (error) return;
    SkipBlanks();
    if (!At(':')) return Fail(": expected");
    ++pos;
    Conditional();
    if (error) return;
    if (const char* failure = ApplyConditional(stack[top - 2], stack[top - 1], stack[top])) return Fail(failure);
    top -= 2;
}

void ReferenceExpression::OrExpr() {
    AndExpr();
    while (!error) {
        SkipBlanks();
        if (!At('|')) return;
        ++pos;
        AndExpr();
        if (error) return;
        Binary(BinaryOp::kOr);
    }
}

void ReferenceExpression::AndExpr() {
    Equality();
    while (!error) {
        SkipBlanks();
        if (!At('&')) return;
        ++pos;
        Equality();
        if (error) return;
        Binary(BinaryOp::kAnd);
    }
}

void ReferenceExpression::Equality() {
    Relation();
    if (error) return;
    int length = 0;
    const CompareOp op = ScanCompareOp(text.View(), pos, length);
    if (!IsEqualityOp(op)) return;
    pos += length;
    Relation();
    if (error) return;
    Binary(FromCompareOp(op));
}

void ReferenceExpression::Relation() {
    Additive();
    if (error) return;
    int length = 0;
    const CompareOp op = ScanCompareOp(text.View(), pos, length);
    if (!IsRelationOp(op)) return;
    pos += length;
    Additive();
    if (error) return;
    Binary(FromCompareOp(op));
}

void ReferenceExpression::Additive() {
    Multiplicative();
    while (!error) {
        SkipBlanks();
        BinaryOp op;
        if (At('+')) {
            op = BinaryOp::kAdd;
        } else if (At('-')) {
            op = BinaryOp::kSubtract;
        } else {
            return;
        }
        ++pos;
        Multiplicative();
        if (error) return;
        Binary(op);
    }
}

void ReferenceExpression::Multiplicative() {
    PowerExpr();
    while (!error) {
        SkipBlanks();
        BinaryOp op;
        if (At('*')) {
            op = BinaryOp::kMultiply;
        } else if (At('/')) {
            op = BinaryOp::kDivide;
        } else if (At('%')) {
            op = BinaryOp::kModulo;
        } else {
            return;
        }
        ++pos;
        PowerExpr();
        if (error) return;
        Binary(op);
    }
}

void ReferenceExpression::PowerExpr() {
    UnaryExpr();
    while (!error) {
        SkipBlanks();
        if (!At('^')) return;
        ++pos;
        UnaryExpr();
        if (error) return;
        Binary(BinaryOp::kPower);
    }
}

void ReferenceExpression::UnaryExpr() {
    SkipBlanks();
    const bool isNot = At('!');
    const bool isMinus = At('-');
    if (!isNot && !isMinus) return Primary();
    ++pos;
    Primary();
    if (error) return;
    const char* failure = isNot ? ApplyNot(stack[top]) : ApplyNegate(stack[top]);
    if (failure) Fail(failure);
}

void ReferenceExpression::Primary() {
    SkipBlanks();
    if (At('(')) {
        if (!OpenBracket()) return;
        ++pos;
        Conditional();
        if (error) return;
        SkipBlanks();
        if (!At(')')) return Fail(") expected");
        ++pos;
        --brackets;
        return;
    }
    Word word;
    ReadWord(text.View(), pos, word);
    if (word.mismatched) return Fail("Mismatched quotes");
    SkipBlanks();
    if (word.quote == WordQuote::kNone && At('(')) return FunctionCall(word.text);
    if (!Reserve()) return;
    Variant& slot = stack[top + 1];
    if (word.quote == WordQuote::kDouble) {
        slot.SetString(word.text);
    } else if (const FieldAttributes* field = word.quote == WordQuote::kNone ? FindField(context, word.text) : nullptr) {
        Estring failure;
        if (!ReadFieldValue(context, *field, slot, failure)) return Fail(failure);
    } else {
        slot = ClassifyWord(word.text);
    }
    ++top;
}

void ReferenceExpression::FunctionCall(const Estring& name) {
    FunctionId id;
    if (!LookupFunction(name.View(), id)) return Fail(Estring("Unknown function name '") + name + "'");
    if (!OpenBracket()) return;
    ++pos;  // the "("
    const int first = top + 1;
    int count = 0;
    if (!At(')')) {
        for (;;) {
            Conditional();
            if (error) return;
            ++count;
            SkipBlanks();
            if (!At(',')) break;
            ++pos;
        }
    }
    if (!At(')')) return Fail("Function missing closing bracket");
    ++pos;
    --brackets;
    if (count == 0) {
        if (!Reserve()) return;
        stack[first] = Variant();
    }
    Estring failure;
    if (!CallFunction(id, &stack[first], count, context, failure)) return Fail(failure);
    top = first;
}

}  // namespace expr
