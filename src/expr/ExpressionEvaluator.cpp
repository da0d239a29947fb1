#include "expr/ExpressionEvaluator.h"

#include "expr/EvalContext.h"
#include "expr/Expression.h"
#include "fields/FieldAttributes.h"

ExpressionEvaluator::ExpressionEvaluator() = default;
ExpressionEvaluator::~ExpressionEvaluator() = default;

bool ExpressionEvaluator::EvaluateToText(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                         int width, int decimals, Estring& text) const {
    Variant value;
    Estring message;
    if (!EvaluateField(field, record, recordLength, value, message)) return false;
    text = VariantToText(value, width, decimals);
    return true;
}

bool ExpressionEvaluator::EvaluateToVariant(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                            Variant& result, Estring& message) const {
    return EvaluateField(field, record, recordLength, result, message);
}

bool ExpressionEvaluator::EvaluateField(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                        Variant& result, Estring& message) const {
    if (cache.size() > kMaxEntries && expr::EvaluationDepth::Current() == 0) cache.clear();
    Entry& entry = cache[&field];
    if (entry.expression != nullptr && entry.owner != field.owner) {
        if (entry.expression->Busy()) {
            // Never replace a running program: evaluate this one afresh.
            Expression fresh(field.owner, field.formula);
            if (fresh.Evaluate(record, recordLength, result)) return true;
            message = fresh.ErrorMessage();
            return false;
        }
        entry.expression.reset();
    }
    if (entry.expression == nullptr) {
        entry.owner = field.owner;
        entry.expression = std::make_unique<Expression>(field.owner, field.formula);
    } else if (!entry.expression->Busy()) {
        entry.expression->SetText(field.formula);
    }
    Expression& expression = *entry.expression;
    if (expression.Evaluate(record, recordLength, result)) return true;
    message = expression.ErrorMessage();
    return false;
}
