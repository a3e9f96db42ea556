// Multipliers, dividers and remainder units. Multipliers whose operands and output fit a
// word use one 64-bit product; the others, and every divider, use the wide value type's
// operators, which stay on inline words up to 32 bits.
#include "nodes/mul_div.h"

#include "engine/node_registry.h"

#include "nodes/node_config.h"
#include "nodes/operator_trace.h"
#include "nodes/value_helpers.h"

namespace Sim {

namespace {

bool FitsWord(const OperandWidths& widths) { return widths.a <= 32 && widths.b <= 32 && widths.o <= 32; }

// Division by zero tests the value bits only; the result is then 0 with every bit undefined.
void SetUndefinedZero(MLIB_UINTEGER& result)
{
    result = 0u;
    result.set_undefined();
}

}  // namespace

OperandWidths Node_MulDiv::CreateOperandPorts(const ParamQuery& query, int32_t preset)
{
    OperandWidths widths = ReadThreeWidths(*this, query, preset);
    dataa = AddPort(CreateInputPort("dataa", widths.a, 0));
    datab = AddPort(CreateInputPort("datab", widths.b, 0));
    dataout = AddPort(CreateOutputPort("dataout", widths.o));
    return widths;
}

std::string Node_MulDiv::TraceText() { return OperatorTrace(dataa, symbol, datab, dataout); }

// ---------------------------------------------------------------- multipliers

void Node_UnsnMul::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 1);
    word_path = FitsWord(widths);
    result.resize(widths.o);
}

bool Node_UnsnMul::Evaluate()
{
    const MLIB_UINTEGER& a = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    if (word_path) {
        uint64_t product = static_cast<uint64_t>(a.to_uint()) * b.to_uint();
        result = static_cast<uint32_t>(product);  // cut to width_o, defined
        if (a.is_undefined() || b.is_undefined())
            result.set_undefined();
    } else {
        result = a * b;
    }
    return dataout->Set(result);
}


void Node_SignMul::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 1);
    word_path = FitsWord(widths);
    result.resize(widths.o);
}

bool Node_SignMul::Evaluate()
{
    const MLIB_UINTEGER& a = dataa->Value();
    const MLIB_UINTEGER& b = datab->Value();
    if (word_path) {
        int64_t product = SignedOf(a.to_uint(), a.width()) * SignedOf(b.to_uint(), b.width());
        // The product's pattern is width_a + width_b bits wide; a wider output sees it
        // zero-extended.
        uint64_t pattern = static_cast<uint64_t>(product);
        const int product_width = a.width() + b.width();
        if (product_width < 64)
            pattern &= (uint64_t{1} << product_width) - 1u;
        result = static_cast<uint32_t>(pattern);
        if (a.is_undefined() || b.is_undefined())
            result.set_undefined();
    } else {
        result = MLIB_SINTEGER(a) * MLIB_SINTEGER(b);
    }
    return dataout->Set(result);
}


// ---------------------------------------------------------------- dividers

void Node_UnsnDiv::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 6);
    dividend.resize(widths.o);
    result.resize(widths.o);
}

bool Node_UnsnDiv::Evaluate()
{
    dividend = dataa->Value();
    const MLIB_UINTEGER& divisor = datab->Value();
    if (divisor.is_zero())
        SetUndefinedZero(result);
    else
        result = dividend / divisor;
    return dataout->Set(result);
}


void Node_SignDiv::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 6);
    dividend.resize(widths.o);
    result.resize(widths.o);
}

bool Node_SignDiv::Evaluate()
{
    SignResizeInto(dividend, dataa->Value());
    MLIB_SINTEGER divisor(datab->Value());
    if (divisor.is_zero())
        SetUndefinedZero(result);
    else
        result = dividend / divisor;  // the most negative value / -1 comes back undefined
    return dataout->Set(result);
}


// ---------------------------------------------------------------- remainder units

void Node_UnsnMod::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 6);
    dividend.resize(widths.o);
    result.resize(widths.o);
}

bool Node_UnsnMod::Evaluate()
{
    dividend = dataa->Value();
    const MLIB_UINTEGER& divisor = datab->Value();
    if (divisor.is_zero())
        SetUndefinedZero(result);
    else
        result = dividend % divisor;  // width_b bits, zero-extended or cut
    return dataout->Set(result);
}


void Node_SignMod::CreatePorts(const ParamQuery& query)
{
    OperandWidths widths = CreateOperandPorts(query, 6);
    dividend.resize(widths.o);
    result.resize(widths.o);
}

bool Node_SignMod::Evaluate()
{
    SignResizeInto(dividend, dataa->Value());
    MLIB_SINTEGER divisor(datab->Value());
    if (divisor.is_zero())
        SetUndefinedZero(result);
    else
        result = dividend % divisor;  // width_b bits, sign-extended or cut
    return dataout->Set(result);
}


// The operator codes this file serves.
namespace {

const NodeRegistration multiply_code(OperatorCode::Multiply, MakeBySign<Node_UnsnMul, Node_SignMul>);
const NodeRegistration divide_code(OperatorCode::Divide, MakeBySign<Node_UnsnDiv, Node_SignDiv>);
const NodeRegistration modulo_code(OperatorCode::Modulo, MakeBySign<Node_UnsnMod, Node_SignMod>);

}  // namespace

}  // namespace Sim
