#include "expr/Functions.h"

#include <cmath>
#include <ctime>

#include "expr/WildcardMatch.h"
#include "fields/FieldList.h"

namespace expr {

namespace {

// Argument kinds: 'n' integer or real, 's' string, 'i' integer, '*' any.
struct FunctionSpec {
    const char* name;
    int minArgs;
    int maxArgs;
    const char* kinds;
    const char* expects;  // message tail for a wrong kind
};

const FunctionSpec kFunctions[] = {
    {"SQRT", 1, 1, "n", "a number"},
    {"VAL", 1, 1, "s", "a string"},
    {"STR", 1, 1, "*", ""},
    {"LEFT", 2, 2, "si", "a string and an integer"},
    {"RIGHT", 2, 2, "si", "a string and an integer"},
    {"MID", 2, 3, "sii", "a string and an integer"},
    {"UCASE", 1, 1, "s", "a string"},
    {"TODAY", 0, 0, "", ""},
    {"ROUND", 1, 1, "n", "a number"},
    {"ABS", 1, 1, "n", "a number"},
    {"LEN", 1, 1, "s", "a string"},
    {"POS", 2, 2, "ss", "two strings"},
    {"CHOP", 2, 2, "si", "a string and an integer"},
    {"SUM", 1, 1, "s", "a string"},
    {"LTRIM", 1, 1, "s", "a string"},
    {"RTRIM", 1, 1, "s", "a string"},
};

bool KindFits(char wanted, const Variant& value) {
    switch (wanted) {
    case 'n': return value.IsNumber();
    case 's': return value.IsString();
    case 'i': return value.IsInteger();
    default: return true;
    }
}


// A count clamped to 0 .. limit (64-bit arguments, int lengths).
int Clamp(int64_t n, int limit) { return n < 0 ? 0 : n > limit ? limit : static_cast<int>(n); }

bool Fail(Estring& message, FunctionId id, const char* tail) {
    message = Estring(FunctionName(id)) + " expects " + tail;
    return false;
}

// Round half to even, within the 64-bit range.
bool RoundHalfEven(long double x, int64_t& out) {
    if (!(x > -9223372036854775808.0L && x < 9223372036854775808.0L)) return false;
    long double r = std::nearbyintl(x);  // the default rounding mode is to nearest, ties to even
    if (r >= 9223372036854775808.0L) return false;
    out = static_cast<int64_t>(r);
    return true;
}

bool Sum(const Variant& pattern, const EvalContext& context, Variant& result, Estring& message) {
    long double total = 0;
    if (context.fields != nullptr) {
        const FieldList& list = *context.fields;
        for (int i = 0; i < list.Count(); ++i) {
            const FieldAttributes& field = *list.Get(i);
            if (!WildcardMatch(pattern.string.View(), field.name.View())) continue;
            Variant value;
            Estring ignored;  // SUM words its own message
            if (!ReadFieldValue(context, field, value, ignored) || !value.IsNumber()) {
                message = Estring("Unable to evaluate field ") + field.name;
                return false;
            }
            total += value.AsReal();
        }
    }
    result.SetReal(total);
    return true;
}

}  // namespace

bool LookupFunction(std::string_view name, FunctionId& id) {
    for (size_t i = 0; i < sizeof kFunctions / sizeof kFunctions[0]; ++i) {
        if (Estring::Compare(name, kFunctions[i].name) == 0) {
            id = static_cast<FunctionId>(i);
            return true;
        }
    }
    return false;
}

const char* FunctionName(FunctionId id) { return kFunctions[static_cast<int>(id)].name; }

DateValue TodayDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    DateValue date;
    date.day = static_cast<uint8_t>(local.tm_mday);
    date.month = static_cast<uint8_t>(local.tm_mon + 1);
    date.year = static_cast<uint16_t>(local.tm_year + 1900);
    return date;
}

bool CallFunction(FunctionId id, Variant* args, int count, const EvalContext& context, Estring& message) {
    const FunctionSpec& spec = kFunctions[static_cast<int>(id)];
    if (count < spec.minArgs || count > spec.maxArgs) {
        if (spec.minArgs != spec.maxArgs) return Fail(message, id, spec.expects);
        message = Estring(spec.name) + " expects " + Estring::FromInt(spec.minArgs) +
                  (spec.minArgs == 1 ? " parameter" : " parameters");
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!KindFits(spec.kinds[i], args[i])) return Fail(message, id, spec.expects);
    }
    Variant& result = args[0];
    switch (id) {
    case FunctionId::kSqrt: {
        const double x = static_cast<double>(result.AsReal());
        // A negative argument has no real root: refuse it rather than give NaN.
        if (x < 0) return Fail(message, id, "a number that is not negative");
        result.SetReal(std::sqrt(x));
        return true;
    }
    case FunctionId::kVal: {
        const Estring formula = result.string;
        return context.nested->EvaluateFormula(context.fields, formula, context.record, context.recordLength, result, message);
    }
    case FunctionId::kStr:
        result.SetString(VariantToText(result, 80, -1));
        return true;
    case FunctionId::kLeft:
        result.string = result.string.Left(Clamp(args[1].integer, result.string.Length()));
        return true;
    case FunctionId::kRight: {
        const int64_t n = args[1].integer;
        if (n >= 0 && n <= result.string.Length()) result.string = result.string.Right(static_cast<int>(n));
        return true;
    }
    case FunctionId::kMid: {
        const int length = result.string.Length();
        const int64_t offset = args[1].integer;
        if (offset < 0 || offset > length) {
            result.string.Clear();
            return true;
        }
        const int64_t n = count == 3 ? args[2].integer : 0;
        const int rest = length - static_cast<int>(offset);
        result.string = result.string.Mid(static_cast<int>(offset), n <= 0 || n > rest ? rest : static_cast<int>(n));
        return true;
    }
    case FunctionId::kUcase:
        for (int i = 0; i < result.string.Length(); ++i) {
            const char c = result.string[i];
            if (c >= 'a' && c <= 'z') result.string[i] = static_cast<char>(c - 32);
        }
        return true;
    case FunctionId::kToday:
        result.SetDate(TodayDate());
        return true;
    case FunctionId::kRound:
        if (result.IsReal()) {
            int64_t rounded = 0;
            if (!RoundHalfEven(result.real, rounded)) return Fail(message, id, "a number within the integer range");
            result.SetInteger(rounded);
        }
        return true;
    case FunctionId::kAbs:
        if (result.IsInteger()) {
            if (result.integer < 0) result.integer = static_cast<int64_t>(0 - static_cast<uint64_t>(result.integer));
        } else if (result.real < 0) {
            result.real = -result.real;
        }
        return true;
    case FunctionId::kLen:
        result.SetInteger(result.string.Length());
        return true;
    case FunctionId::kPos:
        result.SetInteger(result.string.Find(args[1].string.View()));
        return true;
    case FunctionId::kChop: {
        const int64_t n = args[1].integer;
        if (n >= result.string.Length()) {
            result.string.Clear();
        } else if (n > 0) {
            result.string = result.string.DropRight(static_cast<int>(n));
        }
        return true;
    }
    case FunctionId::kSum: {
        const Variant pattern = result;
        return Sum(pattern, context, result, message);
    }
    case FunctionId::kLtrim: {
        int i = 0;
        while (i < result.string.Length() && IsWhite(result.string[i])) ++i;
        if (i > 0) result.string = result.string.Mid(i, result.string.Length() - i);
        return true;
    }
    case FunctionId::kRtrim: {
        int n = result.string.Length();
        while (n > 0 && IsWhite(result.string[n - 1])) --n;
        if (n < result.string.Length()) result.string = result.string.Left(n);
        return true;
    }
    }
    return true;
}

}  // namespace expr
