// Field bytes to text and back, by type code.

#include "fields/FieldCodec.h"

#include <cstring>
#include <string>

#include "base/Endian.h"
#include "fields/FieldBytes.h"
#include "fields/FieldList.h"
#include "fields/NumberText.h"

namespace {

constexpr const char* kFormulaError = "** Error **";
// Currency: ten-thousandths, so four places after the point and at least one before.
constexpr int kCurrencyPlaces = 4;
constexpr uint8_t kDecimalNegative = 0xD;
constexpr uint8_t kDecimalPositive = 0xF;
// Mantissa bits of the IEEE formats, which FormatReal uses to limit digits.
constexpr int kSingleBits = 24;
constexpr int kDoubleBits = 53;
constexpr int kExtendedBits = 64;
constexpr int kExtendedBytes = 10;
// Packed decimals: places beyond this (only a hand-edited view file holds
// them) are taken as this many, so texts stay bounded.
constexpr int kMaxDecimalPlaces = 1000;

int DecimalPlaces(int decimals) {
    if (decimals < 0) return 0;
    return decimals > kMaxDecimalPlaces ? kMaxDecimalPlaces : decimals;
}



std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhite(text.back())) text.remove_suffix(1);
    return text;
}

// A trailing "-" makes a real negative; one minus is enough, so a text that
// also starts with one stays negative instead of turning positive again.
bool OnlyTrailingMinus(std::string_view text) {
    text = Trim(text);
    return text.size() > 1 && text.back() == '-' && text.front() != '-';
}

// ---- Reading --------------------------------------------------------------

long double ReadExtended(const uint8_t* p) {
    static_assert(sizeof(long double) >= kExtendedBytes, "long double must hold the 80-bit extended format");
    long double value = 0;
    std::memcpy(&value, p, kExtendedBytes);
    return value;
}

Estring FloatText(const FieldAttributes& field, const FieldBytes& bytes, bool displayForm) {
    int decimals = displayForm ? field.decimals : -1;
    const uint8_t* p = bytes.data;
    if (field.type == kTypeBFloat) {
        if (bytes.length == 4) return FormatReal(MbfSingleToDouble(p), kSingleBits, field.width, decimals, displayForm);
        if (bytes.length == 8) return FormatReal(MbfDoubleToDouble(p), kDoubleBits, field.width, decimals, displayForm);
        return Estring();
    }
    switch (bytes.length) {
        case 4: {
            float value;
            std::memcpy(&value, p, 4);
            return FormatReal(value, kSingleBits, field.width, decimals, displayForm);
        }
        case 8: {
            double value;
            std::memcpy(&value, p, 8);
            return FormatReal(value, kDoubleBits, field.width, decimals, displayForm);
        }
        case kExtendedBytes:
            return FormatReal(ReadExtended(p), kExtendedBits, field.width, decimals, displayForm);
        default:
            return Estring();
    }
}

// Packed decimal: two digits a byte, the last byte's low half is the sign.
// Leading zero digits are dropped, then zeros padded in front to leave one
// digit before the point. Written in one pass into one buffer: it runs for
// every such field of every exported record.
Estring DecimalText(const FieldAttributes& field, const FieldBytes& bytes, bool displayForm) {
    const uint8_t* p = bytes.data;
    const int length = bytes.length;
    const int nibbles = 2 * length - 1;  // the last byte's low half is the sign
    auto nibble = [p](int k) { return k % 2 == 0 ? p[k / 2] >> 4 : p[k / 2] & 0x0F; };
    int first = 0;
    while (first < nibbles && nibble(first) == 0) ++first;
    const int count = nibbles - first;
    const int decimals = DecimalPlaces(field.decimals);
    const int pad = count < decimals + 1 ? decimals + 1 - count : 0;
    const int total = count + pad;
    const int integerDigits = total - decimals;
    const bool negative = (p[length - 1] & 0x0F) == kDecimalNegative;

    char small[128];
    std::string large;
    const size_t need = static_cast<size_t>(total) + 3;
    char* out = small;
    if (need > sizeof small) {
        large.resize(need);
        out = &large[0];
    }
    char* w = out;
    if (negative && !displayForm) *w++ = '-';
    for (int k = 0; k < total; ++k) {
        if (k == integerDigits && decimals >= 1) *w++ = '.';
        *w++ = static_cast<char>('0' + (k < pad ? 0 : nibble(first + k - pad)));
    }
    if (displayForm) *w++ = negative ? '-' : ' ';
    return Estring(out, static_cast<int>(w - out));
}

Estring CurrencyText(const uint8_t* p) {
    int64_t value = le::GetI64(p);
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = UnsignedToText(magnitude, 10).ToStdString();
    if (digits.size() < kCurrencyPlaces + 1) digits.insert(0, kCurrencyPlaces + 1 - digits.size(), '0');
    digits.insert(digits.size() - kCurrencyPlaces, 1, '.');
    if (value < 0) digits.insert(digits.begin(), '-');
    return Estring(digits);
}

// Where a field's text goes: an Estring (FieldToText) or the end of a
// std::string buffer (AppendFieldText), so one routine serves both.
struct EstringOut {
    Estring& text;
    void Add(const char* bytes, size_t n) { text.Append(bytes, static_cast<int>(n)); }
    void Add(const Estring& t) { text.Append(t.Text(), t.Length()); }
};

struct BufferOut {
    std::string& text;
    void Add(const char* bytes, size_t n) { text.append(bytes, n); }
    void Add(const Estring& t) { text.append(t.Text(), static_cast<size_t>(t.Length())); }
};

// Writes the text before alignment; nothing for fields that cannot be
// converted. dateOrder is the locale's, read once by the caller (four
// characters), or empty to read it here.
template <class Out>
void PutRawText(Out& out, const FieldAttributes& field, const uint8_t* record, int recordLength, bool displayForm,
                std::string_view dateOrder) {
    if (field.type == kTypeCalculated) {
        const FormulaEvaluator* evaluator = field.owner ? field.owner->GetFormulaEvaluator().get() : nullptr;
        Estring text;
        if (evaluator == nullptr ||
            !evaluator->EvaluateToText(field, record, recordLength, field.width, displayForm ? field.decimals : -1,
                                       text))
            return out.Add(kFormulaError, std::strlen(kFormulaError));
        return out.Add(text);
    }
    FieldBytes bytes = LocateField(field, record, recordLength);
    const uint8_t* p = bytes.data;
    int n = bytes.available;
    auto addBytes = [&out](const uint8_t* from, int count) {
        out.Add(reinterpret_cast<const char*>(from), static_cast<size_t>(count));
    };
    switch (field.type) {
        case kTypeString: {
            if (p == nullptr) return;
            const void* zero = std::memchr(p, 0, static_cast<size_t>(n));
            if (zero != nullptr) n = static_cast<int>(static_cast<const uint8_t*>(zero) - p);
            while (n > 0 && IsWhite(static_cast<char>(p[n - 1]))) --n;
            return addBytes(p, n);
        }
        case kTypeZString:
        case kTypeNote: {
            if (p == nullptr) return;
            const void* zero = std::memchr(p, 0, static_cast<size_t>(n));
            if (zero != nullptr) n = static_cast<int>(static_cast<const uint8_t*>(zero) - p);
            return addBytes(p, n);
        }
        case kTypeLString:
            // A length byte past the field's end has no defined text.
            if (p == nullptr || n < 1 || p[0] > n - 1) return;
            return addBytes(p + 1, p[0]);
        default:
            break;
    }
    if (!bytes.Whole()) return;
    int length = bytes.length;
    char chars[kDateCharsCapacity > kIntegerCharsCapacity ? kDateCharsCapacity : kIntegerCharsCapacity];
    static_assert(sizeof chars >= kTimeCharsCapacity, "one buffer for every short text");
    switch (field.type) {
        case kTypeInteger:
        case kTypeAutoIncrement:
            if (IsIntegerLength(length))
                out.Add(chars, static_cast<size_t>(IntegerToChars(le::GetSigned(p, length), chars)));
            return;
        case kTypeUnsignedInteger:
            if (IsIntegerLength(length))
                out.Add(chars, static_cast<size_t>(UnsignedToChars(le::GetUnsigned(p, length), chars)));
            return;
        case kTypeFloat:
        case kTypeBFloat:
            return out.Add(FloatText(field, bytes, displayForm));
        case kTypeDate: {
            if (length < 4) return;
            char order[4];
            if (dateOrder.size() < 4) {
                LocaleDateOrder(order);
                dateOrder = std::string_view(order, 4);
            }
            return out.Add(chars, static_cast<size_t>(DateToChars(ReadDate(p), 1, dateOrder, chars)));
        }
        case kTypeTime:
            if (length >= 4) out.Add(chars, static_cast<size_t>(TimeToChars(ReadTime(p), 1, chars)));
            return;
        case kTypeLogical:
        case kTypeBit:
            if (length >= 1) out.Add(p[0] != 0 ? "Y" : "N", 1);
            return;
        case kTypeDecimal:
            if (length >= 1) out.Add(DecimalText(field, bytes, displayForm));
            return;
        case kTypeCurrency:
            if (length == 8) out.Add(CurrencyText(p));
            return;
        default:
            return;  // Money, Numeric, Lvar, NumericSTS, NumericSA and unknown codes
    }
}

// ---- Writing ------------------------------------------------------------

bool StoreSigned(uint8_t* p, int length, std::string_view text) {
    if (!IsIntegerLength(length)) return false;
    int64_t value;
    if (!ReadSignedInteger(text, value)) return false;
    if (length < 8) {
        int64_t limit = int64_t{1} << (8 * length - 1);
        if (value < -limit || value >= limit) return false;
    }
    le::PutN(p, static_cast<uint64_t>(value), length);
    return true;
}

bool StoreUnsigned(uint8_t* p, int length, std::string_view text) {
    if (!IsIntegerLength(length)) return false;
    uint64_t value;
    if (!ReadUnsignedInteger(text, value)) return false;
    if (length < 8 && value >> (8 * length)) return false;
    le::PutN(p, value, length);
    return true;
}

bool StoreFloat(uint8_t* p, int length, std::string_view text) {
    long double value = ReadReal(text);
    if (OnlyTrailingMinus(text)) value = -value;
    switch (length) {
        case 4: {
            float single = static_cast<float>(static_cast<double>(value));
            std::memcpy(p, &single, 4);
            return true;
        }
        case 8: {
            double dbl = static_cast<double>(value);
            std::memcpy(p, &dbl, 8);
            return true;
        }
        case kExtendedBytes:
            std::memcpy(p, &value, kExtendedBytes);
            return true;
        default:
            return false;
    }
}

bool StoreBFloat(uint8_t* p, int length, std::string_view text) {
    double value = ReadDouble(text);
    if (OnlyTrailingMinus(text)) value = -value;
    if (length == 4) {
        DoubleToMbfSingle(value, p);
        return true;
    }
    if (length == 8) {
        DoubleToMbfDouble(value, p);
        return true;
    }
    return false;
}

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Trims text and takes a trailing and a leading minus sign off it: either
// makes the value negative, and both together still mean one minus.
bool TakeSign(std::string_view& text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && text.back() == '-') {
        negative = true;
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    return negative;
}

// Packed decimal from text: the fraction is cut (not rounded) or padded to
// the field's places; digits that do not fit must be leading zeros.
bool StoreDecimal(uint8_t* p, int length, int decimals, std::string_view text) {
    if (length < 1) return false;
    decimals = DecimalPlaces(decimals);
    bool negative = TakeSign(text);
    size_t point = text.find('.');
    std::string_view integerPart = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (!AllDigits(integerPart) || !AllDigits(fraction)) return false;
    while (!integerPart.empty() && integerPart.front() == '0') integerPart.remove_prefix(1);
    std::string digits(integerPart);
    if (static_cast<int>(fraction.size()) > decimals) fraction = fraction.substr(0, static_cast<size_t>(decimals));
    digits += fraction;
    digits.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    const size_t capacity = static_cast<size_t>(2 * length - 1);
    if (digits.size() > capacity) {
        size_t excess = digits.size() - capacity;
        if (digits.find_first_not_of('0') < excess) return false;
        digits.erase(0, excess);
    }
    digits.insert(0, capacity - digits.size(), '0');
    std::memset(p, 0, static_cast<size_t>(length));
    for (size_t k = 0; k < capacity; ++k) {
        uint8_t nibble = static_cast<uint8_t>(digits[k] - '0');
        p[k / 2] |= (k % 2 == 0) ? static_cast<uint8_t>(nibble << 4) : nibble;
    }
    p[length - 1] |= negative ? kDecimalNegative : kDecimalPositive;
    return true;
}

bool StoreCurrency(uint8_t* p, int length, std::string_view text) {
    if (length != 8) return false;
    bool negative = TakeSign(text);
    size_t point = text.find('.');
    uint64_t units = 0;
    if (!ReadUnsignedInteger(text.substr(0, point), units)) return false;
    uint64_t fraction = 0;
    if (point != std::string_view::npos) {
        std::string_view rest = text.substr(point + 1);
        for (int i = 0; i < kCurrencyPlaces; ++i) {
            char c = i < static_cast<int>(rest.size()) ? rest[i] : '0';
            if (c < '0' || c > '9') {
                rest = rest.substr(0, static_cast<size_t>(i));  // the fraction ends here
                c = '0';
            }
            fraction = fraction * 10 + static_cast<unsigned>(c - '0');
        }
    }
    const uint64_t limit = negative ? (1ULL << 63) : (1ULL << 63) - 1;
    if (units > (limit - fraction) / 10000) return false;
    uint64_t magnitude = units * 10000 + fraction;
    le::PutU64(p, negative ? 0 - magnitude : magnitude);
    return true;
}

bool StoreText(const FieldAttributes& field, uint8_t* p, int n, std::string_view text) {
    switch (field.type) {
        case kTypeString:
            if (static_cast<int>(text.size()) > n) return false;
            std::memset(p, ' ', static_cast<size_t>(n));
            std::memcpy(p, text.data(), text.size());
            return true;
        case kTypeZString:
        case kTypeNote:
            if (static_cast<int>(text.size()) > n - 1) return false;
            std::memset(p, 0, static_cast<size_t>(n));
            std::memcpy(p, text.data(), text.size());
            return true;
        default:  // LString: the length byte holds at most 255
            if (static_cast<int>(text.size()) > n - 1 || text.size() > 255) return false;
            p[0] = static_cast<uint8_t>(text.size());
            std::memcpy(p + 1, text.data(), text.size());
            return true;
    }
}

}  // namespace

Estring AlignToWidth(const Estring& text, int width) {
    if (width > kMaxDisplayWidth) width = kMaxDisplayWidth;
    if (width < -kMaxDisplayWidth) width = -kMaxDisplayWidth;
    if (width >= 0) {
        if (text.Length() >= width) return text.Right(width);
        return Estring(' ', width - text.Length()) + text;
    }
    return text.PadOrCut(-width);
}

Estring FieldToText(const FieldAttributes& field, const uint8_t* record, int recordLength, bool displayForm) {
    Estring text;
    EstringOut out{text};
    PutRawText(out, field, record, recordLength, displayForm, std::string_view());
    if (!displayForm) return text;  // moved out, not copied
    return AlignToWidth(text, field.width);
}

void AppendFieldText(std::string& buffer, const FieldAttributes& field, const uint8_t* record, int recordLength,
                     bool displayForm, std::string_view dateOrder) {
    const size_t start = buffer.size();
    BufferOut out{buffer};
    PutRawText(out, field, record, recordLength, displayForm, dateOrder);
    if (!displayForm) return;
    // AlignToWidth in place.
    int width = field.width;
    if (width > kMaxDisplayWidth) width = kMaxDisplayWidth;
    if (width < -kMaxDisplayWidth) width = -kMaxDisplayWidth;
    const size_t length = buffer.size() - start;
    if (width >= 0) {
        const size_t w = static_cast<size_t>(width);
        if (length >= w) buffer.erase(start, length - w);
        else buffer.insert(start, w - length, ' ');
    } else {
        const size_t w = static_cast<size_t>(-width);
        if (length >= w) buffer.resize(start + w);
        else buffer.append(w - length, ' ');
    }
}

bool FieldFromText(const FieldAttributes& field, uint8_t* record, int recordLength, std::string_view text) {
    if (field.type == kTypeCalculated) return false;
    FieldBytes bytes = LocateField(field, record, recordLength);
    if (bytes.noJoinedRecord) return true;
    if (IsTextType(field.type)) {
        if (bytes.data == nullptr) return field.type == kTypeString && text.empty() && bytes.available == 0;
        return StoreText(field, bytes.data, bytes.available, text);
    }
    if (!bytes.Whole()) return false;
    uint8_t* p = bytes.data;
    int length = bytes.length;
    switch (field.type) {
        case kTypeInteger:
        case kTypeAutoIncrement:
            return StoreSigned(p, length, text);
        case kTypeUnsignedInteger:
            return StoreUnsigned(p, length, text);
        case kTypeFloat:
            return StoreFloat(p, length, text);
        case kTypeBFloat:
            return StoreBFloat(p, length, text);
        case kTypeDate:
            if (length < 4) return false;
            WriteDate(p, TextToDate(text));
            return true;
        case kTypeTime: {
            if (length < 4) return false;
            TimeValue time = ReadTime(p);
            TextToTime(text, time);
            WriteTime(p, time);
            return true;
        }
        case kTypeLogical:
        case kTypeBit: {
            if (length < 1) return false;
            std::string_view word = Trim(text);
            p[0] = word.size() == 1 && ((word[0] | 0x20) == 'y' || (word[0] | 0x20) == 't') ? 1 : 0;
            return true;
        }
        case kTypeDecimal:
            return StoreDecimal(p, length, field.decimals, text);
        case kTypeCurrency:
            return StoreCurrency(p, length, text);
        default:
            return false;
    }
}
