#include "viewfile/Exporter.h"

#include <cstring>
#include <string>
#include <vector>

#include "base/StdFile.h"
#include "btrieve/StatusText.h"
#include "fields/FieldList.h"
#include "fields/NumberText.h"
#include "viewfile/ExportLines.h"
#include "viewfile/View.h"
#include "viewfile/ViewCursor.h"

namespace {

constexpr size_t kFlushSize = 256 * 1024;
constexpr int kProgressInterval = 10;

class FileSink : public ExportSink {
public:
    explicit FileSink(StdFile& f) : file(f) {}
    int Write(const char* bytes, size_t n) override {
        while (n > 0) {
            int chunk = n > (1u << 30) ? (1 << 30) : static_cast<int>(n);
            int error = file.Write(bytes, chunk);
            if (error != 0) return error;
            bytes += chunk;
            n -= static_cast<size_t>(chunk);
        }
        return 0;
    }

private:
    StdFile& file;
};

}  // namespace

Estring exportFileName(const Estring& fileName, ExportFormat format) {
    if (StdFile::HasExtension(fileName.View())) return fileName;
    switch (format) {
        case ExportFormat::kSav: return fileName + ".sav";
        case ExportFormat::kTxt: return fileName + ".txt";
        case ExportFormat::kCsv: break;
    }
    return fileName + ".csv";
}

ExportResult exportRecords(View& view, const ExportOptions& options, ExportSink& sink, ExportControl* control) {
    ExportResult result;
    std::vector<const FieldAttributes*> fields = exportedFields(*view.fields, options.selectedFieldsOnly);
    std::string buffer;
    buffer.reserve(kFlushSize + 64 * 1024);
    auto flush = [&]() {
        if (result.writeError == 0 && !buffer.empty()) result.writeError = sink.Write(buffer.data(), buffer.size());
        buffer.clear();
        return result.writeError == 0;
    };

    if (options.fieldNameHeading) {
        if (options.format == ExportFormat::kCsv) appendCsvHeading(buffer, fields);
        else if (options.format == ExportFormat::kTxt) appendTxtHeading(buffer, fields);
    }

    char order[4];
    LocaleDateOrder(order);
    const std::string_view dateOrder(order, sizeof order);

    ViewCursor cursor(view, options.selectedRecordsOnly);
    if (control) cursor.SetScanCallback([control](long long) { return !control->StopRequested(); });
    int status = cursor.First();
    while (status == 0) {
        if (control && result.exported % kProgressInterval == 0) control->Progress(result.exported);
        switch (options.format) {
            case ExportFormat::kCsv:
                appendCsvRecord(buffer, fields, cursor.Record(), cursor.Length(), CsvStyle(), dateOrder);
                break;
            case ExportFormat::kSav:
                appendSavRecord(buffer, cursor.Record(), cursor.Length());
                break;
            case ExportFormat::kTxt:
                appendTxtRecord(buffer, fields, cursor.Record(), cursor.Length(), dateOrder);
                break;
        }
        ++result.exported;
        if (buffer.size() >= kFlushSize && !flush()) break;
        if (control && control->StopRequested()) {
            result.stopped = true;
            break;
        }
        status = cursor.Next();
    }
    if (status == ViewCursor::kStatusStopped) result.stopped = true;
    result.readStatus = status;
    flush();
    result.filterError = cursor.FilterError();
    return result;
}

bool exportToFile(View& view, const Estring& path, const ExportOptions& options, ExportControl* control,
                  ExportResult& result, Estring& first, Estring& second) {
    result = ExportResult();
    StdFile file;
    int error = file.Open(path.View(), StdFile::kShareWrite, StdFile::kWrite | StdFile::kCreate);
    if (error != 0) {
        first = "Error creating export file";
        second = path + ": " + std::strerror(error);
        return false;
    }
    FileSink sink(file);
    result = exportRecords(view, options, sink, control);
    int closeError = file.Close();
    if (result.writeError == 0) result.writeError = closeError;
    if (result.writeError != 0) {
        first = "Error writing export file";
        second = path + ": " + std::strerror(result.writeError);
        return false;
    }
    if (result.ReadFailed()) {
        first = "Error occurred reading records";
        second = statusText(result.readStatus);
        return false;
    }
    return true;
}
