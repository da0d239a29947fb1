#include "viewer/KeyText.h"

#include <string>

#include "fields/FieldTypes.h"
#include "fields/TypedText.h"

bool StoreKeyText(const FieldAttributes& segment, uint8_t* image, int size, const Estring& text) {
    std::string value = text.Trim().ToStdString();
    if (IsNumericType(segment.type) && value.size() > 1 && value[0] == '+' && value[1] != '-' && value[1] != '+')
        value.erase(0, 1);
    return StoreTypedText(segment, image, size, value);
}
