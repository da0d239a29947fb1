#include "viewfile/Importer.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "base/CodePage437.h"
#include "base/StdFile.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineTransaction.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "viewfile/Csv.h"
#include "viewfile/View.h"
#include "viewfile/ViewCursor.h"

namespace {

constexpr int kMaxLengthDigits = 6;

// Inserts records in batches and asks the control about refusals and stops.
class Inserter {
public:
    Inserter(View& v, ImportControl* c, ImportResult& r) : file(*v.file), control(c), result(r) {}
    ~Inserter() { Commit(); }

    // False when the import is to end (Cancel, stop, failed commit).
    bool Insert(uint8_t* record, int length, ImportProblem problem) {
        if (!transaction.Active() && !transactionsRefused) transactionsRefused = transaction.Begin() != 0;
        file.setDataLength(static_cast<uint16_t>(length));
        int status = file.insertRecord(record, 0);
        if (status == 0) {
            ++pending;
            if (pending >= kImportBatchSize && !Commit()) return false;
            return true;
        }
        problem.status = status;
        problem.first = statusText(status);
        problem.second = "Error inserting record";
        return Refuse(problem);
    }

    // A record refused before it reached the engine, or by it.
    bool Refuse(const ImportProblem& problem) {
        ++result.refused;
        if (skipAll) return true;
        if (!Commit()) return false;
        ImportDecision d = control ? control->RecordRefused(problem) : ImportDecision::kCancel;
        if (d == ImportDecision::kSkipAll) skipAll = true;
        if (d == ImportDecision::kCancel) {
            result.cancelled = true;
            return false;
        }
        return true;
    }

    // Progress and the stop request; false stops.
    bool AfterRecord(int64_t position, int64_t size) {
        if (!control) return true;
        control->Progress(result.inserted + pending, position, size);
        if (!control->StopRequested()) return true;
        if (!Commit()) return false;
        if (!control->ConfirmStop()) return true;
        result.stopped = true;
        return false;
    }

    bool Commit() {
        if (!transaction.Active()) {
            result.inserted += pending;
            pending = 0;
            return result.error.IsEmpty();
        }
        int status = transaction.Commit();
        if (status != 0) {
            // Nothing of the batch reached the file.
            result.error = Estring("Error committing inserted records: ") + statusText(status);
            pending = 0;
            return false;
        }
        result.inserted += pending;
        pending = 0;
        return true;
    }

private:
    BtrieveFile& file;
    ImportControl* control;
    ImportResult& result;
    EngineTransaction transaction;
    bool transactionsRefused = false;
    bool skipAll = false;
    long long pending = 0;
};

// Text of a line in the code page: UTF-8 (the whole line valid, with at
// least one multi-byte character) is converted; other bytes are taken as
// code page bytes. False with column (1-based character) when a character
// has no code page byte.
bool ToCodePage(std::string& line, int& column) {
    bool high = false;
    for (char c : line) high = high || (static_cast<unsigned char>(c) >= 0x80);
    if (!high) return true;
    std::string out;
    std::string_view rest(line);
    int character = 0;
    while (!rest.empty()) {
        ++character;
        char32_t c = 0;
        int n = cp437::DecodeUtf8(rest, c);
        if (n <= 0) return true;  // not UTF-8: an 8-bit file
        int byte = cp437::FromUnicode(c);
        if (byte < 0) {
            column = character;
            // Only a line that is valid UTF-8 throughout is refused for it.
            std::string_view after = rest.substr(static_cast<size_t>(n));
            while (!after.empty()) {
                int m = cp437::DecodeUtf8(after, c);
                if (m <= 0) return true;
                after.remove_prefix(static_cast<size_t>(m));
            }
            return false;
        }
        out += static_cast<char>(byte);
        rest.remove_prefix(static_cast<size_t>(n));
    }
    line = std::move(out);
    return true;
}

// True when the last read failed (the end of the file is no failure); the
// import ends there with the system's reason, not as if the file had ended.
bool ReadFailed(const StdFile& in, const Estring& path, ImportResult& result) {
    const int error = in.LastError();
    if (error == 0 || error == StdFile::kEndOfFile) return false;
    if (result.error.IsEmpty()) result.error = Estring("Error reading ") + path + ": " + std::strerror(error);
    return true;
}

bool OpenInput(StdFile& in, const Estring& path, ImportResult& result, int64_t& size) {
    if (in.Open(path.View(), StdFile::kShareReadWrite, StdFile::kRead) != 0) return false;
    result.opened = true;
    size = in.Size();
    return true;
}

}  // namespace

ImportResult importCsv(View& view, const Estring& path, ImportControl* control) {
    ImportResult result;
    StdFile in;
    int64_t size = 0;
    if (!OpenInput(in, path, result, size)) return result;
    BtrieveFile& file = *view.file;
    bool variable = (file.fileFlags() & qdx::wire::kFileVariable) != 0;
    std::vector<uint8_t> record(static_cast<size_t>(recordBufferSize(file)), 0);
    int fixedLength = file.recordLength();
    const FieldList& fields = *view.fields;

    Estring raw;
    if (in.ReadLine(raw) != 0) {
        ReadFailed(in, path, result);
        return result;  // an empty file: nothing to insert
    }
    std::string heading = raw.ToStdString();
    if (heading.compare(0, 3, "\xEF\xBB\xBF") == 0) heading.erase(0, 3);
    int column = 0;
    ToCodePage(heading, column);
    std::vector<const FieldAttributes*> columns;
    for (int position = 0; static_cast<size_t>(position) < heading.size() &&
                           static_cast<int>(columns.size()) < kImportMaxColumns;) {
        Estring name = csvDecode(heading, position);
        const FieldAttributes* field = fields.Find(name.View());
        if (field && (field->IsCalculated() || field->IsJoined())) field = nullptr;
        columns.push_back(field);
    }

    Inserter inserter(view, control, result);
    long long lineNumber = 1;
    for (;;) {
        int64_t offset = in.Position();
        if (in.ReadLine(raw) != 0) break;
        ++lineNumber;
        std::string line = raw.ToStdString();
        ImportProblem problem;
        problem.line = lineNumber;
        problem.offset = offset;
        bool keep = true;
        if (!ToCodePage(line, column)) {
            problem.first = Estring::Format("Line %lld, column %d: character not in the code page", lineNumber, column);
            problem.second = "Error inserting record";
            keep = inserter.Refuse(problem);
        } else {
            std::fill(record.begin(), record.end(), 0);
            int position = 0;
            bool refused = false;
            for (size_t c = 0; c < columns.size() && static_cast<size_t>(position) < line.size(); ++c) {
                Estring value = csvDecode(line, position);
                const FieldAttributes* field = columns[c];
                if (!field) continue;
                if (IsTextType(field->type)) {
                    int width = DefaultDisplayWidth(*field);
                    value = value.Left(width < 0 ? -width : width);
                }
                if (!FieldFromText(*field, record.data(), static_cast<int>(record.size()), value.View()) &&
                    !value.IsEmpty() && !refused) {
                    refused = true;
                    problem.first = Estring::Format("Line %lld, column %d: ", lineNumber, static_cast<int>(c) + 1) +
                                    "value \"" + value + "\" does not fit " + field->name;
                    problem.second = "Error inserting record";
                }
            }
            if (refused) {
                keep = inserter.Refuse(problem);
            } else {
                int length = variable ? fields.RecordDataLength(record.data(), static_cast<int>(record.size()))
                                      : fixedLength;
                keep = inserter.Insert(record.data(), length, problem);
            }
        }
        if (!keep || !inserter.AfterRecord(in.Position(), size)) break;
    }
    ReadFailed(in, path, result);
    inserter.Commit();
    return result;
}

ImportResult importSav(View& view, const Estring& path, ImportControl* control) {
    ImportResult result;
    StdFile in;
    int64_t size = 0;
    if (!OpenInput(in, path, result, size)) return result;
    BtrieveFile& file = *view.file;
    std::vector<uint8_t> record(static_cast<size_t>(recordBufferSize(file)), 0);
    Inserter inserter(view, control, result);
    long long number = 0;
    auto malformed = [&](int64_t offset, const char* what) {
        result.error = Estring::Format("Malformed record dump at byte %lld (%s)", static_cast<long long>(offset), what);
    };
    for (;;) {
        int64_t offset = in.Position();
        char c = 0;
        int got = 0;
        long long length = 0;
        int digits = 0;
        bool comma = false;
        while (in.Read(&c, 1, got) == 0 && got == 1) {
            if (c == ',') {
                comma = true;
                break;
            }
            if (c < '0' || c > '9' || ++digits > kMaxLengthDigits) {
                malformed(offset, "length is not a number");
                break;
            }
            length = length * 10 + (c - '0');
        }
        if (!result.error.IsEmpty() || ReadFailed(in, path, result)) break;
        if (!comma) {
            if (digits > 0) malformed(offset, "no comma after the length");
            break;  // the end of the file
        }
        if (digits == 0) {
            malformed(offset, "no length");
            break;
        }
        if (length > static_cast<long long>(record.size())) {
            malformed(offset, "length exceeds the record buffer");
            break;
        }
        int n = static_cast<int>(length), read = 0;
        std::fill(record.begin(), record.end(), 0);
        while (read < n && in.Read(record.data() + read, n - read, got) == 0 && got > 0) read += got;
        if (ReadFailed(in, path, result)) break;
        if (read < n) {
            malformed(offset, "record cut short");
            break;
        }
        // The line end: a carriage return when present, then one more byte.
        if (in.Read(&c, 1, got) == 0 && got == 1 && c == '\r') in.Read(&c, 1, got);
        if (ReadFailed(in, path, result)) break;
        if (got == 1 && c != '\n') {
            malformed(in.Position() - 1, "no line end after the record");
            break;
        }
        ImportProblem problem;
        problem.line = ++number;
        problem.offset = offset;
        if (!inserter.Insert(record.data(), n, problem) || !inserter.AfterRecord(in.Position(), size)) break;
    }
    inserter.Commit();
    return result;
}
