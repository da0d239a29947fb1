// qdxutil eval: evaluates a formula, either once without fields
// (-e FORMULA) or for each record of a table in physical order. Prints one
// line per record: the value's plain text, or "error: " and the message
// (with -e, a failure is only the message on standard error).
// Exit code 0 when every evaluation succeeded, 1 otherwise.
//
// Standard error is for the person at the shell: a warning for each word
// that looks like a field name but names none of the table's fields (the
// language reads it as text, the usual cause of a quietly wrong answer), the
// message of a failing -e formula, and the count of records that failed.

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
#include "FormulaWords.h"
#include "fields/Variant.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "eval";
constexpr int kRecordBufferSize = qdx::wire::kMaxRecordLength;
constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;
// The plain text of a formula's value, as STR gives it.
constexpr int kTextWidth = 80;

// Writes "qdxutil eval: " and text (escaped, in UTF-8) on stderr, after
// what is already on stdout so that the two streams interleave in order.
void Note(const std::string& text) {
    std::fflush(stdout);
    const std::string line = cp437::ToUtf8(EscapeControls(text));
    std::fprintf(stderr, "qdxutil %s: %s\n", kName, line.c_str());
}

// One warning per word of the formula that looks like a field name but
// names no field of the table.
void WarnAboutTextWords(const DictionaryDef& def, const std::string& formula) {
    const std::string table = cp437::ToUtf8(EscapeControls(def.tableName.ToStdString()));
    for (const std::string& word : UnknownNameWords(&def, formula)) {
        const std::string shown = cp437::ToUtf8(EscapeControls(word));
        std::fprintf(stderr, "warning: '%s' is not a field of %s; read as the text %s\n", shown.c_str(),
                     table.c_str(), shown.c_str());
    }
}

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
    Variant value;
    if (!expression.Evaluate(nullptr, 0, value)) {
        // One formula, one outcome: a failure is a message on stderr only,
        // so that standard output holds values and nothing else.
        Note(expression.ErrorMessage().ToStdString());
        return kExitFailure;
    }
    const std::string line = cp437::ToUtf8(VariantToText(value, kTextWidth, -1).ToStdString());
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    return kExitOk;
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
    WarnAboutTextWords(def, formula);
    Expression expression(&def, Estring(formula.data(), static_cast<int>(formula.size())));
    std::vector<uint8_t> record(kRecordBufferSize, 0);
    uint8_t key[256] = {};
    long long failed = 0;
    long long done = 0;
    file.setDataLength(kRecordBufferSize);
    int status = limit == 0 ? kStatusEndOfFile : file.stepFirst(record.data(), key);
    while (status == 0) {
        if (!PrintOutcome(expression, record.data(), file.dataLength())) ++failed;
        if (limit >= 0 && ++done >= limit) {
            status = kStatusEndOfFile;
            break;
        }
        file.setDataLength(kRecordBufferSize);
        status = file.stepNext(record.data(), key);
    }
    std::fflush(stdout);
    if (failed > 0) Note(std::to_string(failed) + (failed == 1 ? " record failed" : " records failed"));
    if (status != kStatusEndOfFile) return Failure(kName, table.path.ToStdString() + ": " + statusText(status).ToStdString());
    return failed == 0 ? kExitOk : kExitFailure;
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

constexpr const char* kDetails =
    "\n"
    "  Field names are written as the dictionary spells them, with \"_\" for a space\n"
    "  (Order_Date); an unquoted word that names no field is read as text, so put\n"
    "  text in quotes: Status = \"Shipped\". Such a word gets a warning on stderr.\n"
    "  The language (words and quoting, operators, functions, patterns, dates) is\n"
    "  described in docs/FORMULAS.md, installed as share/doc/quarrydex/FORMULAS.md.\n";

Registration reg{kName, "[-d DICTDIR] [--owner NAME] [--limit N] TABLE FORMULA | -e FORMULA",
                 "print a formula's value for each record of a table (or once with -e)", RunEval, kDetails};

}  // namespace
}  // namespace qdxutil
