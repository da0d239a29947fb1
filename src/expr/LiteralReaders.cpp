#include "expr/LiteralReaders.h"

#include "fields/NumberText.h"

namespace expr {

DateValue ReadDateLiteral(std::string_view text) { return TextToDate(text); }

TimeValue ReadTimeLiteral(std::string_view text) {
    TimeValue time;
    TextToTime(text, time);
    return time;
}

long double ReadRealLiteral(std::string_view text) { return ReadReal(text); }

int64_t ReadInt32Literal(std::string_view text) {
    // A sign, then digits up to the first character that is not one (a "-"
    // after the digits is not a sign here, unlike in field texts). Integer
    // literals have at most nine characters, so 32 bits always hold them.
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

}  // namespace expr
