#pragma once
// The sixteen built-in functions. The table order is the lookup order.

#include <cstdint>
#include <string_view>

#include "base/Estring.h"
#include "expr/EvalContext.h"
#include "fields/Variant.h"

namespace expr {

enum class FunctionId : uint8_t {
    kSqrt, kVal, kStr, kLeft, kRight, kMid, kUcase, kToday, kRound, kAbs, kLen, kPos, kChop, kSum,
    kLtrim, kRtrim,
};

// The function of that name (letter case ignored); false when there is none.
bool LookupFunction(std::string_view name, FunctionId& id);
const char* FunctionName(FunctionId id);  // upper case

// Checks the argument count and kinds, then computes the function; the
// result replaces args[0]. Requires: args has room for at least one value
// even when count is 0. On failure message receives the exact text.
bool CallFunction(FunctionId id, Variant* args, int count, const EvalContext& context, Estring& message);

// The local date of the system clock.
DateValue TodayDate();

}  // namespace expr
