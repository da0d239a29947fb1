#pragma once
// The lines of the three export formats, appended to a buffer.
//
//   CSV  heading: the field names joined by "," (as they are);
//        record: each field's plain-form text through csvEncode, joined by
//        ","; an Integer or Float field whose text is "0" is left empty.
//   SAV  record: the data length in decimal, ",", exactly that many raw
//        bytes (line feeds among them included). No heading.
//   TXT  heading: each name padded or cut to |width| (left-aligned for a
//        negative width, right-aligned otherwise), joined by one blank, then
//        a line of "=" as long as the heading; record: each field in display
//        form, joined by one blank.
// Every line ends with carriage return and line feed unless a style says
// otherwise (qdxutil dump writes line feeds).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class FieldAttributes;
class FieldList;

struct CsvStyle {
    bool emptyZeros = true;      // Integer/Float "0" written as an empty value
    bool displayForm = false;    // display-form texts instead of plain form
    bool encodeHeading = false;  // heading names through csvEncode
    const char* lineEnd = "\r\n";
};

// The fields an export writes: the view's fields in list order, only the
// selected ones when selectedOnly. Pointers into fields.
std::vector<const FieldAttributes*> exportedFields(const FieldList& fields, bool selectedOnly);

void appendCsvHeading(std::string& out, const std::vector<const FieldAttributes*>& fields,
                      const CsvStyle& style = CsvStyle());
// dateOrder: the locale's (LocaleDateOrder), read once for many records;
// empty reads it for each date.
void appendCsvRecord(std::string& out, const std::vector<const FieldAttributes*>& fields, const uint8_t* record,
                     int length, const CsvStyle& style = CsvStyle(), std::string_view dateOrder = {});

void appendSavRecord(std::string& out, const uint8_t* record, int length);

void appendTxtHeading(std::string& out, const std::vector<const FieldAttributes*>& fields);
void appendTxtRecord(std::string& out, const std::vector<const FieldAttributes*>& fields, const uint8_t* record,
                     int length, std::string_view dateOrder = {});
