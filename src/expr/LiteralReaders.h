#pragma once
// Literal words to values, through the shared number, date and time readers.

#include <cstdint>
#include <string_view>

#include "fields/Variant.h"

namespace expr {

DateValue ReadDateLiteral(std::string_view text);
TimeValue ReadTimeLiteral(std::string_view text);   // from 00:00:00.00
long double ReadRealLiteral(std::string_view text);
int64_t ReadInt32Literal(std::string_view text);      // sign and digits in 32 bits, widened

}  // namespace expr
