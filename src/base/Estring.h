#pragma once
// Estring: the program's 8-bit string with value semantics.
//
// Text is held zero-terminated; it may also contain zero bytes when built from
// a pointer and a length (record bytes shown as text). Comparisons between
// strings, and with plain text, ignore the case of the letters A to Z only.
//
// Storage: up to kInlineCapacity characters live in the object itself; longer
// text gets a heap block. Replacing the text allocates exactly n + 1 bytes;
// appending grows to n + n/4 + 1 bytes and keeps the content.

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

class Estring {
public:
    static constexpr int kInlineCapacity = 21;

    Estring();
    Estring(const char* text);  // NOLINT: implicit from text is how callers write literals
    Estring(const char* bytes, int n);
    explicit Estring(std::string_view text);
    Estring(const Estring& other);
    Estring(Estring&& other) noexcept;
    // An empty string that holds at least minimumCapacity characters without reallocating.
    explicit Estring(int minimumCapacity);
    // ch repeated n times (n < 0 counts as 0).
    Estring(char ch, int n);
    ~Estring();

    Estring& operator=(const Estring& other);
    Estring& operator=(Estring&& other) noexcept;
    Estring& operator=(const char* text);
    void Clear();

    // Appending in place.
    Estring& operator+=(const Estring& other);
    Estring& operator+=(const char* text);
    Estring& operator+=(char ch);
    void Append(const char* bytes, int n);

    int Length() const { return length; }
    int Capacity() const { return capacity; }
    bool IsEmpty() const { return length == 0; }
    bool IsOnHeap() const { return buffer != inlineArea; }
    // Requires: 0 <= i < Length() (index Length() reads the terminator).
    char& operator[](int i) { return buffer[i]; }
    char operator[](int i) const { return buffer[i]; }
    const char* Text() const { return buffer; }
    const char* c_str() const { return buffer; }
    std::string_view View() const { return std::string_view(buffer, static_cast<size_t>(length)); }
    std::string ToStdString() const { return std::string(buffer, static_cast<size_t>(length)); }

    // Index of the first / last occurrence of ch, -1 when absent.
    int FindChar(char ch) const;
    int FindCharFromRight(char ch) const;
    // Index of the first occurrence of text (exact bytes) at or after start, -1 when absent.
    int Find(std::string_view text, int start = 0) const;

    // The first n characters, n clamped to 0 .. Length().
    Estring Left(int n) const;
    // The last n characters, n clamped to 0 .. Length().
    Estring Right(int n) const;
    // From start (clamped to the length); n = 0 or past the end takes the rest.
    Estring Mid(int start, int n = 0) const;
    // All but the last n characters.
    Estring DropRight(int n) const;

    // Cut to width, or filled with fill on the right up to width.
    Estring PadOrCut(int width, char fill = ' ') const;
    // Cut to width, or filled with fill on the left up to width (right-aligned).
    Estring PadOrCutLeft(int width, char fill = ' ') const;

    // Without leading / trailing / both kinds of white space (blank, tab, CR, LF, FF, VT).
    Estring TrimLeft() const;
    Estring TrimRight() const;
    Estring Trim() const;

    // Letter case in the console's code page: A-Z and the accented letters that have both forms.
    Estring ToUpper() const;
    Estring ToLower() const;

    // Decimal value: leading blanks, optional sign, digits; stops at the first other character; 0 when none.
    long long ToInt() const;
    // Digits of value in base 2 to 36 (upper-case letters), with a leading '-' when negative.
    static Estring FromInt(long long value, int base = 10);
    // printf-style formatting.
    static Estring Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static Estring FormatV(const char* format, va_list args);

    // Byte comparison with A-Z taken as a-z: <0, 0, >0.
    static int Compare(std::string_view a, std::string_view b);

private:
    void Assign(const char* bytes, int n);
    void Reserve(int n);  // keeps content, growth rule n + n/4
    void Release();

    char* buffer;
    int capacity;
    int length;
    char inlineArea[24];
};

// Plain text arguments may be null: taken as empty.
inline std::string_view NonNull(const char* text) { return text ? std::string_view(text) : std::string_view(); }

Estring operator+(const Estring& a, const Estring& b);
Estring operator+(const char* a, const Estring& b);
Estring operator+(const Estring& a, const char* b);
Estring operator+(const Estring& a, char b);

inline bool operator==(const Estring& a, const Estring& b) { return Estring::Compare(a.View(), b.View()) == 0; }
inline bool operator!=(const Estring& a, const Estring& b) { return !(a == b); }
inline bool operator<(const Estring& a, const Estring& b) { return Estring::Compare(a.View(), b.View()) < 0; }
inline bool operator<=(const Estring& a, const Estring& b) { return Estring::Compare(a.View(), b.View()) <= 0; }
inline bool operator>(const Estring& a, const Estring& b) { return Estring::Compare(a.View(), b.View()) > 0; }
inline bool operator>=(const Estring& a, const Estring& b) { return Estring::Compare(a.View(), b.View()) >= 0; }
inline bool operator==(const Estring& a, const char* b) { return Estring::Compare(a.View(), NonNull(b)) == 0; }
inline bool operator!=(const Estring& a, const char* b) { return !(a == b); }
inline bool operator<(const Estring& a, const char* b) { return Estring::Compare(a.View(), NonNull(b)) < 0; }
inline bool operator<=(const Estring& a, const char* b) { return Estring::Compare(a.View(), NonNull(b)) <= 0; }
inline bool operator>(const Estring& a, const char* b) { return Estring::Compare(a.View(), NonNull(b)) > 0; }
inline bool operator>=(const Estring& a, const char* b) { return Estring::Compare(a.View(), NonNull(b)) >= 0; }

// Single-character case conversion in the console's code page.
unsigned char UpperChar(unsigned char c);
// Blank, tab, carriage return, line feed, form feed, vertical tab: what
// number readers and trimming skip.
inline bool IsWhite(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
unsigned char LowerChar(unsigned char c);
