// The netlist grammar: one rule per construct, in the order a file is read. A rule that finds
// a wrong token raises its grammar error without consuming the token. Elaboration actions
// (elaboration.cpp) run at the points where their constructs have been recognised.
#include "frontend/netlist_parser.h"

#include <algorithm>

#include "base/limits.h"
#include "frontend/grammar_errors.h"
#include "netlistdb/netlist_db.h"

namespace Parser {

NetlistParser::NetlistParser(KVC::NetlistDB& database, std::string map_path)
    : database(database), map_path(std::move(map_path))
{
}

NetlistParser::~NetlistParser() = default;

void NetlistParser::ParseDesign(Tokenizer& source)
{
    tokenizer = &source;
    auto release = [this] {
        map.reset();
        current_module = nullptr;
        pending.clear();
        tokenizer = nullptr;
    };
    try {
        map = std::make_unique<XmlMapSmc>(map_path);
        if (map->Load() < 1) throw X_XmlErr();
        Design();
        WireUp();
    } catch (const X_Grammar& error) {
        release();
        throw GrammarParserError(error.what(), error.line);
    } catch (const X_XmlErr&) {
        release();
        throw GrammarParserError("Unable to load XML map file");
    }
    release();
}

const std::string& NetlistParser::IdentText() { return static_cast<Tok_Ident&>(tokenizer->Current()).text; }

int NetlistParser::NumberValue() { return static_cast<Tok_Number&>(tokenizer->Current()).value; }

// Rule 1: skip whatever precedes the first module; only that module is read.
void NetlistParser::Design()
{
    while (Type() != KW_MODULE && Type() != TOK_EOF) tokenizer->Advance();
    if (Type() == TOK_EOF) throw X_NoModuleFound(Line());
    tokenizer->Advance();
    ModuleHeader();
    IoDeclarations();
    ModuleBody();
}

// Rule 2: module name ( port, port, ... ) ;
void NetlistParser::ModuleHeader()
{
    if (Type() != TOK_IDENT) throw X_ExpectedModuleName(Line());
    module_name = IdentText();
    tokenizer->Advance();
    if (Type() != SYM_LPAREN) throw X_ExpectedLParen(Line());
    tokenizer->Advance();
    for (int position = 0;; ++position) {
        if (Type() != TOK_IDENT) throw X_ExpectedModIoName(Line());
        port_positions.emplace(IdentText(), position);  // a repeated name keeps its first position
        tokenizer->Advance();
        if (Type() != SYM_COMMA) break;
        tokenizer->Advance();
    }
    if (Type() != SYM_RPAREN) throw X_ExpectedRParen(Line());
    tokenizer->Advance();
    if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
    tokenizer->Advance();
}

// Rule 3: one or more "input|output [range] name ;", then sorted into header order.
void NetlistParser::IoDeclarations()
{
    do {
        IoDecl decl;
        if (Type() == KW_INOUT) throw X_BidirsNotSupported(Line());
        if (Type() != KW_INPUT && Type() != KW_OUTPUT) throw X_InputOutputNeeded(Line());
        decl.isInput = Type() == KW_INPUT;
        tokenizer->Advance();
        if (Type() == SYM_LBRACKET) {
            ParseRange(decl.msb, decl.lsb);
            decl.rangeGiven = true;
            if (decl.lsb != 0) throw X_IoLowBitShouldBeZero(Line());
        }
        if (Type() != TOK_IDENT) throw X_ExpectedModIoName(Line());
        decl.name = IdentText();
        tokenizer->Advance();
        if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
        tokenizer->Advance();
        io_list.push_back(std::move(decl));
    } while (Type() == KW_INPUT || Type() == KW_OUTPUT || Type() == KW_INOUT);
    SortIoList();
}

// Rule 4: [ msb ] or [ msb : lsb ], high bit first.
void NetlistParser::ParseRange(int& msb, int& lsb)
{
    tokenizer->Advance();
    if (Type() != TOK_NUMBER) throw X_BitSliceNotANumber(Line());
    msb = lsb = NumberValue();
    tokenizer->Advance();
    if (Type() == SYM_COLON) {
        tokenizer->Advance();
        if (Type() != TOK_NUMBER) throw X_BitSliceNotANumber(Line());
        lsb = NumberValue();
        tokenizer->Advance();
    }
    if (Type() != SYM_RBRACKET) throw X_ExpectedRBracket(Line());
    tokenizer->Advance();
    if (msb < lsb) throw X_BitOrderBackwards(Line());
    if (static_cast<long long>(msb) - lsb + 1 > kMaxBits) throw X_WidthTooLarge(Line());
}

// Rule 5: groups of wires, instances and an assign block; a further group only after an
// assign block that ended with a wire-to-wire alias.
void NetlistParser::ModuleBody()
{
    for (;;) {
        while (Type() == KW_WIRE) WireDeclaration();
        while (Type() == TOK_IDENT) Instance();
        if (Type() != KW_ASSIGN || !AssignBlock()) break;
    }
    if (Type() != KW_ENDMODULE) throw X_ExpectedEndModule(Line());
    tokenizer->Advance();
}

// Rule 6: wire [range] name ;
void NetlistParser::WireDeclaration()
{
    tokenizer->Advance();
    int msb = 0, lsb = 0;
    if (Type() == SYM_LBRACKET) ParseRange(msb, lsb);
    if (Type() != TOK_IDENT) throw X_ExpectedWireName(Line());
    std::string name = IdentText();
    tokenizer->Advance();
    if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
    tokenizer->Advance();
    DeclareWire(name, msb - lsb + 1);
}

// Rule 7: type name ( .port(expr), ... ) ; [defparam ...]
void NetlistParser::Instance()
{
    std::string type_name = IdentText();
    tokenizer->Advance();
    if (Type() != TOK_IDENT) throw X_ExpectedNodeName(Line());
    BeginInstance(type_name, IdentText());
    tokenizer->Advance();
    if (Type() != SYM_LPAREN) throw X_ExpectedLParen(Line());
    tokenizer->Advance();
    Connection();
    while (Type() == SYM_COMMA) {
        tokenizer->Advance();
        Connection();
    }
    if (Type() != SYM_RPAREN) throw X_ExpectedRParen(Line());
    tokenizer->Advance();
    if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
    tokenizer->Advance();
    if (Type() == KW_DEFPARAM) Defparam();
}

// Rule 8: .port ( [expression] )
void NetlistParser::Connection()
{
    if (Type() != SYM_PERIOD) throw X_ExpectedPortPeriod(Line());
    tokenizer->Advance();
    if (Type() != TOK_IDENT) throw X_ExpectedPortName(Line());
    std::string port_name = IdentText();
    tokenizer->Advance();
    if (Type() != SYM_LPAREN) throw X_ExpectedLParen(Line());
    tokenizer->Advance();
    if (Type() != SYM_RPAREN) ConnectPort(port_name, Expression());
    if (Type() != SYM_RPAREN) throw X_ExpectedRParen(Line());
    tokenizer->Advance();
}

// Rule 9: an element, or a concatenation of elements that may nest. Nesting is tracked by a
// depth count rather than recursion, so no nesting depth can exhaust the stack.
TermList NetlistParser::Expression()
{
    TermList terms;
    if (Type() != SYM_LBRACE) {
        Element(terms);
        return terms;
    }
    long long depth = 0;
    for (;;) {
        // An element is expected here; an opening brace starts a nested concatenation.
        while (Type() == SYM_LBRACE) {
            tokenizer->Advance();
            ++depth;
        }
        Element(terms);
        if (static_cast<long long>(terms.size()) > MAX_EXPRESSION_TERMS) throw X_TooManyTerms(Line());
        // After an element: the next one, or the end of one or more concatenations.
        for (;;) {
            if (Type() == SYM_COMMA) {
                tokenizer->Advance();
                break;
            }
            if (Type() != SYM_RBRACE) throw X_ExpectedBusClosure(Line());
            tokenizer->Advance();
            if (--depth == 0) return terms;
        }
    }
}

// An element other than a concatenation: a replication, a sized literal or a term.
void NetlistParser::Element(TermList& terms)
{
    if (Type() != TOK_NUMBER) {
        terms.push_back(ParseTerm());
        return;
    }
    int count = NumberValue();
    tokenizer->Advance();
    if (Type() != SYM_LBRACE) {
        terms.push_back(LiteralOfCount(count));
        return;
    }
    tokenizer->Advance();
    Term term = ParseTerm();
    if (Type() != SYM_RBRACE) throw X_ExpectedBusClosure(Line());
    tokenizer->Advance();
    if (term.kind != TERM_NAMED) {
        long long width = (static_cast<long long>(term.msb) + 1) * count;
        if (width > kMaxBits) throw X_WidthTooLarge(Line());
        term.msb = static_cast<int>(width - 1);
        term.lsb = 0;
        terms.push_back(std::move(term));
        return;
    }
    if (count > MAX_EXPRESSION_TERMS - static_cast<long long>(terms.size()) ||
        count > MAX_REPLICATED_TERMS - replicated_terms)
        throw X_TooManyTerms(Line());
    replicated_terms += count;
    terms.insert(terms.end(), static_cast<size_t>(count), term);
}

// Rule 10: a sized literal, or [(] [~] name [range] [)].
Term NetlistParser::ParseTerm()
{
    if (Type() == TOK_NUMBER) return SizedLiteral();
    Term term;
    bool parenthesised = Type() == SYM_LPAREN;
    if (parenthesised) tokenizer->Advance();
    if (Type() == SYM_TILDE) {
        term.inverted = true;
        tokenizer->Advance();
    }
    if (Type() != TOK_IDENT) throw X_ExpectedSrcName(Line());
    term.name = IdentText();
    term.kind = TERM_NAMED;
    tokenizer->Advance();
    if (Type() == SYM_LBRACKET) {
        ParseRange(term.msb, term.lsb);
        term.rangeGiven = true;
    }
    if (parenthesised) {
        if (Type() != SYM_RPAREN) throw X_MismatchedParens(Line());
        tokenizer->Advance();
    }
    return term;
}

// count 'b0 or count 'b1, the number being current.
Term NetlistParser::SizedLiteral()
{
    int count = NumberValue();
    tokenizer->Advance();
    return LiteralOfCount(count);
}

// The 'b0 or 'b1 of a sized literal whose bit count has been read.
Term NetlistParser::LiteralOfCount(int count)
{
    if (Type() != KW_BIT0 && Type() != KW_BIT1) throw X_ExpectedBitConst(Line());
    if (count > kMaxBits) throw X_WidthTooLarge(Line());
    Term term;
    term.kind = Type() == KW_BIT0 ? TERM_ZERO : TERM_ONE;
    term.msb = count - 1;
    term.lsb = 0;
    term.rangeGiven = true;
    tokenizer->Advance();
    return term;
}

// Rule 11: defparam inst.param = value, ... ;
void NetlistParser::Defparam()
{
    tokenizer->Advance();
    ParamAssignment();
    while (Type() == SYM_COMMA) {
        tokenizer->Advance();
        ParamAssignment();
    }
    if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
    tokenizer->Advance();
}

void NetlistParser::ParamAssignment()
{
    if (Type() != TOK_IDENT) throw X_ExpectedNodeName(Line());
    if (IdentText() != current_instance) throw X_NonlocalDefparam(Line());
    tokenizer->Advance();
    if (Type() != SYM_PERIOD) throw X_MalformedParamName(Line());
    tokenizer->Advance();
    if (Type() != TOK_IDENT) throw X_ExpectedParamName(Line());
    std::string sim_name = current_module->MapParam(IdentText());
    if (sim_name.empty()) {
        current_module->DumpParamNames();
        throw X_UnknownParameter(Line(), IdentText());
    }
    tokenizer->Advance();
    if (Type() != SYM_EQUALS) throw X_ExpectedEquals(Line());
    tokenizer->Advance();
    if (Type() == TOK_NUMBER)
        SetParameter(sim_name, ParamValue(NumberValue()));
    else if (Type() == TOK_STRING)
        SetParameter(sim_name, ParamValue(static_cast<Tok_String&>(tokenizer->Current()).text));
    else
        throw X_ExpectedParamVal(Line());
    tokenizer->Advance();
}

// Rule 12: target = expression; answers whether it was a wire-to-wire alias.
bool NetlistParser::Assignment()
{
    if (Type() != TOK_IDENT) throw X_ExpectedModIoName(Line());
    std::string target = IdentText();
    tokenizer->Advance();
    if (Type() != SYM_EQUALS) throw X_ExpectedEquals(Line());
    tokenizer->Advance();
    return Assign(target, Expression());
}

// Rule 13: assign statements in a row; the alias report of the very last assignment.
bool NetlistParser::AssignBlock()
{
    bool alias = false;
    do {
        tokenizer->Advance();
        alias = Assignment();
        while (Type() == SYM_COMMA) {
            tokenizer->Advance();
            alias = Assignment();
        }
        if (Type() != SYM_SEMICOLON) throw X_ExpectedSemicolon(Line());
        tokenizer->Advance();
    } while (Type() == KW_ASSIGN);
    return alias;
}

}  // namespace Parser
