// FormatReal: decimal text of an extended-precision value.
//
// The value is brought to 0.d1d2... x 10^E, digits are generated only as far
// as the precision carries (one extra digit is kept to round with), and the
// digit string is then laid out in fixed, plain or exponent form.

#include <cmath>
#include <cstdlib>
#include <string>

#include "fields/NumberText.h"
#include "fields/RealPowers.h"

namespace {

constexpr long double kLog2Of10 = 3.32192809488736234787031942948939L;
constexpr long double kLog10Of2 = 0.30102999566398119521373889472449L;
// Upper bound for width and decimal places so the text stays within kMaxRealText.
constexpr int kMaxLayout = kMaxRealText - 24;

// Rounds a digit string (mantissa 0.d1d2...) at pos: the digit there decides,
// half away from zero; a carry out of the first digit adds a digit and raises
// the exponent. Trailing zeros go.
void RoundDigits(std::string& digits, int pos, int& exponent) {
    if (pos < 0 || pos >= static_cast<int>(digits.size())) return;
    bool up = digits[pos] >= '5';
    digits.resize(pos);
    if (up) {
        int i = pos - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
            ++exponent;
        }
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
}

// Rounds laid-out text at pos. When pos falls on the point the digit after it
// decides; trailing zeros (and a bare point) are removed from a fraction only,
// so that an integer part keeps its value.
void RoundText(std::string& text, int pos) {
    if (pos < 0 || pos >= static_cast<int>(text.size())) return;
    int decide = pos;
    if (text[decide] == '.') ++decide;
    bool up = decide < static_cast<int>(text.size()) && text[decide] >= '5' && text[decide] <= '9';
    text.resize(pos);
    if (up) {
        int i = pos - 1;
        for (; i >= 0; --i) {
            if (text[i] == '.') continue;
            if (text[i] == '9') {
                text[i] = '0';
                continue;
            }
            ++text[i];
            break;
        }
        if (i < 0) text.insert(text.begin(), '1');
    }
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
}

// Integer part: the first E digits (missing ones '0') when E > 0, else "0".
void AppendIntegerPart(std::string& out, const std::string& digits, int exponent) {
    if (exponent <= 0) {
        out += '0';
        return;
    }
    for (int i = 0; i < exponent; ++i) out += i < static_cast<int>(digits.size()) ? digits[i] : '0';
}

std::string FixedLayout(std::string& digits, int& exponent, int width, int decimals) {
    int n = static_cast<int>(digits.size());
    if (exponent + decimals >= 0 && exponent + decimals < n) RoundDigits(digits, exponent + decimals, exponent);
    n = static_cast<int>(digits.size());
    if (exponent + decimals + (decimals > 0 ? 1 : 0) > width) return std::string(width > 1 ? width - 1 : 0, '*');
    std::string out;
    AppendIntegerPart(out, digits, exponent);
    if (decimals > 0) {
        out += '.';
        for (int j = 0; j < decimals; ++j) {
            int k = exponent + j;
            out += (k >= 0 && k < n) ? digits[k] : '0';
        }
    }
    return out;
}

std::string ExponentForm(const std::string& digits, int exponent) {
    std::string out(1, digits[0]);
    if (digits.size() > 1) {
        out += '.';
        out.append(digits, 1, std::string::npos);
    }
    out += 'e';
    out += std::to_string(exponent - 1);
    return out;
}

std::string GeneralLayout(std::string& digits, int& exponent, int width) {
    if (digits.empty()) return "0";
    int n = static_cast<int>(digits.size());
    long needed = exponent >= 0 ? exponent : static_cast<long>(n) - exponent + 1;
    if (needed > width) {
        std::string out = ExponentForm(digits, exponent);
        if (static_cast<int>(out.size()) > width) {
            int expLength = static_cast<int>(std::to_string(exponent - 1).size()) + 1;
            int room = width - expLength;
            int keep = room >= 3 ? room - 1 : 1;
            if (keep < n) {
                RoundDigits(digits, keep, exponent);
                out = ExponentForm(digits, exponent);
            }
        }
        return out;
    }
    std::string out;
    AppendIntegerPart(out, digits, exponent);
    if (exponent < n) {
        out += '.';
        if (exponent < 0) out.append(static_cast<size_t>(-exponent), '0');
        out.append(digits, static_cast<size_t>(exponent > 0 ? exponent : 0), std::string::npos);
    }
    if (static_cast<int>(out.size()) > width) RoundText(out, width);
    return out;
}

// Brings x (finite, > 0) to [0.1, 1) and returns the decimal exponent.
int Normalise(long double& x) {
    int binaryExponent = ilogbl(x);
    int exponent = static_cast<int>(ceill(binaryExponent * kLog10Of2));
    x = ScaleByPowerOf10(x, -exponent);
    if (x >= 1.0L) {
        x /= 10.0L;
        ++exponent;
    }
    for (int guard = 0; guard < 4 && x * 10.0L < 1.0L; ++guard) {
        x *= 10.0L;
        --exponent;
    }
    return exponent;
}

}  // namespace

Estring FormatReal(long double value, int precisionBits, int width, int decimals, bool displayForm) {
    if (width < -kMaxLayout || width > kMaxLayout) width = kMaxLayout;  // no abs(): INT_MIN has none
    width = std::abs(width);
    if (decimals > kMaxLayout) decimals = kMaxLayout;
    if (precisionBits < 1) precisionBits = 1;
    if (precisionBits > 64) precisionBits = 64;

    bool negative = value < 0;
    long double x = fabsl(value);
    std::string text;

    long double check = x - x;  // not zero for infinities, NaNs and invalid extended encodings
    if (check != 0 || std::isnan(x)) {
        text = std::isinf(x) ? "Inf" : "NaN";
    } else if (x == 0) {
        negative = false;
        text = "0";
        if (decimals >= 1) {
            text += '.';
            text.append(static_cast<size_t>(decimals), '0');
        }
        if (displayForm) text += ' ';
        return Estring(text.data(), static_cast<int>(text.size()));
    } else {
        int exponent = Normalise(x);
        std::string digits;
        bool full = false;
        long double bits = 0;
        while (x != 0) {
            x *= 10.0L;
            int digit = static_cast<int>(x);
            if (digit > 9) digit = 9;  // x just below 1 can round up to 10
            if (digit < 0) digit = 0;
            x -= digit;
            bits += kLog2Of10;
            digits += static_cast<char>('0' + digit);
            if (bits + kLog2Of10 > precisionBits) {
                full = true;
                break;
            }
        }
        if (full) RoundDigits(digits, static_cast<int>(digits.size()) - 1, exponent);
        if (displayForm || negative) --width;
        if (width < 1) width = 1;
        // The fixed layout rounds at its decimal places, which lie within the
        // width whenever the text fits; rounding at the width first as well
        // would round twice (12.3449 to 2 places in width 5 would give 12.35).
        if (decimals < 0 && static_cast<int>(digits.size()) > width) RoundDigits(digits, width, exponent);
        text = decimals >= 0 ? FixedLayout(digits, exponent, width, decimals) : GeneralLayout(digits, exponent, width);
    }

    if (displayForm) {
        text += negative ? '-' : ' ';
    } else if (negative) {
        text.insert(text.begin(), '-');
    }
    return Estring(text.data(), static_cast<int>(text.size()));
}
