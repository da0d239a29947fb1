#pragma once
// What a user types into a field, checked before it is stored. The codec's
// readers are lenient so that every stored value reads back (text after a
// number is ignored, any date or time is taken); an editor must not store
// "12x" as 12 or "02/30/2023" as a date that does not exist, so it asks
// here first.
//
// Accepted texts, by type (blanks around the text are ignored):
//   integers, auto-increment   optional "-" before or after the digits; empty is 0
//   float, BFloat              a decimal number with optional exponent, within the
//                              type's range; empty is 0
//   decimal, currency          digits with an optional "." and fraction, a sign
//                              before or after
//   date                       empty or 00/00/0000 (no date), else three numbers in the
//                              locale order, one separator between them, that make
//                              a real date (no number cut down to fit its byte)
//   time                       empty, or hours, minutes, seconds, each after a ":",
//                              up to 23:59:59, then optionally "." and hundredths up
//                              to 99 (the field keeps its own: the reader ignores
//                              them) and an a/p/am/pm
//   others                     whatever the codec itself takes
// Every text must also be stored by FieldFromText (length and range checks).

#include <cstdint>
#include <string_view>

#include "fields/FieldAttributes.h"

// True when text is an acceptable value for field's type (see above).
bool TypedTextAcceptable(const FieldAttributes& field, std::string_view text);

// TypedTextAcceptable, then FieldFromText: on success the field holds the
// value; on failure record is unchanged.
bool StoreTypedText(const FieldAttributes& field, uint8_t* record, int recordLength, std::string_view text);
