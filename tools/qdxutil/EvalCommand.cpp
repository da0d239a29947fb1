// qdxutil eval: evaluates a formula, either once without fields
// (-e FORMULA) or for each record of a table in physical order. Prints one
// line per evaluation: the value's plain text, or "error: " and the message.
// Exit code 0 when every evaluation succeeded, 1 otherwise.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Args.h"
#include "base/CodePage437.h"
#include "CommandRegistry.h"
#include "DictionaryAccess.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "expr/Expression.h"
#include "expr/ExpressionEvaluator.h"
#include "fields/Variant.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "eval";
constexpr int kRecordBufferSize = qdx::wire::kMaxRecordLength;
constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;
// The plain text of a formula's value, as STR gives it.
constexpr int kTextWidth = 80;

// Prints the outcome of one evaluation; true when it succeeded.
bool PrintOutcome(Expression& expression, const uint8_t* record, int length) {
    Variant value;
    std::string line;
    const bool ok = expression.Evaluate(record, length, value);
    if (ok) {
        line = VariantToText(value, kTextWidth, -1).ToStdString();
    } else {
        // The message may quote the formula: its control characters escaped.
        line = "error: " + EscapeControls(expression.ErrorMessage().ToStdString());
    }
    // The program's text is in the console's code page; the shell reads UTF-8.
    line = cp437::ToUtf8(line);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    return ok;
}

int EvalConstant(const std::string& formula) {
    Expression expression(nullptr, Estring(formula.data(), static_cast<int>(formula.size())));
    const bool ok = PrintOutcome(expression, nullptr, 0);
    std::fflush(stdout);
    return ok ? kExitOk : kExitFailure;
}

int EvalTable(const ParsedArgs& a) {
    long long limit = -1;
    if (a.values.count("--limit") && !ParseCount(a.Value("--limit"), limit))
        return UsageError(kName, "--limit needs a number");
    std::string message;
    Estring directory(a.Value("-d"));
    OpenedTable table;
    if (!OpenTable(directory, a.positional[0], a.Value("--owner"), table, message)) return Failure(kName, message);
    BtrieveFile& file = table.file;
    DictionaryDef& def = *table.def;
    def.SetFormulaEvaluator(std::make_shared<ExpressionEvaluator>());

    const std::string& formula = a.positional[1];
    Expression expression(&def, Estring(formula.data(), static_cast<int>(formula.size())));
    std::vector<uint8_t> record(kRecordBufferSize, 0);
    uint8_t key[256] = {};
    bool allOk = true;
    long long done = 0;
    file.setDataLength(kRecordBufferSize);
    int status = limit == 0 ? kStatusEndOfFile : file.stepFirst(record.data(), key);
    while (status == 0) {
        allOk = PrintOutcome(expression, record.data(), file.dataLength()) && allOk;
        if (limit >= 0 && ++done >= limit) {
            status = kStatusEndOfFile;
            break;
        }
        file.setDataLength(kRecordBufferSize);
        status = file.stepNext(record.data(), key);
    }
    std::fflush(stdout);
    if (status != kStatusEndOfFile) return Failure(kName, table.path.ToStdString() + ": " + statusText(status).ToStdString());
    return allOk ? kExitOk : kExitFailure;
}

int RunEval(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"-d", "--owner", "--limit", "-e"}, {}, a, error)) return UsageError(kName, error);
    if (a.values.count("-e")) {
        if (!a.positional.empty() || a.values.size() != 1) return UsageError(kName, "-e FORMULA takes nothing else");
        return EvalConstant(a.Value("-e"));
    }
    if (a.positional.size() != 2) return UsageError(kName, "TABLE and FORMULA expected");
    const int result = EvalTable(a);
    closeDictionary();
    return result;
}

Registration reg{kName, "[-d DICTDIR] [--owner NAME] [--limit N] TABLE FORMULA | -e FORMULA",
                 "print a formula's value for each record of a table (or once with -e)", RunEval};

}  // namespace
}  // namespace qdxutil
