#include "fields/FieldAttributes.h"

#include <cstdlib>

#include "fields/FieldCodec.h"

Estring FieldAttributes::NameFromDictionary(std::string_view rawName) {
    Estring name = Estring(rawName).TrimRight();
    for (int i = 0; i < name.Length(); ++i)
        if (name[i] == ' ') name[i] = '_';
    return name;
}

std::unique_ptr<FieldAttributes> FieldAttributes::FromDictionary(std::string_view rawName, uint8_t type,
                                                                 uint16_t offset, uint16_t length, uint16_t flags,
                                                                 uint16_t id, int dictionaryDecimals) {
    auto field = std::make_unique<FieldAttributes>();
    field->name = NameFromDictionary(rawName);
    field->type = type;
    field->offset = offset;
    field->dictionaryOffset = offset;
    field->length = length;
    field->flags = flags;
    field->id = id;
    field->decimals = type == kTypeDecimal ? dictionaryDecimals : kDefaultDecimals;
    field->selected = true;
    field->width = DefaultDisplayWidth(*field);
    return field;
}

std::unique_ptr<FieldAttributes> FieldAttributes::Calculated(const Estring& name, int width, const Estring& formula,
                                                             int decimals) {
    auto field = std::make_unique<FieldAttributes>();
    field->name = name;
    field->type = kTypeCalculated;
    field->formula = formula;
    field->decimals = decimals;
    // Never narrower than the name; the sign (alignment) given is kept.
    long long magnitude = width < 0 ? -static_cast<long long>(width) : width;  // INT_MIN has no int negation
    field->width = magnitude >= name.Length() ? width : (width < 0 ? -name.Length() : name.Length());
    field->selected = true;
    return field;
}
