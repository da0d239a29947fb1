#include "base/Estring.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

unsigned char FoldAZ(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Code page 437 letters that exist in both cases: lower, upper.
constexpr unsigned char kCasePairs[][2] = {
    {0x87, 0x80},  // c cedilla
    {0x81, 0x9A},  // u diaeresis
    {0x82, 0x90},  // e acute
    {0x84, 0x8E},  // a diaeresis
    {0x86, 0x8F},  // a ring
    {0x91, 0x92},  // ae
    {0x94, 0x99},  // o diaeresis
    {0xA4, 0xA5},  // n tilde
};

}  // namespace

unsigned char UpperChar(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - ('a' - 'A'));
    for (const auto& pair : kCasePairs)
        if (pair[0] == c) return pair[1];
    return c;
}

unsigned char LowerChar(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    for (const auto& pair : kCasePairs)
        if (pair[1] == c) return pair[0];
    return c;
}

Estring::Estring() : buffer(inlineArea), capacity(kInlineCapacity), length(0) { inlineArea[0] = 0; }

Estring::Estring(const char* text) : Estring() {
    if (text) Assign(text, static_cast<int>(std::strlen(text)));
}

Estring::Estring(const char* bytes, int n) : Estring() {
    if (bytes && n > 0) Assign(bytes, n);
}

Estring::Estring(std::string_view text) : Estring() { Assign(text.data(), static_cast<int>(text.size())); }

Estring::Estring(const Estring& other) : Estring() { Assign(other.buffer, other.length); }

Estring::Estring(Estring&& other) noexcept : Estring() {
    if (other.IsOnHeap()) {
        buffer = other.buffer;
        capacity = other.capacity;
        length = other.length;
        other.buffer = other.inlineArea;
        other.capacity = kInlineCapacity;
        other.length = 0;
        other.inlineArea[0] = 0;
    } else {
        Assign(other.buffer, other.length);
    }
}

Estring::Estring(int minimumCapacity) : Estring() {
    if (minimumCapacity > capacity) {
        buffer = static_cast<char*>(std::malloc(static_cast<size_t>(minimumCapacity) + 1));
        capacity = minimumCapacity;
        buffer[0] = 0;
    }
}

Estring::Estring(char ch, int n) : Estring() {
    if (n <= 0) return;
    std::vector<char> run(static_cast<size_t>(n), ch);
    Assign(run.data(), n);
}

Estring::~Estring() { Release(); }

void Estring::Release() {
    if (IsOnHeap()) std::free(buffer);
    buffer = inlineArea;
    capacity = kInlineCapacity;
}

void Estring::Assign(const char* bytes, int n) {
    if (n < 0) n = 0;
    if (n > capacity) {
        // The source may live inside this string (s = s.Mid(...) goes through a temporary,
        // but Assign(buffer + k, ...) must still be safe): copy before freeing.
        char* block = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
        std::memcpy(block, bytes, static_cast<size_t>(n));
        Release();
        buffer = block;
        capacity = n;
    } else if (n > 0) {
        std::memmove(buffer, bytes, static_cast<size_t>(n));
    }
    length = n;
    buffer[length] = 0;
}

void Estring::Reserve(int n) {
    if (n <= capacity) return;
    int newCapacity = n + n / 4;
    char* block = static_cast<char*>(std::malloc(static_cast<size_t>(newCapacity) + 1));
    std::memcpy(block, buffer, static_cast<size_t>(length) + 1);
    int keep = length;
    Release();
    buffer = block;
    capacity = newCapacity;
    length = keep;
}

Estring& Estring::operator=(const Estring& other) {
    if (this != &other) Assign(other.buffer, other.length);
    return *this;
}

Estring& Estring::operator=(Estring&& other) noexcept {
    if (this == &other) return *this;
    if (other.IsOnHeap()) {
        Release();
        buffer = other.buffer;
        capacity = other.capacity;
        length = other.length;
        other.buffer = other.inlineArea;
        other.capacity = kInlineCapacity;
        other.length = 0;
        other.inlineArea[0] = 0;
    } else {
        Assign(other.buffer, other.length);
    }
    return *this;
}

Estring& Estring::operator=(const char* text) {
    Assign(text ? text : "", text ? static_cast<int>(std::strlen(text)) : 0);
    return *this;
}

void Estring::Clear() {
    length = 0;
    buffer[0] = 0;
}

void Estring::Append(const char* bytes, int n) {
    if (!bytes || n <= 0) return;
    if (length + n > capacity) {
        // bytes may point into this string; keep a copy across the reallocation.
        if (bytes >= buffer && bytes <= buffer + length) {
            Estring copy(bytes, n);
            Reserve(length + n);
            std::memcpy(buffer + length, copy.buffer, static_cast<size_t>(n));
        } else {
            Reserve(length + n);
            std::memcpy(buffer + length, bytes, static_cast<size_t>(n));
        }
    } else {
        std::memmove(buffer + length, bytes, static_cast<size_t>(n));
    }
    length += n;
    buffer[length] = 0;
}

Estring& Estring::operator+=(const Estring& other) {
    Append(other.buffer, other.length);
    return *this;
}

Estring& Estring::operator+=(const char* text) {
    if (text) Append(text, static_cast<int>(std::strlen(text)));
    return *this;
}

Estring& Estring::operator+=(char ch) {
    Append(&ch, 1);
    return *this;
}

int Estring::FindChar(char ch) const {
    for (int i = 0; i < length; ++i)
        if (buffer[i] == ch) return i;
    return -1;
}

int Estring::FindCharFromRight(char ch) const {
    for (int i = length - 1; i >= 0; --i)
        if (buffer[i] == ch) return i;
    return -1;
}

int Estring::Find(std::string_view text, int start) const {
    if (start < 0) start = 0;
    if (start > length) return -1;
    size_t at = View().find(text, static_cast<size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

Estring Estring::Left(int n) const {
    if (n < 0) n = 0;
    if (n > length) n = length;
    return Estring(buffer, n);
}

Estring Estring::Right(int n) const {
    if (n < 0) n = 0;
    if (n > length) n = length;
    return Estring(buffer + length - n, n);
}

Estring Estring::Mid(int start, int n) const {
    if (start < 0) start = 0;
    if (start > length) start = length;
    int rest = length - start;
    if (n <= 0 || n > rest) n = rest;
    return Estring(buffer + start, n);
}

Estring Estring::DropRight(int n) const { return Left(length - (n < 0 ? 0 : n)); }

Estring Estring::PadOrCut(int width, char fill) const {
    if (width < 0) width = 0;
    if (length >= width) return Left(width);
    Estring result(*this);
    result += Estring(fill, width - length);
    return result;
}

Estring Estring::PadOrCutLeft(int width, char fill) const {
    if (width < 0) width = 0;
    if (length >= width) return Left(width);
    Estring result(fill, width - length);
    result += *this;
    return result;
}

Estring Estring::TrimLeft() const {
    int i = 0;
    while (i < length && IsWhite(buffer[i])) ++i;
    return Mid(i, length - i);
}

Estring Estring::TrimRight() const {
    int n = length;
    while (n > 0 && IsWhite(buffer[n - 1])) --n;
    return Left(n);
}

Estring Estring::Trim() const { return TrimLeft().TrimRight(); }

Estring Estring::ToUpper() const {
    Estring result(*this);
    for (int i = 0; i < result.length; ++i)
        result.buffer[i] = static_cast<char>(UpperChar(static_cast<unsigned char>(result.buffer[i])));
    return result;
}

Estring Estring::ToLower() const {
    Estring result(*this);
    for (int i = 0; i < result.length; ++i)
        result.buffer[i] = static_cast<char>(LowerChar(static_cast<unsigned char>(result.buffer[i])));
    return result;
}

long long Estring::ToInt() const {
    int i = 0;
    while (i < length && buffer[i] == ' ') ++i;
    bool negative = false;
    if (i < length && (buffer[i] == '-' || buffer[i] == '+')) negative = buffer[i++] == '-';
    unsigned long long value = 0;
    for (; i < length && buffer[i] >= '0' && buffer[i] <= '9'; ++i)
        value = value * 10 + static_cast<unsigned>(buffer[i] - '0');  // wraps like the C library on overflow
    return negative ? static_cast<long long>(0 - value) : static_cast<long long>(value);
}

Estring Estring::FromInt(long long value, int base) {
    if (base < 2 || base > 36) base = 10;
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    char digits[72];
    int n = 0;
    bool negative = value < 0;
    unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                            : static_cast<unsigned long long>(value);
    do {
        digits[n++] = kDigits[magnitude % static_cast<unsigned>(base)];
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude);
    Estring result;
    if (negative) result += '-';
    while (n > 0) result += digits[--n];
    return result;
}

Estring Estring::FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return Estring();
    std::vector<char> text(static_cast<size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    return Estring(text.data(), n);
}

Estring Estring::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Estring result = FormatV(format, args);
    va_end(args);
    return result;
}

int Estring::Compare(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldAZ(static_cast<unsigned char>(a[i]));
        unsigned char cb = FoldAZ(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

Estring operator+(const Estring& a, const Estring& b) {
    Estring result(a);
    result += b;
    return result;
}

Estring operator+(const char* a, const Estring& b) {
    Estring result(a);
    result += b;
    return result;
}

Estring operator+(const Estring& a, const char* b) {
    Estring result(a);
    result += b;
    return result;
}

Estring operator+(const Estring& a, char b) {
    Estring result(a);
    result += b;
    return result;
}
