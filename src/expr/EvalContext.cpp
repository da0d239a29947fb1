#include "expr/EvalContext.h"

#include "fields/FieldList.h"

namespace expr {

namespace {
// Nested evaluations now running, program-wide (calculated fields naming
// calculated fields, VAL, and through them SUM).
int gEvaluationDepth = 0;
}  // namespace

EvaluationDepth::EvaluationDepth() : entered_(gEvaluationDepth < kMaxEvaluationDepth) {
    if (entered_) ++gEvaluationDepth;
}

EvaluationDepth::~EvaluationDepth() {
    if (entered_) --gEvaluationDepth;
}

int EvaluationDepth::Current() { return gEvaluationDepth; }

bool ReadFieldValue(const EvalContext& context, const FieldAttributes& field, Variant& result, Estring& message) {
    if (field.type == kTypeCalculated) {
        return context.nested->EvaluateCalculated(field, context.record, context.recordLength, result, message);
    }
    if (FieldToVariant(field, context.record, context.recordLength, result)) return true;
    message = Estring("Unsupported data type in field ") + field.name;
    return false;
}

const FieldAttributes* FindField(const EvalContext& context, const Estring& name) {
    return context.fields == nullptr ? nullptr : context.fields->Find(name.View());
}

}  // namespace expr
