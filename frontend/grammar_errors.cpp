// The message texts of the grammar error family. They reach the user verbatim as the one
// fatal report of a failed parse.
#include "frontend/grammar_errors.h"

#include "base/limits.h"

namespace Parser {

const char* X_Grammar::what() const noexcept { return "Generic parsing error"; }

#define BLOCKTIDE_GRAMMAR_MESSAGE(Name, text) \
    const char* Name::what() const noexcept { return text; }

BLOCKTIDE_GRAMMAR_MESSAGE(X_NoModuleFound, "No 'module' keyword found in design")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedModuleName, "Expected a name identifier after keyword 'module'")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedModIoName, "Expected module port name identifier")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedWireName, "Expected a name identifier for a wire")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedNodeName, "Expected an identifier naming a module instantiation")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedPortName, "Expected a port identifier as part of a port connection")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedSrcName, "Expected a source identifier as part of a port connection")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedParamName,
                          "Expected a param identifier as part of parameter specification")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedLParen, "Expected an opening parenthesis")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedRParen, "Expected a closing parenthesis")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedRBracket, "Expected a closing bracket")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedSemicolon, "Expected a semicolon / end of statement")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedEquals, "Expected equals sign in assignment")
BLOCKTIDE_GRAMMAR_MESSAGE(X_BidirsNotSupported, "Bidirectional ports are not currently supported")
BLOCKTIDE_GRAMMAR_MESSAGE(X_InputOutputNeeded, "Expected either input or output declaration")
BLOCKTIDE_GRAMMAR_MESSAGE(X_BitSliceNotANumber, "Bit slice must be specified by a number")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedNumber, "Expected a number")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedPortPeriod, "Expected a leading period, thinking this was a port name")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedLBrace, "Expected an opening brace or other signal notation")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedBusClosure, "Expected a closing brace at end of concatenation notation")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedBitCount, "Expected a bit count (number)")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedBitConst, "Expected literal bit constant ('b0 or 'b1)")
BLOCKTIDE_GRAMMAR_MESSAGE(X_MismatchedParens, "Mismatched parentheses (lacking closure) in port expression")
BLOCKTIDE_GRAMMAR_MESSAGE(X_MalformedParamName,
                          "Malformed param name; expected 'identifier period identifier' form")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedParamVal, "Expected either a number or string literal as parameter value")
BLOCKTIDE_GRAMMAR_MESSAGE(X_ExpectedEndModule, "Expected 'endmodule' keyword; further declarations unrecognized")
BLOCKTIDE_GRAMMAR_MESSAGE(X_IoLowBitShouldBeZero,
                          "Module I/O port declaration bit ranges should be anchored at zero")
BLOCKTIDE_GRAMMAR_MESSAGE(X_BitOrderBackwards, "Bit range error; first value in range cannot be less than second")
BLOCKTIDE_GRAMMAR_MESSAGE(X_OutputDrivesMultipleWires, "Output port drives multiple wires; this is not supported")
BLOCKTIDE_GRAMMAR_MESSAGE(X_OutputAssignedLiteral, "Output port connected to a literal; outputs must drive wires")
BLOCKTIDE_GRAMMAR_MESSAGE(X_OutputAssignedUnknown, "Output port connected to name not declared as a wire?")
BLOCKTIDE_GRAMMAR_MESSAGE(X_NonlocalDefparam, "Parameters must refer to node immediately prior to defparam block")
BLOCKTIDE_GRAMMAR_MESSAGE(X_WireAssignGather, "Assignments to a wire cannot incorporate fan-in/concatenation")
BLOCKTIDE_GRAMMAR_MESSAGE(X_WireAssignMismatch, "Assignment apparently refers to wire yet assigns non-constant")
static_assert(kMaxBits == 1048576, "the message of X_WidthTooLarge states the width bound");
BLOCKTIDE_GRAMMAR_MESSAGE(X_WidthTooLarge,
                          "Bit width too large; ranges, literals and expressions are limited to 1048576 bits")
BLOCKTIDE_GRAMMAR_MESSAGE(X_TooManyTerms,
                          "Expression too long; at most 16384 terms per expression and 1048576 replicated "
                          "signals per design are supported")

#undef BLOCKTIDE_GRAMMAR_MESSAGE

X_Fault::X_Fault(const std::string& text) : X_ComposedGrammar(-1, "[Internal Fault] " + text) {}

X_UnknownNodeType::X_UnknownNodeType(int line, const std::string& type_name)
    : X_ComposedGrammar(line, "The design contains a block of unsupported type '" + type_name +
                                  "'.\nThis was either instantiated directly, or inferred by the\n"
                                  "Talverin software.")
{
}

X_UnknownPortName::X_UnknownPortName(int line, const std::string& port_name)
    : X_ComposedGrammar(line, "Unrecognized port '" + port_name + "'; see module definition in XML map")
{
}

X_UnknownParameter::X_UnknownParameter(int line, const std::string& parameter_name)
    : X_ComposedGrammar(line, "Parameter name '" + parameter_name + "' is unknown; see definition in XML map")
{
}

X_WireNameNotFound::X_WireNameNotFound(const std::string& name)
    : X_ComposedGrammar(-1, "Unable to resolve name '" + name + "' as a wire or I/O")
{
}

X_NodeNotFound::X_NodeNotFound(const std::string& node_name)
    : X_ComposedGrammar(-1, "Unable to find node '" + node_name + "' when wiring up connections")
{
}

X_PortNotFound::X_PortNotFound(const std::string& port_name)
    : X_ComposedGrammar(-1, "Unable to find port '" + port_name + "' when wiring up connections")
{
}

X_PortNamedLikeInstance::X_PortNamedLikeInstance(const std::string& name)
    : X_ComposedGrammar(-1, "Design port '" + name +
                                "' has the name of an instance; the simulation names both by it, so they must differ")
{
}

X_OutputNotFound::X_OutputNotFound(const std::string& name)
    : X_ComposedGrammar(-1, "Unable to find design output '" + name + "' specified in assign block")
{
}

}  // namespace Parser
