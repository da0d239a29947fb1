#include "viewfile/ViewFile.h"

#include <string>

#include "base/StdFile.h"
#include "viewfile/Csv.h"
#include "viewfile/ReplaceFile.h"

namespace {

constexpr std::string_view kJoinHeader = "[Join:";
constexpr std::string_view kFieldHeader = "[Field:";
constexpr std::string_view kCalcFieldHeader = "[CalcField:";

void Line(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out += '=';
    out.append(value);
    out += '\n';
}

std::string RangeLine(const std::vector<Estring>& values) {
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) line += ',';
        line.append(csvEncode(values[i].View()).View());
    }
    return line;
}

// Section headers are compared without regard to letter case.
bool StartsWithHeader(std::string_view line, std::string_view header) {
    return line.size() >= header.size() && Estring::Compare(line.substr(0, header.size()), header) == 0;
}

// "[Field:Name]" -> "Name": the rest without its last character.
Estring SectionName(std::string_view line, std::string_view header) {
    std::string_view rest = line.substr(header.size());
    if (!rest.empty()) rest.remove_suffix(1);
    return Estring(rest);
}

std::vector<Estring> RangeValues(std::string_view text) {
    std::vector<Estring> values;
    int position = 0;
    while (static_cast<size_t>(position) < text.size()) values.push_back(csvDecode(text, position));
    // A trailing comma leaves one more (empty) value.
    if (!text.empty() && text.back() == ',') values.emplace_back();
    return values;
}

bool ParseInt(std::string_view text, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > 1000000000LL) return false;
    }
    value = static_cast<int>(negative ? -v : v);
    return true;
}

}  // namespace

Estring defaultViewName(const Estring& dataFileName) {
    std::string_view name = dataFileName.View();
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return Estring(name) + ".qdx";
}

void writeJoinSection(const JoinDescription& j, std::string& out) {
    out += "[Join:" + j.name.ToStdString() + "]\n";
    Line(out, "DictionaryName", j.dictionaryName.View());
    Line(out, "Location", j.location.View());
    Line(out, "Index", std::to_string(j.index));
    for (const Estring& value : j.values) Line(out, "JoinValue", value.View());
    out += '\n';
}

std::string formatViewText(const ViewDefinition& view) {
    std::string out;
    out += kViewFileHeader;
    out += '\n';
    Line(out, "DictionaryName", view.dictionaryName.View());
    Line(out, "Index", std::to_string(view.index));
    if (!view.filter.IsEmpty()) Line(out, "Filter", view.filter.View());
    if (view.rangeActive) {
        Line(out, "RangeMin", RangeLine(view.rangeMin));
        Line(out, "RangeMax", RangeLine(view.rangeMax));
    }
    out += '\n';
    for (const ViewSection& section : view.sections) {
        if (!section.isJoin) continue;
        writeJoinSection(section.join, out);
    }
    for (const ViewSection& section : view.sections) {
        if (section.isJoin) continue;
        const FieldSection& f = section.field;
        out += (f.calculated ? "[CalcField:" : "[Field:") + f.name.ToStdString() + "]\n";
        if (f.hasWidth) Line(out, "Width", std::to_string(f.width));
        if (f.hasDecimals) Line(out, "DecPlaces", std::to_string(f.decimals));
        if (f.hasEnabled) Line(out, "Enabled", f.enabled ? "Y" : "N");
        if (f.calculated) Line(out, "Formula", f.formula.View());
        out += '\n';
    }
    return out;
}

bool parseViewText(std::string_view text, const Estring& tableName, const Estring& viewName, ViewDefinition& out,
                   ViewFileMessage& message) {
    message = ViewFileMessage();
    if (text.empty()) {
        message = {"Unable to read view file", viewName};
        return false;
    }
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    if (lines[0] != kViewFileHeader) {
        message = {"Invalid view file", viewName};
        return false;
    }

    ViewDefinition view;
    // Sections live in a vector that grows: keep indexes, not pointers, across appends.
    int fieldSection = -1, joinSection = -1;
    Estring pendingJoinName, joinedTable;
    bool matched = false;
    for (size_t n = 1; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        if (StartsWithHeader(line, kJoinHeader)) {
            pendingJoinName = SectionName(line, kJoinHeader);
            joinedTable.Clear();
            fieldSection = -1;
            continue;
        }
        bool calc = StartsWithHeader(line, kCalcFieldHeader);
        if (calc || StartsWithHeader(line, kFieldHeader)) {
            ViewSection section;
            section.field.name = SectionName(line, calc ? kCalcFieldHeader : kFieldHeader);
            section.field.calculated = calc;
            view.sections.push_back(section);
            fieldSection = static_cast<int>(view.sections.size()) - 1;
            joinSection = -1;
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (fieldSection >= 0 && matched) {
            FieldSection& f = view.sections[static_cast<size_t>(fieldSection)].field;
            int number = 0;
            if (key == "Width" && ParseInt(value, number)) {
                f.hasWidth = true;
                f.width = number;
            } else if (key == "DecPlaces" && ParseInt(value, number)) {
                f.hasDecimals = true;
                f.decimals = number;
            } else if (key == "Enabled") {
                f.hasEnabled = true;
                f.enabled = !value.empty() && value[0] == 'Y';
            } else if (key == "Formula") {
                f.hasFormula = true;
                f.formula = Estring(value);
            }
        } else if (!pendingJoinName.IsEmpty() && matched) {
            if (key == "DictionaryName") {
                joinedTable = Estring(value);
            } else if (key == "Location") {
                ViewSection section;
                section.isJoin = true;
                section.join.name = pendingJoinName;
                section.join.dictionaryName = joinedTable;
                section.join.location = Estring(value);
                view.sections.push_back(section);
                joinSection = static_cast<int>(view.sections.size()) - 1;
            } else if (joinSection >= 0) {
                JoinDescription& j = view.sections[static_cast<size_t>(joinSection)].join;
                int number = 0;
                if (key == "Index" && ParseInt(value, number)) j.index = number;
                else if (key == "JoinValue") j.values.emplace_back(value);
            }
        } else if (key == "DictionaryName") {
            if (!(Estring(value) == tableName)) {  // Estring equality ignores A-Z case
                message = {"Incompatible view file", ""};
                return false;
            }
            matched = true;
            view.dictionaryName = Estring(value);
        } else if (matched) {
            int number = 0;
            if (key == "Index" && ParseInt(value, number)) {
                view.hasIndex = true;
                view.index = number;
            } else if (key == "Filter") {
                view.filter = Estring(value);
            } else if (key == "RangeMin") {
                view.rangeActive = view.hasRangeMin = true;
                view.rangeMin = RangeValues(value);
            } else if (key == "RangeMax") {
                view.rangeActive = view.hasRangeMax = true;
                view.rangeMax = RangeValues(value);
            }
        }
    }
    out = std::move(view);
    return true;
}

bool writeView(const ViewDefinition& view, const Estring& path, const ConfirmOverwrite& confirm,
               ViewFileMessage& message) {
    message = ViewFileMessage();
    if (confirm) {
        StdFile existing;
        if (existing.Open(path.View(), StdFile::kShareReadWrite, StdFile::kRead) == 0) {
            existing.Close();
            if (!confirm(path)) return false;
        }
    }
    if (replaceFile(path, formatViewText(view)) != 0) {
        message = {"Error creating view file", path};
        return false;
    }
    return true;
}

bool readView(const Estring& path, const Estring& tableName, const Estring& dataFileName, ViewDefinition& out,
              ViewFileMessage& message) {
    Estring viewName = defaultViewName(dataFileName);
    StdFile file;
    if (file.Open(path.View(), StdFile::kShareReadWrite, StdFile::kRead) != 0) {
        message = {"Unable to open view file", viewName};
        return false;
    }
    std::string text;
    char chunk[4096];
    for (;;) {
        int got = 0;
        if (file.Read(chunk, sizeof chunk, got) != 0) {
            message = {"Unable to read view file", viewName};
            return false;
        }
        if (got == 0) break;
        text.append(chunk, static_cast<size_t>(got));
    }
    return parseViewText(text, tableName, viewName, out, message);
}
