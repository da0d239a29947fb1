// Random formulas through the compiled Expression and the re-parsing
// ReferenceExpression: no crash, no hang, identical values and messages.
//
// QDX_FUZZ_FORMULAS sets the number of formulas (default 1,000,000).

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExprTestSupport.h"
#include "expr/EvalContext.h"
#include "expr/Expression.h"
#include "ReferenceEvaluator.h"

namespace {

const char* const kAtoms[] = {
    "0", "1", "2", "7", "100", "1.5", "2.5", "1e3", "1234567890", "9223372036854775807", "'5'", "'-3'", "\"5\"",
    "'abc'", "\"ABC\"", "'a*'", "'[a-c]*'", "'{x,y}*'", "'it''s'", "Smith", "''", "\"\"", "'S'", "'s'",
    "'01/02/2023'", "'2023-01-31'", "1.2.2023", "'10:00'", "'12:30a'", "'Q*'", "'*'", "'[^a]?'",
    "Qty", "Price", "Status", "Name", "Born", "At", "Flag", "Qty1", "Qty2", "Amount", "Cash", "Small", "Note",
    "Total", "Self", "Indirect", "Broken", "qty", "NAME",
};

const char* const kBinary[] = {"+", "-", "*", "/", "%", "^", "&", "|", "=", "==", "!=", "<", "<=", ">", ">=", "~="};

const char* const kFunctions[] = {"SQRT", "VAL", "STR", "LEFT", "RIGHT", "MID", "UCASE", "TODAY", "ROUND",
                                  "ABS", "LEN", "POS", "CHOP", "SUM", "LTRIM", "RTRIM", "FOO", "left"};

const char* const kTokens[] = {"+", "-", "*", "/", "%", "^", "&", "|", "=", "==", "!=", "<", "<=", ">", ">=",
                               "~=", "!", "?", ":", "(", ")", ",", " ", "  ", "'", "\"", "<>", "!!", "e"};

class Generator {
public:
    explicit Generator(uint64_t seed) : rng(seed) {}

    std::string Formula() {
        switch (Pick(10)) {
        case 0: return Soup();
        case 1: return Mutate(Expr(4));
        case 2: return Bytes();
        case 3: return Chain(14 + static_cast<int>(Pick(10)));
        default: return Expr(static_cast<int>(Pick(5)));
        }
    }

private:
    uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(rng() % n); }
    template <size_t N>
    const char* From(const char* const (&table)[N]) { return table[Pick(N)]; }
    std::string Space() { return Pick(3) == 0 ? "" : (Pick(8) == 0 ? "  " : " "); }

    std::string Expr(int depth) {
        if (depth <= 0) return From(kAtoms);
        switch (Pick(7)) {
        case 0: return From(kAtoms);
        case 1: return Expr(depth - 1) + Space() + From(kBinary) + Space() + Expr(depth - 1);
        case 2: return std::string(Pick(2) ? "!" : "-") + Expr(depth - 1);
        case 3: return "(" + Expr(depth - 1) + ")";
        case 4: return Expr(depth - 1) + " ? " + Expr(depth - 1) + " : " + Expr(depth - 1);
        case 5: {
            std::string call = std::string(From(kFunctions)) + "(";
            const uint32_t args = Pick(4);
            for (uint32_t i = 0; i < args; ++i) call += (i ? ", " : "") + Expr(depth - 1);
            return call + ")";
        }
        default: return Expr(depth - 1) + Space() + From(kBinary) + Space() + From(kAtoms);
        }
    }

    // Operands nested to the right: the stack holds one value per level.
    // Mostly numbers and arithmetic, so that evaluation gets deep enough.
    std::string Chain(int levels) {
        static const char* const kNumbers[] = {"1", "2", "Qty", "1.5", "Qty1"};
        static const char* const kArithmetic[] = {"+", "-", "*"};
        if (levels <= 0) return From(kNumbers);
        switch (Pick(5)) {
        case 0: return Expr(1) + Space() + From(kBinary) + Space() + "(" + Chain(levels - 1) + ")";
        case 1: return "ABS(" + Chain(levels - 1) + ")";
        case 2: return "MID('abc', " + Chain(levels - 1) + ")";
        default: return std::string(From(kNumbers)) + Space() + From(kArithmetic) + Space() + "(" + Chain(levels - 1) + ")";
        }
    }

    std::string Soup() {
        std::string text;
        const uint32_t n = 1 + Pick(12);
        for (uint32_t i = 0; i < n; ++i) {
            switch (Pick(4)) {
            case 0: text += From(kAtoms); break;
            case 1: text += From(kFunctions); break;
            default: text += From(kTokens); break;
            }
        }
        return text;
    }

    std::string Bytes() {
        std::string text;
        const uint32_t n = Pick(16);
        for (uint32_t i = 0; i < n; ++i) text += static_cast<char>(1 + Pick(255));
        return text;
    }

    std::string Mutate(std::string text) {
        const uint32_t edits = 1 + Pick(3);
        for (uint32_t i = 0; i < edits; ++i) {
            const size_t at = text.empty() ? 0 : Pick(static_cast<uint32_t>(text.size() + 1));
            switch (Pick(3)) {
            case 0: text.insert(at, From(kTokens)); break;
            case 1: if (at < text.size()) text.erase(at, 1 + Pick(3)); break;
            default: text.insert(at, 1, static_cast<char>(1 + Pick(255))); break;
            }
        }
        return text;
    }

    std::mt19937_64 rng;
};

long FormulaCount() {
    const char* text = std::getenv("QDX_FUZZ_FORMULAS");
    return text != nullptr ? std::atol(text) : 1000000;
}

TEST(DifferentialFuzz, CompiledAndReParsingAgree) {
    exprtest::TestView view;
    view.AddCalculated("Total", "Qty * Price");
    view.AddCalculated("Self", "Self + 1");
    view.AddCalculated("Indirect", "VAL('Total') + Qty1");
    view.AddCalculated("Broken", "LEFT(Name)");
    view.InstallEvaluator();
    // A few records: the same compiled formula runs on each of them.
    std::vector<std::vector<uint8_t>> records;
    const char* names[] = {"Smith", "abc", "", "x*y"};
    for (int i = 0; i < 4; ++i) {
        view.SetQty(i * 7 - 3);
        view.SetPrice(i * 12.25 - 1);
        view.SetStatus("SsX "[i]);
        view.SetName(names[i]);
        view.record[31] = static_cast<uint8_t>(i & 1);
        records.push_back(view.record);
    }
    Generator generator(0x51D2024);
    const long count = FormulaCount();
    long mismatches = 0;
    long evaluations = 0, successes = 0;
    std::map<std::string, long> messages;
    for (long n = 0; n < count && mismatches < 20; ++n) {
        const std::string formula = generator.Formula();
        const Estring text(formula.data(), static_cast<int>(formula.size()));
        Expression compiled(&view.fields, text);
        expr::ReferenceExpression reference(&view.fields, text);
        for (size_t r = 0; r < (n % 4 == 0 ? records.size() : 1); ++r) {
            const std::vector<uint8_t>& record = records[(static_cast<size_t>(n) + r) % records.size()];
            Variant a, b;
            const bool okA = compiled.Evaluate(record.data(), exprtest::kRecordLength, a);
            const bool okB = reference.Evaluate(record.data(), exprtest::kRecordLength, b);
            ++evaluations;
            if (okA) {
                ++successes;
            } else {
                ++messages[compiled.ErrorMessage().ToStdString().substr(0, 20)];
            }
            const bool same = okA == okB && (okA ? a.SameAs(b) : compiled.ErrorMessage().View() == reference.ErrorMessage().View());
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "formula #" << n << ": [" << formula << "] compiled "
                              << exprtest::Describe(okA, a, compiled.ErrorMessage()) << " reference "
                              << exprtest::Describe(okB, b, reference.ErrorMessage());
            }
        }
        ASSERT_EQ(expr::EvaluationDepth::Current(), 0) << formula;
    }
    // The random formulas must reach evaluation, not only the parse failures.
    EXPECT_GT(successes * 5, evaluations) << successes << " of " << evaluations << " succeeded";
    EXPECT_GE(messages.size(), 25u) << "distinct failure messages";
    if (count >= 100000) {
        EXPECT_GT(messages["Expression too compl"], 0) << "the stack limit was never reached";
    }
    if (std::getenv("QDX_FUZZ_VERBOSE") != nullptr) {
        std::printf("%ld of %ld evaluations succeeded\n", successes, evaluations);
        for (const auto& m : messages) std::printf("%8ld %s\n", m.second, m.first.c_str());
    }
}

}  // namespace
