#pragma once
// FieldAttributes: one field of a view (a field of the viewed file, of a
// joined file, or a calculated field) with its column settings.
//
// A plain record: members are public and copying copies every member (the
// formula text included). The owner and join are references, never owned.

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/Estring.h"
#include "fields/FieldTypes.h"

class FieldList;
class FieldJoin;

class FieldAttributes {
public:
    // Decimal places given to every dictionary field that is not Decimal.
    static constexpr int kDefaultDecimals = 2;

    FieldAttributes() = default;
    FieldAttributes(const FieldAttributes&) = default;
    FieldAttributes& operator=(const FieldAttributes&) = default;
    virtual ~FieldAttributes() = default;

    // A field read from a dictionary field record. rawName is the stored name
    // (20 characters, blank padded); trailing white space goes and spaces
    // become "_". Width = DefaultDisplayWidth; decimals = dictionaryDecimals for
    // Decimal fields, 2 otherwise; selected; no formula, join or owner.
    static std::unique_ptr<FieldAttributes> FromDictionary(std::string_view rawName, uint8_t type,
                                                           uint16_t offset, uint16_t length, uint16_t flags,
                                                           uint16_t id, int dictionaryDecimals);

    // A calculated field (type 255): offset, length and id 0; width as given,
    // or the name's length (with the sign given) when the name is longer;
    // selected; no join.
    static std::unique_ptr<FieldAttributes> Calculated(const Estring& name, int width, const Estring& formula,
                                                       int decimals);

    // The dictionary name made usable in a formula: trailing white space removed, spaces to "_".
    static Estring NameFromDictionary(std::string_view rawName);

    bool IsCalculated() const { return type == kTypeCalculated; }
    bool IsJoined() const { return join != nullptr; }

    Estring name;                   // formula name; joined fields are "join.field"
    int32_t width = 0;              // display width: negative left-aligned, positive right-aligned
    Estring formula;                // calculated fields only (empty otherwise)
    uint16_t offset = 0;            // offset in the record (offset in the key for index segments)
    uint16_t dictionaryOffset = 0;  // offset as the dictionary gives it, kept apart from offset
    uint16_t length = 0;            // length in bytes
    uint16_t flags = 0;             // dictionary field flags (key flags for index segments)
    bool selected = true;           // shown as a column and exported
    bool hasFrom = false;           // restriction dialog: lower bound set
    bool hasTo = false;             // restriction dialog: upper bound set
    FieldList* owner = nullptr;     // list whose evaluator and collation apply
    int32_t decimals = 0;           // decimal places
    FieldJoin* join = nullptr;      // joined file supplying the record, or null
    uint16_t id = 0;                // dictionary field identifier
    uint8_t type = kTypeString;     // type code; 255 = calculated
    uint8_t collatingNumber = 0;    // index segments: the file's collating-sequence number
};
