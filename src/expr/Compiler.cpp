// The compiler reads a formula the way the plain evaluator does, level by
// level, but records what it would compute instead of computing it.

#include <cstring>

#include "expr/EvalContext.h"
#include "expr/Lexer.h"
#include "expr/Program.h"
#include "fields/FieldList.h"
#include "fields/FieldTypes.h"

namespace expr {

namespace {

class Compiler {
public:
    Compiler(const FieldList* fields, const Estring& text, Program& program)
        : fields(fields), text(text), program(program) {}

    void Run() {
        Conditional();
        if (!stopped && depth != 1) Fail("Incomplete expression");
        if (!stopped) {
            SkipSpaces(text.View(), pos);
            if (pos < text.Length()) Fail("Unexpected text at end of expression");
        }
    }

private:
    // Reading stops at a parse-level failure: the program ends with it.
    void Fail(const Estring& message) {
        Emit(OpCode::kFail, 0, 0, static_cast<int32_t>(program.messages.size()));
        program.messages.push_back(message);
        stopped = true;
    }

    void Emit(OpCode op, uint8_t aux = 0, uint16_t count = 0, int32_t index = 0) {
        Instruction instruction;
        instruction.op = op;
        instruction.aux = aux;
        instruction.count = count;
        instruction.index = index;
        program.code.push_back(instruction);
    }

    bool Reserve() {
        if (depth < kStackEntries) return true;
        Fail(kStackMessage);
        return false;
    }

    bool OpenBracket() {
        if (brackets < kMaxBracketNesting) {
            ++brackets;
            return true;
        }
        Fail(kStackMessage);
        return false;
    }

    void Push(OpCode op, int32_t index, uint8_t aux = 0) {
        Emit(op, aux, 0, index);
        ++depth;
    }

    void Binary(BinaryOp op) {
        Emit(OpCode::kBinary, static_cast<uint8_t>(op));
        --depth;
    }

    bool At(char c) const { return pos < text.Length() && text[pos] == c; }
    void SkipBlanks() { SkipSpaces(text.View(), pos); }

    void Conditional() {
        OrExpr();
        if (stopped) return;
        SkipBlanks();
        if (!At('?')) return;
        Emit(OpCode::kCheckCondition);
        ++pos;
        OrExpr();
        if (stopped) return;
        SkipBlanks();
        if (!At(':')) return Fail(": expected");
        ++pos;
        Conditional();
        if (stopped) return;
        Emit(OpCode::kConditional);
        depth -= 2;
    }

    void OrExpr() {
        AndExpr();
        while (!stopped) {
            SkipBlanks();
            if (!At('|')) return;
            ++pos;
            AndExpr();
            if (stopped) return;
            Binary(BinaryOp::kOr);
        }
    }

    void AndExpr() {
        Equality();
        while (!stopped) {
            SkipBlanks();
            if (!At('&')) return;
            ++pos;
            Equality();
            if (stopped) return;
            Binary(BinaryOp::kAnd);
        }
    }

    void Equality() {
        Relation();
        if (stopped) return;
        int length = 0;
        const CompareOp op = ScanCompareOp(text.View(), pos, length);
        if (!IsEqualityOp(op)) return;
        pos += length;
        Relation();
        if (stopped) return;
        Binary(FromCompareOp(op));
    }

    void Relation() {
        Additive();
        if (stopped) return;
        int length = 0;
        const CompareOp op = ScanCompareOp(text.View(), pos, length);
        if (!IsRelationOp(op)) return;
        pos += length;
        Additive();
        if (stopped) return;
        Binary(FromCompareOp(op));
    }

    void Additive() {
        Multiplicative();
        while (!stopped) {
            SkipBlanks();
            BinaryOp op;
            if (At('+')) {
                op = BinaryOp::kAdd;
            } else if (At('-')) {
                op = BinaryOp::kSubtract;
            } else {
                return;
            }
            ++pos;
            Multiplicative();
            if (stopped) return;
            Binary(op);
        }
    }

    void Multiplicative() {
        PowerExpr();
        while (!stopped) {
            SkipBlanks();
            BinaryOp op;
            if (At('*')) {
                op = BinaryOp::kMultiply;
            } else if (At('/')) {
                op = BinaryOp::kDivide;
            } else if (At('%')) {
                op = BinaryOp::kModulo;
            } else {
                return;
            }
            ++pos;
            PowerExpr();
            if (stopped) return;
            Binary(op);
        }
    }

    void PowerExpr() {
        UnaryExpr();
        while (!stopped) {
            SkipBlanks();
            if (!At('^')) return;
            ++pos;
            UnaryExpr();
            if (stopped) return;
            Binary(BinaryOp::kPower);
        }
    }

    void UnaryExpr() {
        SkipBlanks();
        const bool isNot = At('!');
        const bool isMinus = At('-');
        if (!isNot && !isMinus) return Primary();
        ++pos;
        Primary();
        if (stopped) return;
        Emit(isNot ? OpCode::kNot : OpCode::kNegate);
    }

    void Primary() {
        SkipBlanks();
        if (At('(')) {
            if (!OpenBracket()) return;
            ++pos;
            Conditional();
            if (stopped) return;
            SkipBlanks();
            if (!At(')')) return Fail(") expected");
            ++pos;
            --brackets;
            return;
        }
        Word word;
        ReadWord(text.View(), pos, word);
        if (word.mismatched) return Fail("Mismatched quotes");
        SkipBlanks();
        if (word.quote == WordQuote::kNone && At('(')) return FunctionCall(word.text);
        if (!Reserve()) return;
        const FieldAttributes* field =
            (word.quote == WordQuote::kNone && fields != nullptr) ? fields->Find(word.text.View()) : nullptr;
        if (field != nullptr) return LoadField(*field);
        program.constants.push_back(word.quote == WordQuote::kDouble ? Variant::String(word.text)
                                                                     : ClassifyWord(word.text));
        Push(OpCode::kPushConst, static_cast<int32_t>(program.constants.size() - 1));
    }

    void LoadField(const FieldAttributes& field) {
        FieldRef ref;
        ref.field = &field;
        ref.position = fields->IndexOf(&field);
        ref.name = field.name;
        ref.type = field.type;
        ref.offset = field.offset;
        ref.length = field.length;
        ref.joined = field.join != nullptr;
        const int32_t index = static_cast<int32_t>(program.fields.size());
        const int length = field.length;
        const bool plain = field.join == nullptr;
        const bool integerLength = IsIntegerLength(length);
        OpCode op = OpCode::kLoadField;
        if (field.type == kTypeCalculated) {
            op = OpCode::kLoadCalculated;
        } else if (plain && integerLength && (field.type == kTypeInteger || field.type == kTypeAutoIncrement)) {
            op = OpCode::kLoadInteger;
        } else if (plain && integerLength && field.type == kTypeUnsignedInteger) {
            op = OpCode::kLoadUnsigned;
        } else if (plain && (length == 4 || length == 8 || length == 10) && field.type == kTypeFloat) {
            op = OpCode::kLoadFloat;
        } else if (plain && field.type == kTypeString && length > 0) {
            op = OpCode::kLoadString;
        }
        if (op == OpCode::kLoadField || op == OpCode::kLoadCalculated) {
            ref.live = true;
            program.hasLiveFields = true;
        } else {
            ref.copy = std::make_unique<FieldAttributes>(field);
        }
        program.fields.push_back(std::move(ref));
        Push(op, index, static_cast<uint8_t>(length));
    }

    void FunctionCall(const Estring& name) {
        FunctionId id;
        if (!LookupFunction(name.View(), id)) return Fail(Estring("Unknown function name '") + name + "'");
        if (!OpenBracket()) return;
        ++pos;  // the "("
        int count = 0;
        if (!At(')')) {
            for (;;) {
                Conditional();
                if (stopped) return;
                ++count;
                SkipBlanks();
                if (!At(',')) break;
                ++pos;
            }
        }
        if (!At(')')) return Fail("Function missing closing bracket");
        ++pos;
        --brackets;
        if (count == 0) {
            if (!Reserve()) return;
        }
        Emit(OpCode::kCall, static_cast<uint8_t>(id), static_cast<uint16_t>(count));
        depth += count == 0 ? 1 : 1 - count;
    }

    const FieldList* fields;
    const Estring& text;
    Program& program;
    int pos = 0;
    int depth = 0;     // values on the stack at this point of the evaluation
    int brackets = 0;  // brackets open at the reading position
    bool stopped = false;
};

// Fuses common pairs into one instruction. The program has no jumps, so a
// pair that follows another can always be joined; the fused forms fall back
// to the general path for anything but their fast case.
void Fuse(Program& program) {
    std::vector<Instruction>& code = program.code;
    std::vector<Instruction> out;
    out.reserve(code.size());
    for (size_t i = 0; i < code.size(); ++i) {
        const Instruction& a = code[i];
        if (a.op == OpCode::kLoadString && i + 2 < code.size() && code[i + 1].op == OpCode::kPushConst &&
            code[i + 2].op == OpCode::kBinary &&
            program.constants[static_cast<size_t>(code[i + 1].index)].IsString()) {
            const BinaryOp op = static_cast<BinaryOp>(code[i + 2].aux);
            if (op == BinaryOp::kEqual || op == BinaryOp::kExactEqual || op == BinaryOp::kNotEqual) {
                Instruction fused = a;
                fused.op = OpCode::kCompareStringField;
                fused.aux = code[i + 2].aux;
                fused.count = static_cast<uint16_t>(code[i + 1].index);
                if (static_cast<size_t>(fused.count) == static_cast<size_t>(code[i + 1].index)) {
                    out.push_back(fused);
                    i += 2;
                    continue;
                }
            }
        }
        if (a.op == OpCode::kPushConst && i + 1 < code.size() && code[i + 1].op == OpCode::kBinary) {
            Instruction fused = code[i + 1];
            fused.op = OpCode::kBinaryConst;
            fused.index = a.index;
            out.push_back(fused);
            ++i;
            continue;
        }
        out.push_back(a);
    }
    out.push_back(Instruction{OpCode::kEnd});
    for (Instruction& in : out) {
        int dispatch = static_cast<int>(in.op);
        if (in.op == OpCode::kBinary) dispatch = kOpCodeCount + in.aux;
        if (in.op == OpCode::kBinaryConst) dispatch = kOpCodeCount + kBinaryOpCount + in.aux;
        in.dispatch = static_cast<uint8_t>(dispatch);
    }
    code.swap(out);
}

}  // namespace

void CompileFormula(const FieldList* fields, const Estring& text, Program& program) {
    program = Program();
    program.fieldsVersion = FieldsVersion(fields);
    Compiler(fields, text, program).Run();
    Fuse(program);
}

bool ProgramStillBound(const Program& program, const FieldList* fields) {
    if (FieldsVersion(fields) != program.fieldsVersion) return false;
    if (!program.hasLiveFields) return true;
    for (const FieldRef& ref : program.fields) {
        if (!ref.live) continue;
        const FieldAttributes* field = fields->Get(ref.position);
        if (field != ref.field || field->type != ref.type || field->offset != ref.offset ||
            field->length != ref.length || (field->join != nullptr) != ref.joined ||
            field->name.Length() != ref.name.Length()) {
            return false;
        }
        // Names are short: a plain loop beats a library call here.
        const char* a = field->name.Text();
        const char* b = ref.name.Text();
        for (int i = 0; i < ref.name.Length(); ++i) {
            if (a[i] != b[i]) return false;
        }
    }
    return true;
}

}  // namespace expr
