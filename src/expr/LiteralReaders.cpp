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
    int64_t value = 0;
    ReadSignedInteger(text, value);
    // Integer literals are read in 32 bits (they have at most nine digits).
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

}  // namespace expr
