#pragma once
// ExpressionEvaluator: the evaluator of calculated fields that a view's
// FieldList holds. It keeps one compiled Expression per calculated field and
// rebuilds it when the field's formula text changes.
//
//   auto evaluator = std::make_shared<ExpressionEvaluator>();
//   fields.SetFormulaEvaluator(evaluator);
//
// Single-threaded, like the rest of the program; the cache is the only state.

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "base/Estring.h"
#include "fields/FormulaEvaluator.h"
#include "fields/Variant.h"

class Expression;
class FieldAttributes;
class FieldList;

class ExpressionEvaluator : public FormulaEvaluator, public VariantFormulaEvaluator {
public:
    ExpressionEvaluator();
    ~ExpressionEvaluator() override;

    // The field's value as text: VariantToText with width and decimals.
    bool EvaluateToText(const FieldAttributes& field, const uint8_t* record, int recordLength, int width,
                        int decimals, Estring& text) const override;
    bool EvaluateToVariant(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result,
                           Estring& message) const override;

    // The same, as the expression layer calls it for a calculated field named in a formula.
    bool EvaluateField(const FieldAttributes& field, const uint8_t* record, int recordLength, Variant& result,
                       Estring& message) const;

    // Compiled formulas held (for tests).
    int CachedCount() const { return static_cast<int>(cache.size()); }

private:
    struct Entry {
        const FieldList* owner = nullptr;
        std::unique_ptr<Expression> expression;
    };
    // Fields come and go with the view; past this many entries the cache is
    // emptied the next time no evaluation is running.
    static constexpr size_t kMaxEntries = 512;
    mutable std::unordered_map<const FieldAttributes*, Entry> cache;
};
