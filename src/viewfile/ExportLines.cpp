#include "viewfile/ExportLines.h"

#include "base/Estring.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "viewfile/Csv.h"

namespace {

// Texts of these types hold digits, signs, points, colons, blanks and
// letters only, whatever the bytes: nothing a CSV value escapes.
bool AlwaysPlain(uint8_t type) {
    switch (type) {
        case kTypeInteger:
        case kTypeUnsignedInteger:
        case kTypeAutoIncrement:
        case kTypeTime:
        case kTypeLogical:
        case kTypeBit:
        case kTypeDecimal:
        case kTypeCurrency:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::vector<const FieldAttributes*> exportedFields(const FieldList& fields, bool selectedOnly) {
    std::vector<const FieldAttributes*> out;
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldAttributes* field = fields.Get(i);
        if (!selectedOnly || field->selected) out.push_back(field);
    }
    return out;
}

void appendCsvHeading(std::string& out, const std::vector<const FieldAttributes*>& fields, const CsvStyle& style) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        if (style.encodeHeading) csvEncodeAppend(out, fields[i]->name.View());
        else out.append(fields[i]->name.View());
    }
    out += style.lineEnd;
}

void appendCsvRecord(std::string& out, const std::vector<const FieldAttributes*>& fields, const uint8_t* record,
                     int length, const CsvStyle& style, std::string_view dateOrder) {
    std::string encoded;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        const FieldAttributes& field = *fields[i];
        // The text goes straight into the line and is taken back out only
        // in the rare cases that need it: a "0" left empty, or escapes.
        const size_t start = out.size();
        AppendFieldText(out, field, record, length, style.displayForm, dateOrder);
        std::string_view text(out.data() + start, out.size() - start);
        if (style.emptyZeros && (field.type == kTypeInteger || field.type == kTypeFloat) && text == "0") {
            out.resize(start);
        } else if (!AlwaysPlain(field.type) && !csvIsPlain(text)) {
            encoded.clear();
            csvEncodeAppend(encoded, text);
            out.replace(start, std::string::npos, encoded);
        }
    }
    out += style.lineEnd;
}

void appendSavRecord(std::string& out, const uint8_t* record, int length) {
    out += std::to_string(length);
    out += ',';
    out.append(reinterpret_cast<const char*>(record), static_cast<size_t>(length));
    out += "\r\n";
}

void appendTxtHeading(std::string& out, const std::vector<const FieldAttributes*>& fields) {
    size_t start = out.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ' ';
        long long width = fields[i]->width;
        long long magnitude = width < 0 ? -width : width;
        if (magnitude > kMaxDisplayWidth) magnitude = kMaxDisplayWidth;  // as the codec lays it out
        const Estring& name = fields[i]->name;
        int w = static_cast<int>(magnitude);
        if (width < 0) out.append(name.PadOrCut(w).View());
        else out.append(name.PadOrCutLeft(w).View());
    }
    size_t headingLength = out.size() - start;
    out += "\r\n";
    out.append(headingLength, '=');
    out += "\r\n";
}

void appendTxtRecord(std::string& out, const std::vector<const FieldAttributes*>& fields, const uint8_t* record,
                     int length, std::string_view dateOrder) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ' ';
        AppendFieldText(out, *fields[i], record, length, true, dateOrder);
    }
    out += "\r\n";
}
