#pragma once
// FormulaEvaluator: how the codec asks for the text of a calculated field
// without depending on the expression layer. The expression layer implements
// it; whoever builds a view's FieldList installs it there.

#include <cstdint>

#include "base/Estring.h"

class FieldAttributes;

class FormulaEvaluator {   // implemented by the expression layer
public:
    virtual ~FormulaEvaluator() = default;
    // Evaluates field.formula against record in the context of field's FieldList; on success
    // text is the value's text with the given width and decimal places (-1 = plain form).
    virtual bool EvaluateToText(const FieldAttributes& field, const uint8_t* record, int recordLength,
                                int width, int decimals, Estring& text) const = 0;
};
