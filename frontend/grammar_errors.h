// The grammar error family raised while a netlist is parsed and wired up (Parser::X_Grammar
// and its subclasses), the one error that leaves the parser (GrammarParserError) and the
// map-load failure (X_XmlErr).
#pragma once

#include <exception>
#include <string>

namespace Parser {

class X_Grammar : public std::exception {
public:
    explicit X_Grammar(int line) : line(line) {}
    const char* what() const noexcept override;
    int line;  // tokenizer line when raised; -1 for errors raised while wiring up
};

// Errors whose message is fixed; each records the line.
#define BLOCKTIDE_FIXED_GRAMMAR_ERROR(Name)                   \
    class Name : public X_Grammar {                           \
    public:                                                   \
        explicit Name(int line) : X_Grammar(line) {}          \
        const char* what() const noexcept override;           \
    };

BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_NoModuleFound)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedModuleName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedModIoName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedWireName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedNodeName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedPortName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedSrcName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedParamName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedLParen)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedRParen)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedRBracket)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedSemicolon)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedEquals)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_BidirsNotSupported)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_InputOutputNeeded)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_BitSliceNotANumber)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedNumber)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedPortPeriod)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedLBrace)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedBusClosure)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedBitCount)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedBitConst)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_MismatchedParens)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_MalformedParamName)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedParamVal)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_ExpectedEndModule)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_IoLowBitShouldBeZero)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_BitOrderBackwards)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_OutputDrivesMultipleWires)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_OutputAssignedLiteral)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_OutputAssignedUnknown)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_NonlocalDefparam)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_WireAssignGather)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_WireAssignMismatch)
// Limits that keep a hostile netlist from exhausting memory or time: a range, literal or
// expression wider than kMaxBits (base/limits.h); an expression of more than MAX_EXPRESSION_TERMS
// terms, or replications adding more than MAX_REPLICATED_TERMS terms to one design.
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_WidthTooLarge)
BLOCKTIDE_FIXED_GRAMMAR_ERROR(X_TooManyTerms)

#undef BLOCKTIDE_FIXED_GRAMMAR_ERROR

// Errors whose message is composed around a name when they are raised.
class X_ComposedGrammar : public X_Grammar {
public:
    X_ComposedGrammar(int line, std::string message) : X_Grammar(line), message(std::move(message)) {}
    const char* what() const noexcept override { return message.c_str(); }

private:
    std::string message;
};

class X_Fault : public X_ComposedGrammar {
public:
    explicit X_Fault(const std::string& text);
};
class X_UnknownNodeType : public X_ComposedGrammar {
public:
    X_UnknownNodeType(int line, const std::string& type_name);
};
class X_UnknownPortName : public X_ComposedGrammar {
public:
    X_UnknownPortName(int line, const std::string& port_name);
};
class X_UnknownParameter : public X_ComposedGrammar {
public:
    X_UnknownParameter(int line, const std::string& parameter_name);
};
class X_WireNameNotFound : public X_ComposedGrammar {
public:
    explicit X_WireNameNotFound(const std::string& name);
};
class X_NodeNotFound : public X_ComposedGrammar {
public:
    explicit X_NodeNotFound(const std::string& node_name);
};
class X_PortNotFound : public X_ComposedGrammar {
public:
    explicit X_PortNotFound(const std::string& port_name);
};
class X_OutputNotFound : public X_ComposedGrammar {
public:
    explicit X_OutputNotFound(const std::string& name);
};

class X_PortNamedLikeInstance : public X_ComposedGrammar {
public:
    explicit X_PortNamedLikeInstance(const std::string& name);
};

// The one error that leaves NetlistParser::ParseDesign: the text of the grammar error caught.
class GrammarParserError : public std::exception {
public:
    explicit GrammarParserError(std::string message, int line = -1) : line(line), message(std::move(message)) {}
    const char* what() const noexcept override { return message.c_str(); }

    int line;  // line of the grammar error caught; -1 when it has none

private:
    std::string message;
};

// The XML map file could not be loaded (the map reader has already reported why).
class X_XmlErr : public std::exception {};

// Largest number of terms in one expression. Every term becomes a slice of one input, and the
// database checks each new slice against the input's others.
constexpr long long MAX_EXPRESSION_TERMS = 1 << 14;
// Largest number of terms that replications of names may add to one design: a few bytes of
// netlist text must not turn into unbounded memory.
constexpr long long MAX_REPLICATED_TERMS = 1 << 20;

}  // namespace Parser
