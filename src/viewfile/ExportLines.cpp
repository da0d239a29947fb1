#include "viewfile/ExportLines.h"

#include "base/Estring.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "viewfile/Csv.h"

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
                     int length, const CsvStyle& style) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        const FieldAttributes& field = *fields[i];
        Estring text = FieldToText(field, record, length, style.displayForm);
        bool zero = style.emptyZeros && (field.type == kTypeInteger || field.type == kTypeFloat) &&
                    text.View() == "0";
        if (!zero) csvEncodeAppend(out, text.View());
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
                     int length) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ' ';
        out.append(FieldToText(*fields[i], record, length, true).View());
    }
    out += "\r\n";
}
