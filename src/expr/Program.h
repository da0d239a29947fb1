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
#include <vector>

#include "base/Estring.h"
#include "expr/Functions.h"
#include "expr/Operators.h"
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
};

struct Instruction {
    OpCode op;
    uint8_t aux = 0;
    uint16_t count = 0;
    int32_t index = 0;
};

// A field named by the formula, as resolved when the program was built.
// The program stays valid while the list still holds this field at this
// position with this name, type, offset and length.
struct FieldRef {
    const FieldAttributes* field = nullptr;
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
    int fieldCount = 0;  // the list's field count when built
};

// Builds the program of text over fields (which may be null).
void CompileFormula(const FieldList* fields, const Estring& text, Program& program);

// True while fields still holds every field that program names as it was.
bool ProgramStillBound(const Program& program, const FieldList* fields);

}  // namespace expr
