#pragma once
// The compiled form of a formula: a list of stack instructions in the order
// in which the plain evaluator would compute, with every parse-level failure
// turned into a kFail instruction at the place where reading would stop.
// Executing it gives the same values and the same first error as reading the
// text again, without reading the text again.
//
// Each instruction's effect on the stack depth is fixed, so the compiler
// knows the depth everywhere and puts the stack-limit failure exactly where
// the plain evaluator would meet it.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "expr/Functions.h"
#include "expr/Operators.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"

class FieldAttributes;
class FieldList;

namespace expr {

enum class OpCode : uint8_t {
    kPushConst,       // push constants[index]
    kLoadField,       // push the value of fields[index] (any type, joined fields too)
    kLoadInteger,     // push fields[index]: signed integer of aux bytes, in the record itself
    kLoadUnsigned,    // push fields[index]: unsigned integer of aux bytes, in the record itself
    kLoadFloat,       // push fields[index]: IEEE float of aux bytes (4, 8 or 10), in the record itself
    kLoadString,      // push fields[index]: String (space padded), in the record itself
    kLoadCalculated,  // push the value of the calculated fields[index]
    kNot,             // top = !top
    kNegate,          // top = -top
    kBinary,          // top-1 = top-1 (aux: BinaryOp) top; pop
    kBinaryConst,     // top = top (aux: BinaryOp) constants[index]
    kCompareStringField,  // push (fields[index] as String) (aux: BinaryOp =, ==, !=) constants[count]
    kCheckCondition,  // top must be logical
    kConditional,     // top-2 = top-2 ? top-1 : top (unified); pop 2
    kCall,            // function aux over count arguments ending at top; result in the first
    kFail,            // fail with messages[index]
    kEnd,             // the value on the stack is the result
};
constexpr int kOpCodeCount = static_cast<int>(OpCode::kEnd) + 1;
constexpr int kBinaryOpCount = static_cast<int>(BinaryOp::kPower) + 1;

struct Instruction {
    OpCode op;
    uint8_t aux = 0;
    uint16_t count = 0;
    int32_t index = 0;
    // The interpreter's handler: op, except that each binary operator has its
    // own handler (kOpCodeCount + operator, then kOpCodeCount +
    // kBinaryOpCount + operator for kBinaryConst), so that every handler's
    // dispatch is predicted on its own.
    uint8_t dispatch = 0;
};

// A field named by the formula, as resolved when the program was built.
// Plain fields of the record (the kLoadInteger ... kLoadString forms) are read
// through the copy, never through the list's object; the others (joined and
// calculated fields, the general kLoadField) use the list's object, which is
// checked before each evaluation: same position, name, type, offset, length.
struct FieldRef {
    const FieldAttributes* field = nullptr;
    std::unique_ptr<FieldAttributes> copy;  // plain fields only
    bool live = false;                      // read through field
    int position = 0;
    Estring name;
    uint8_t type = 0;
    uint16_t offset = 0;
    uint16_t length = 0;
    bool joined = false;
};

struct Program {
    std::vector<Instruction> code;
    std::vector<Variant> constants;
    std::vector<FieldRef> fields;
    std::vector<Estring> messages;
    uint64_t fieldsVersion = 0;  // the list's Version() when built; 0 never matches a list
    bool hasLiveFields = false;
};

// Builds the program of text over fields (which may be null).
// The version a program is bound to: the list's Version(), 1 without a list.
inline uint64_t FieldsVersion(const FieldList* fields) { return fields == nullptr ? 1 : fields->Version(); }

void CompileFormula(const FieldList* fields, const Estring& text, Program& program);

// True while fields is at the version program was built against and still
// holds every field that program reads through the list unchanged.
bool ProgramStillBound(const Program& program, const FieldList* fields);

}  // namespace expr
