#include "expr/WildcardMatch.h"

#include <functional>
#include <string>
#include <unordered_set>

namespace expr {

namespace {

constexpr size_t kNone = std::string_view::npos;

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// The class opened by "[" at open and closed by "]" at close, tested against c.
bool ClassMatches(std::string_view pattern, size_t open, size_t close, unsigned char c) {
    const unsigned char folded = Fold(c);
    size_t i = open + 1;
    bool inverted = false;
    if (i < close && pattern[i] == '^') {
        inverted = true;
        ++i;
    }
    const bool opensWithCaret = inverted;
    const size_t firstEntry = i;
    bool result = opensWithCaret;  // no entry holds c
    while (i < close) {
        unsigned char lo = static_cast<unsigned char>(pattern[i]);
        unsigned char hi = lo;
        if (lo == '^' && i != firstEntry) {
            inverted = !inverted;
            ++i;
            continue;
        }
        if (lo == '-' && i == firstEntry) {
            lo = 0;
            hi = i + 1 < close ? static_cast<unsigned char>(pattern[i + 1]) : 255;
            i += i + 1 < close ? 2 : 1;
        } else if (i + 1 < close && pattern[i + 1] == '-') {
            hi = i + 2 < close ? static_cast<unsigned char>(pattern[i + 2]) : 255;
            i += i + 2 < close ? 3 : 2;
        } else {
            ++i;
        }
        if (folded >= Fold(lo) && folded <= Fold(hi)) result = !inverted;
    }
    return result;
}

// Matches one single-character element at p ("?", a class, or a literal).
// next receives the index after the element.
bool ElementMatches(std::string_view pattern, size_t p, unsigned char c, size_t& next) {
    const char e = pattern[p];
    if (e == '?') {
        next = p + 1;
        return true;
    }
    if (e == '[') {
        const size_t close = pattern.find(']', p + 1);
        if (close != kNone) {
            next = close + 1;
            return ClassMatches(pattern, p, close, c);
        }
    }
    next = p + 1;
    return Fold(static_cast<unsigned char>(e)) == Fold(c);
}

bool HasBraceGroup(std::string_view pattern) {
    const size_t open = pattern.find('{');
    return open != kNone && pattern.find('}', open + 1) != kNone;
}

// A pattern without alternatives: every element but "*" takes one character,
// so backtracking to the last star alone decides (linear in practice).
bool MatchWithoutBraces(std::string_view pattern, std::string_view text) {
    size_t p = 0, t = 0, starP = kNone, starT = 0;
    while (t < text.size()) {
        size_t next = 0;
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starT = t;
        } else if (p < pattern.size() && ElementMatches(pattern, p, static_cast<unsigned char>(text[t]), next)) {
            p = next;
            ++t;
        } else if (starP != kNone) {
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// Attempts that failed: a pattern (by hash and length) against the text left
// (every text tried is a suffix of the whole text, so its length names it).
// With alternatives before stars the same attempt recurs for every earlier
// choice; remembering failures keeps the search polynomial.
class FailedAttempts {
public:
    bool Contains(size_t hash, size_t patternLength, size_t textLeft) const {
        return keys.count(Key{hash, patternLength, textLeft}) != 0;
    }
    void Add(size_t hash, size_t patternLength, size_t textLeft) { keys.insert(Key{hash, patternLength, textLeft}); }

private:
    struct Key {
        size_t hash, patternLength, textLeft;
        bool operator==(const Key& o) const {
            return hash == o.hash && patternLength == o.patternLength && textLeft == o.textLeft;
        }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const { return k.hash ^ (k.patternLength * 0x9E3779B97F4A7C15ULL) ^ (k.textLeft << 1); }
    };
    std::unordered_set<Key, KeyHash> keys;
};

bool Match(std::string_view pattern, std::string_view text, FailedAttempts& failed);

// Match, unless this very attempt has failed before.
bool Attempt(std::string_view pattern, size_t hash, std::string_view text, FailedAttempts& failed) {
    if (failed.Contains(hash, pattern.size(), text.size())) return false;
    if (Match(pattern, text, failed)) return true;
    failed.Add(hash, pattern.size(), text.size());
    return false;
}

bool Match(std::string_view pattern, std::string_view text, FailedAttempts& failed) {
    size_t p = 0, t = 0;
    for (;;) {
        if (p == pattern.size()) return t == text.size();
        const char c = pattern[p];
        if (c == '*') {
            const std::string_view fromStar = pattern.substr(p);
            if (!HasBraceGroup(fromStar)) return MatchWithoutBraces(fromStar, text.substr(t));
            while (p < pattern.size() && pattern[p] == '*') ++p;
            const std::string_view rest = pattern.substr(p);
            const size_t hash = std::hash<std::string_view>()(rest);
            for (size_t s = t; s <= text.size(); ++s) {
                if (Attempt(rest, hash, text.substr(s), failed)) return true;
            }
            return false;
        }
        if (c == '{') {
            const size_t close = pattern.find('}', p + 1);
            if (close != kNone) {
                if (close == p + 1) return false;  // "{}" never matches
                const std::string_view rest = pattern.substr(close + 1);
                size_t start = p + 1;
                for (;;) {
                    size_t comma = pattern.find(',', start);
                    if (comma == kNone || comma > close) comma = close;
                    std::string alternative(pattern.substr(start, comma - start));
                    alternative.append(rest.data(), rest.size());
                    const size_t hash = std::hash<std::string_view>()(alternative);
                    if (Attempt(alternative, hash, text.substr(t), failed)) return true;
                    if (comma == close) return false;
                    start = comma + 1;
                }
            }
        }
        if (t == text.size()) return false;
        size_t next = 0;
        if (!ElementMatches(pattern, p, static_cast<unsigned char>(text[t]), next)) return false;
        p = next;
        ++t;
    }
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text) {
    FailedAttempts failed;
    return Match(pattern, text, failed);
}

}  // namespace expr
