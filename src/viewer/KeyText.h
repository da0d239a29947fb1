#pragma once
// A key value typed into Restrict Records or Goto Record, stored into a key
// image. The codec's readers are lenient ("abc" reads as 0, any three numbers
// as a date), and a bound or a key read that way would silently select other
// records than the ones typed; so the text is checked as the record view
// checks a typed value (fields/TypedText.h). A "+" before a number is taken
// as well, as these entries always took it.

#include <cstdint>

#include "base/Estring.h"
#include "fields/FieldAttributes.h"

// True with segment's value stored in image (size bytes, the segment at its
// own offset); false, image unchanged, when text is not a value of its type.
bool StoreKeyText(const FieldAttributes& segment, uint8_t* image, int size, const Estring& text);
