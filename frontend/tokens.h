// The token classes of the netlist tokenizer and their integer codes. The grammar parser
// compares type() against these codes; only the tokenizer creates tokens.
#pragma once

#include <cstdint>
#include <string>

namespace Parser {

// type() codes. Keywords and symbols carry their own code; the parser compares against it.
enum TokenCode : int {
    TOK_EOF = 1,
    TOK_ERROR = 2,
    TOK_IDENT = 3,
    TOK_NUMBER = 4,
    TOK_STRING = 5,
    KW_MODULE = 6,
    KW_INPUT = 7,
    KW_OUTPUT = 8,
    KW_INOUT = 9,
    KW_WIRE = 10,
    KW_DEFPARAM = 11,
    KW_ASSIGN = 12,
    KW_ENDMODULE = 13,
    KW_BIT0 = 14,  // 'b0
    KW_BIT1 = 15,  // 'b1
    SYM_COMMA = 16,
    SYM_PERIOD = 17,
    SYM_EQUALS = 18,
    SYM_COLON = 19,
    SYM_SEMICOLON = 20,
    SYM_LPAREN = 21,
    SYM_RPAREN = 22,
    SYM_LBRACKET = 23,
    SYM_RBRACKET = 24,
    SYM_LBRACE = 25,
    SYM_RBRACE = 26,
    SYM_TILDE = 27,
};

class Token {
public:
    virtual ~Token() = default;
    virtual int type() const = 0;
};

class Tok_Eof : public Token {
public:
    int type() const override { return TOK_EOF; }
};

class Tok_Error : public Token {
public:
    explicit Tok_Error(std::string text) : text(std::move(text)) {}
    int type() const override { return TOK_ERROR; }
    std::string text;  // what went wrong; never shown to the user
};

class Tok_Ident : public Token {
public:
    explicit Tok_Ident(std::string text) : text(std::move(text)) {}
    int type() const override { return TOK_IDENT; }
    std::string text;
};

class Tok_Number : public Token {
public:
    explicit Tok_Number(int32_t value) : value(value) {}
    int type() const override { return TOK_NUMBER; }
    int32_t value;  // leading decimal digits; saturates at INT32_MAX
};

class Tok_String : public Token {
public:
    explicit Tok_String(std::string text) : text(std::move(text)) {}
    int type() const override { return TOK_STRING; }
    std::string text;  // without the quotes
};

class Tok_Keyword : public Token {
public:
    explicit Tok_Keyword(int code) : code(code) {}
    int type() const override { return code; }
    int code;  // KW_MODULE .. KW_BIT1
};

class Tok_Symbol : public Token {
public:
    explicit Tok_Symbol(int code) : code(code) {}
    int type() const override { return code; }
    int code;  // SYM_COMMA .. SYM_TILDE
};

}  // namespace Parser
