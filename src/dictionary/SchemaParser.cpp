// Reading schema text: one statement a line (table, field, index), words
// separated by blanks, "quoted text" for words with blanks, ":" and "," as
// separators in index lines, "#" to the end of the line a comment.

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "dictionary/Schema.h"
#include "dictionary/SchemaTypes.h"
#include "base/CodePage437.h"

namespace {

struct Token {
    std::string text;
    bool quoted = false;
    bool IsPunct(char c) const { return !quoted && text.size() == 1 && text[0] == c; }
};

class Parser {
public:
    Parser(Schema& schema, SchemaError& error) : schema(schema), error(error) {}

    bool Run(std::string_view text, bool userSchema);

private:
    bool Fail(int line, const std::string& message) {
        error.line = line;
        error.message = Estring(message);
        return false;
    }
    bool Tokenize(std::string_view line, std::vector<Token>& tokens);
    bool ParseTable(const std::vector<Token>& t);
    bool ParseField(const std::vector<Token>& t);
    bool ParseIndex(const std::vector<Token>& t);
    bool Number(const Token& token, const char* what, int& value);
    bool CheckTable(SchemaTable& table);
    bool PlaceFields(SchemaTable& table);
    bool CheckIndexes(SchemaTable& table);
    bool CheckTables(bool userSchema);

    Schema& schema;
    SchemaError& error;
    int lineNumber = 0;
    std::vector<std::vector<bool>> explicitOffsets;
    std::vector<std::vector<bool>> explicitNumbers;
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool Is(const Token& token, const char* word) { return !token.quoted && Lower(token.text) == word; }

std::string Quote(const Estring& s) { return "'" + s.ToStdString() + "'"; }

// Names compare as the program finds them: A-Z case ignored, blank and "_" alike.
// Trailing blanks are not kept: the dictionary pads names with blanks.
Estring NameKey(const Estring& name) {
    Estring key = name.TrimRight();
    for (int i = 0; i < key.Length(); ++i)
        if (key[i] == ' ') key[i] = '_';
    return key;
}

// Text that is equal for texts Estring's equality takes as equal (A-Z case
// folded), for looking names up instead of comparing every pair.
std::string FoldedKey(const Estring& text) {
    std::string key = text.ToStdString();
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

bool Parser::Tokenize(std::string_view line, std::vector<Token>& tokens) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == ':' || c == ',') {
            tokens.push_back(Token{std::string(1, c), false});
            ++i;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) return Fail(lineNumber, "quoted text is not closed");
            tokens.push_back(Token{std::string(line.substr(i + 1, end - i - 1)), true});
            i = end + 1;
        } else {
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != ':' &&
                   line[i] != ',' && line[i] != '#' && line[i] != '"')
                ++i;
            tokens.push_back(Token{std::string(line.substr(start, i - start)), false});
        }
    }
    return true;
}

bool Parser::Number(const Token& token, const char* what, int& value) {
    const std::string& s = token.text;
    bool ok = !s.empty() && !token.quoted && s.size() <= 9;
    int base = 10;
    size_t start = 0;
    if (ok && s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        start = 2;
    }
    long v = 0;
    for (size_t i = start; ok && i < s.size(); ++i) {
        int d = (s[i] >= '0' && s[i] <= '9') ? s[i] - '0'
                : (base == 16 && s[i] >= 'a' && s[i] <= 'f') ? s[i] - 'a' + 10
                : (base == 16 && s[i] >= 'A' && s[i] <= 'F') ? s[i] - 'A' + 10
                : -1;
        if (d < 0) ok = false;
        v = v * base + d;
    }
    if (!ok) return Fail(lineNumber, std::string(what) + " must be a number, not '" + s + "'");
    value = static_cast<int>(v);
    return true;
}

bool Parser::ParseTable(const std::vector<Token>& t) {
    if (t.size() < 2 || t[1].IsPunct(':') || t[1].IsPunct(','))
        return Fail(lineNumber, "table needs a name");
    SchemaTable table;
    table.name = Estring(t[1].text);
    table.line = lineNumber;
    bool hasLocation = false;
    for (size_t i = 2; i < t.size(); ++i) {
        auto argument = [&](const char* what) -> const Token* {
            if (i + 1 >= t.size()) {
                Fail(lineNumber, std::string(what) + " needs a value");
                return nullptr;
            }
            return &t[++i];
        };
        if (Is(t[i], "location")) {
            const Token* v = argument("location");
            if (!v) return false;
            table.location = Estring(v->text);
            hasLocation = true;
        } else if (Is(t[i], "owner")) {
            const Token* v = argument("owner");
            if (!v) return false;
            table.owner = Estring(v->text);
            if (table.owner.IsEmpty()) return Fail(lineNumber, "the owner name is empty");
        } else if (Is(t[i], "readable")) {
            table.ownerMode |= 1;
        } else if (Is(t[i], "encrypt")) {
            table.ownerMode |= 2;
        } else if (Is(t[i], "record")) {
            const Token* v = argument("record");
            if (!v || !Number(*v, "the record length", table.recordLength)) return false;
            if (table.recordLength < 1 || table.recordLength > kSchemaMaxRecordLength)
                return Fail(lineNumber, "the record length must be from 1 to " + std::to_string(kSchemaMaxRecordLength));
        } else if (Is(t[i], "nocreate")) {
            table.createFile = false;
        } else {
            return Fail(lineNumber, "unknown word '" + t[i].text + "' in a table line");
        }
    }
    if (!hasLocation) return Fail(lineNumber, "table " + Quote(table.name) + " has no location");
    if (table.ownerMode != 0 && table.owner.IsEmpty())
        return Fail(lineNumber, "readable and encrypt need an owner name");
    schema.tables.push_back(table);
    explicitOffsets.emplace_back();
    explicitNumbers.emplace_back();
    return true;
}

bool Parser::ParseField(const std::vector<Token>& t) {
    if (schema.tables.empty()) return Fail(lineNumber, "a field line must follow a table line");
    if (t.size() < 3) return Fail(lineNumber, "a field needs a name and a type");
    SchemaTable& table = schema.tables.back();
    SchemaField field;
    field.name = Estring(t[1].text);
    field.line = lineNumber;
    size_t i = 2;
    // A type name of two words may be written without quotes ("Auto Increment").
    uint8_t type = 0;
    if (i + 1 < t.size() && !t[i].quoted && !t[i + 1].quoted &&
        SchemaTypeFromName(t[i].text + " " + t[i + 1].text, type)) {
        i += 2;
    } else if (SchemaTypeFromName(t[i].text, type)) {
        ++i;
    } else {
        return Fail(lineNumber, "unknown type '" + t[i].text + "'");
    }
    field.type = type;
    const SchemaTypeRule* rule = FindSchemaTypeRule(type);
    bool hasSize = false, hasOffset = false;
    int positional = 0;
    char sizes[64];
    // A size written as a whole number beyond what the parser reads (negative,
    // or past 2^31 - 1) gets the same message as any size out of range.
    auto sizeOutOfRange = [&](const Token& v) {
        const std::string& s = v.text;
        const size_t start = !s.empty() && s[0] == '-' ? 1 : 0;
        if (v.quoted || s.size() <= start) return false;
        for (size_t k = start; k < s.size(); ++k)
            if (s[k] < '0' || s[k] > '9') return false;
        return start == 1 || s.size() > 9;
    };
    auto sizeRangeFail = [&](const std::string& text) {
        return Fail(lineNumber, std::string("size ") + text + " is not allowed for type " + rule->name + " (" +
                                    SchemaSizesText(*rule, sizes, sizeof sizes) + ")");
    };
    for (; i < t.size(); ++i) {
        if (Is(t[i], "at") || Is(t[i], "flags") || Is(t[i], "decimals") || Is(t[i], "size")) {
            std::string word = Lower(t[i].text);
            if (i + 1 >= t.size()) return Fail(lineNumber, word + " needs a number");
            int value = 0;
            if (word == "size" && sizeOutOfRange(t[i + 1])) return sizeRangeFail(t[i + 1].text);
            if (!Number(t[++i], word.c_str(), value)) return false;
            if (word == "at") {
                field.offset = value;
                hasOffset = true;
            } else if (word == "flags") {
                if (value > 0xFFFF) return Fail(lineNumber, "flags must be below 65536");
                field.flags = static_cast<uint16_t>(value);
            } else if (word == "decimals") {
                field.decimals = value;
            } else {
                field.size = value;
                hasSize = true;
            }
        } else if (positional == 0 && sizeOutOfRange(t[i])) {
            return sizeRangeFail(t[i].text);
        } else if (!t[i].quoted && !t[i].text.empty() && t[i].text[0] >= '0' && t[i].text[0] <= '9' && positional < 2) {
            int value = 0;
            if (!Number(t[i], positional == 0 ? "the size" : "the decimal places", value)) return false;
            if (positional++ == 0) {
                field.size = value;
                hasSize = true;
            } else {
                field.decimals = value;
            }
        } else {
            return Fail(lineNumber, "unknown word '" + t[i].text + "' in a field line");
        }
    }
    if (!hasSize) {
        if (rule->defaultSize == 0)
            return Fail(lineNumber, std::string("type ") + rule->name + " needs a size (" +
                                        SchemaSizesText(*rule, sizes, sizeof sizes) + ")");
        field.size = rule->defaultSize;
    }
    if (!SchemaSizeAllowed(*rule, field.size)) return sizeRangeFail(std::to_string(field.size));
    int maxDecimals = (type == 5 || type == 6) ? 2 * field.size - 1 : 15;
    if (field.decimals > maxDecimals)
        return Fail(lineNumber, "at most " + std::to_string(maxDecimals) + " decimal places fit field " + Quote(field.name));
    table.fields.push_back(field);
    explicitOffsets.back().push_back(hasOffset);
    return true;
}

bool Parser::ParseIndex(const std::vector<Token>& t) {
    if (schema.tables.empty()) return Fail(lineNumber, "an index line must follow a table line");
    SchemaTable& table = schema.tables.back();
    SchemaIndex index;
    index.line = lineNumber;
    size_t i = 1;
    bool numbered = false;
    if (i < t.size() && !t[i].quoted && !t[i].text.empty() && t[i].text[0] >= '0' && t[i].text[0] <= '9') {
        if (!Number(t[i], "the index number", index.number)) return false;
        numbered = true;
        ++i;
    } else {
        index.number = table.indexes.empty() ? 0 : table.indexes.back().number + 1;
    }
    for (; i < t.size() && !t[i].IsPunct(':'); ++i) {
        if (Is(t[i], "duplicates") || Is(t[i], "dup")) index.duplicates = true;
        else if (Is(t[i], "unique")) index.duplicates = false;
        else if (Is(t[i], "modifiable") || Is(t[i], "mod")) index.modifiable = true;
        else if (Is(t[i], "null-all")) index.nullAll = true;
        else if (Is(t[i], "null-any")) index.nullAny = true;
        else return Fail(lineNumber, "unknown word '" + t[i].text + "' in an index line (index N OPTIONS : FIELDS)");
    }
    if (i >= t.size()) return Fail(lineNumber, "an index needs \":\" and its fields");
    ++i;
    while (true) {
        if (i >= t.size() || t[i].IsPunct(',') || t[i].IsPunct(':'))
            return Fail(lineNumber, "a field name is missing in the index");
        SchemaSegment segment;
        segment.fieldName = Estring(t[i].text);
        segment.line = lineNumber;
        for (++i; i < t.size() && !t[i].IsPunct(','); ++i) {
            if (Is(t[i], "descending") || Is(t[i], "desc")) segment.descending = true;
            else if (Is(t[i], "ascending") || Is(t[i], "asc")) segment.descending = false;
            else if (Is(t[i], "case-insensitive") || Is(t[i], "nocase")) segment.caseInsensitive = true;
            else if (Is(t[i], "case-sensitive")) segment.caseInsensitive = false;
            else return Fail(lineNumber, "unknown word '" + t[i].text + "' after index field " + Quote(segment.fieldName));
        }
        index.segments.push_back(segment);
        if (i >= t.size()) break;
        ++i;  // the ","
    }
    if (index.nullAll && index.nullAny) return Fail(lineNumber, "null-all and null-any exclude each other");
    table.indexes.push_back(index);
    explicitNumbers.back().push_back(numbered);
    return true;
}

// Offsets not given follow the largest end so far; the variable-length
// field (Note, Lvar) must come last and starts where the fixed part ends.
bool Parser::PlaceFields(SchemaTable& table) {
    size_t tableIndex = static_cast<size_t>(&table - &schema.tables[0]);
    const std::vector<bool>& given = explicitOffsets[tableIndex];
    int end = 0;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        SchemaField& f = table.fields[i];
        const SchemaTypeRule* rule = FindSchemaTypeRule(f.type);
        if (rule->variable) {
            if (i + 1 != table.fields.size())
                return Fail(f.line, std::string("field ") + Quote(f.name) + ": a " + rule->name +
                                        " field holds the variable end of the record and must be the last field");
            continue;
        }
        if (!given[i]) f.offset = end;
        end = std::max(end, f.offset + f.size);
    }
    int fixedLength = table.recordLength > 0 ? table.recordLength : end;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        SchemaField& f = table.fields[i];
        const SchemaTypeRule* rule = FindSchemaTypeRule(f.type);
        if (rule->variable) {
            if (!given[i]) f.offset = fixedLength;
            if (f.offset != fixedLength)
                return Fail(f.line, "field " + Quote(f.name) + " must start at the record end, byte " +
                                        std::to_string(fixedLength));
        }
        int fieldEnd = f.offset + f.size;
        int limit = rule->variable ? kSchemaMaxRecordLength : fixedLength;
        if (fieldEnd > limit || fieldEnd > kSchemaMaxRecordLength) {
            if (table.recordLength > 0 && !rule->variable)
                return Fail(f.line, "field " + Quote(f.name) + " ends at byte " + std::to_string(fieldEnd) +
                                        ", past the record end " + std::to_string(table.recordLength));
            return Fail(f.line, "field " + Quote(f.name) + " ends at byte " + std::to_string(fieldEnd) +
                                    ", past the longest record (" + std::to_string(kSchemaMaxRecordLength) + ")");
        }
    }
    if (fixedLength < 1) return Fail(table.line, "table " + Quote(table.name) + " has no fixed part");
    return true;
}

bool Parser::CheckIndexes(SchemaTable& table) {
    std::stable_sort(table.indexes.begin(), table.indexes.end(),
                     [](const SchemaIndex& a, const SchemaIndex& b) { return a.number < b.number; });
    size_t segments = 0;
    for (const SchemaIndex& index : table.indexes) segments += index.segments.size();
    if (segments > static_cast<size_t>(kSchemaMaxSegments))
        return Fail(table.line, "table " + Quote(table.name) + " has " + std::to_string(segments) +
                                    " index segments; at most " + std::to_string(kSchemaMaxSegments) + " are read back");
    for (size_t n = 0; n < table.indexes.size(); ++n) {
        SchemaIndex& index = table.indexes[n];
        if (index.number >= 119) return Fail(index.line, "index number " + std::to_string(index.number) + " is above 118");
        if (index.number != static_cast<int>(n)) {
            if (n > 0 && table.indexes[n - 1].number == index.number)
                return Fail(index.line, "index " + std::to_string(index.number) + " is defined twice");
            return Fail(index.line, "index numbers must run from 0 without gaps: index " + std::to_string(n) +
                                        " is missing");
        }
        int keyLength = 0;
        for (size_t s = 0; s < index.segments.size(); ++s) {
            SchemaSegment& seg = index.segments[s];
            seg.field = table.FindField(seg.fieldName);
            if (seg.field < 0)
                return Fail(seg.line, "index " + std::to_string(index.number) + ": no field " + Quote(seg.fieldName) +
                                          " in table " + Quote(table.name));
            const SchemaField& f = table.fields[static_cast<size_t>(seg.field)];
            const SchemaTypeRule* rule = FindSchemaTypeRule(f.type);
            if (!rule->keyable)
                return Fail(seg.line, "field " + Quote(f.name) + " of type " + rule->name + " cannot be part of an index");
            if (seg.caseInsensitive && !rule->text)
                return Fail(seg.line, "field " + Quote(f.name) + " is not text: its index segment cannot ignore case");
            if (f.type == 15 && s != 0)
                return Fail(seg.line, "Auto Increment field " + Quote(f.name) + " must be the first field of index " +
                                          std::to_string(index.number));
            for (size_t p = 0; p < s; ++p)
                if (index.segments[p].field == seg.field)
                    return Fail(seg.line, "field " + Quote(f.name) + " appears twice in index " + std::to_string(index.number));
            keyLength += f.size;
        }
        if (keyLength > kSchemaMaxKeyLength)
            return Fail(index.line, "index " + std::to_string(index.number) + " is " + std::to_string(keyLength) +
                                        " bytes long; a key holds at most " + std::to_string(kSchemaMaxKeyLength));
    }
    return true;
}

// A control character in a name would reach the screen as it is, and a NUL
// byte ends the name when the dictionary's fixed-width field is read back.
bool HasControlCharacter(const Estring& text) {
    for (int i = 0; i < text.Length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c == 127) return true;
    }
    return false;
}

// The system cuts a file or owner name at a NUL byte: it would name another one.
bool HasNul(const Estring& text) { return text.View().find('\0') != std::string_view::npos; }

bool Parser::CheckTable(SchemaTable& table) {
    if (table.name.TrimRight().IsEmpty()) return Fail(table.line, "table needs a name");
    if (HasControlCharacter(table.name))
        return Fail(table.line, "table name " + Quote(table.name) + " holds a control character");
    if (HasNul(table.location)) return Fail(table.line, "the location of table " + Quote(table.name) + " holds a NUL byte");
    if (HasNul(table.owner)) return Fail(table.line, "the owner name of table " + Quote(table.name) + " holds a NUL byte");
    if (table.name.Length() > 20) return Fail(table.line, "table name " + Quote(table.name) + " is longer than 20 characters");
    if (table.location.IsEmpty()) return Fail(table.line, "the location of table " + Quote(table.name) + " is empty");
    if (table.location.Length() > 64) return Fail(table.line, "location " + Quote(table.location) + " is longer than 64 characters");
    // An open takes what follows "+" as the owner name.
    if (table.location.FindChar('+') >= 0)
        return Fail(table.line, "location " + Quote(table.location) + " holds a \"+\", which starts an owner name");
    if (table.owner.Length() > kSchemaMaxOwnerLength)
        return Fail(table.line, "owner name is longer than " + std::to_string(kSchemaMaxOwnerLength) + " characters");
    if (table.fields.empty()) return Fail(table.line, "table " + Quote(table.name) + " has no fields");
    std::unordered_set<std::string> names;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const SchemaField& f = table.fields[i];
        if (f.name.TrimRight().IsEmpty()) return Fail(f.line, "a field name is empty");
        if (HasControlCharacter(f.name))
            return Fail(f.line, "field name " + Quote(f.name) + " holds a control character");
        if (f.name.Length() > 20) return Fail(f.line, "field name " + Quote(f.name) + " is longer than 20 characters");
        if (!names.insert(FoldedKey(NameKey(f.name))).second)
            return Fail(f.line, "field " + Quote(f.name) + " is defined twice in table " + Quote(table.name));
    }
    return PlaceFields(table) && CheckIndexes(table);
}

bool Parser::CheckTables(bool userSchema) {
    // Before the checks below, which compare every pair of tables.
    if (schema.tables.size() > 30000) return Fail(0, "too many tables");
    const Schema* reserved = userSchema ? &DictionarySchema() : nullptr;
    // The first table of each name and of each location.
    std::unordered_map<std::string, size_t> names, locations;
    for (size_t i = 0; i < schema.tables.size(); ++i) {
        SchemaTable& t = schema.tables[i];
        if (!CheckTable(t)) return false;
        const auto name = names.emplace(FoldedKey(t.name.TrimRight()), i).first->second;
        const auto location = locations.emplace(FoldedKey(t.location), i).first->second;
        // The earlier table decides which of the two faults is told, the name on a tie.
        if (name != i && name <= location) return Fail(t.line, "table " + Quote(t.name) + " is defined twice");
        if (location != i)
            return Fail(t.line, "location " + Quote(t.location) + " is already that of table " +
                                    Quote(schema.tables[location].name));
        if (reserved)
            for (const SchemaTable& r : reserved->tables)
                if (r.name == t.name.TrimRight() || r.location == t.location)
                    return Fail(t.line, "table " + Quote(t.name) + " would take the place of the dictionary's own " +
                                            Quote(r.location));
    }
    return true;
}

bool Parser::Run(std::string_view text, bool userSchema) {
    std::string converted = cp437::FromUtf8(text);
    std::string_view rest = converted;
    while (!rest.empty() || lineNumber == 0) {
        ++lineNumber;
        size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        std::vector<Token> tokens;
        if (!Tokenize(line, tokens)) return false;
        if (!tokens.empty()) {
            if (Is(tokens[0], "table")) {
                if (!ParseTable(tokens)) return false;
            } else if (Is(tokens[0], "field")) {
                if (!ParseField(tokens)) return false;
            } else if (Is(tokens[0], "index")) {
                if (!ParseIndex(tokens)) return false;
            } else {
                return Fail(lineNumber, "unknown statement '" + tokens[0].text + "' (table, field or index expected)");
            }
        }
        if (rest.empty()) break;
    }
    return CheckTables(userSchema);
}

}  // namespace

bool ParseSchemaText(std::string_view text, Schema& schema, SchemaError& error, bool userSchema) {
    schema = Schema();
    error = SchemaError();
    Parser parser(schema, error);
    if (parser.Run(text, userSchema)) return true;
    schema = Schema();
    return false;
}

bool ParseSchema(std::string_view text, Schema& schema, SchemaError& error) {
    return ParseSchemaText(text, schema, error, true);
}
