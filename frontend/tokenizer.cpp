// Parser::Tokenizer: the character reader over 4096-byte blocks and the one-token scanner.
// The scanner looks at one character at a time and never backs up.
#include "frontend/tokenizer.h"

#include <cstdint>
#include <cstring>

namespace Parser {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == Tokenizer::kEndMarker; }

int SymbolCode(char c)
{
    switch (c) {
    case ',': return SYM_COMMA;
    case '.': return SYM_PERIOD;
    case '=': return SYM_EQUALS;
    case ':': return SYM_COLON;
    case ';': return SYM_SEMICOLON;
    case '(': return SYM_LPAREN;
    case ')': return SYM_RPAREN;
    case '[': return SYM_LBRACKET;
    case ']': return SYM_RBRACKET;
    case '{': return SYM_LBRACE;
    case '}': return SYM_RBRACE;
    case '~': return SYM_TILDE;
    default: return 0;
    }
}

struct Keyword {
    const char* text;
    int code;
};
constexpr Keyword KEYWORDS[] = {
    {"module", KW_MODULE},     {"input", KW_INPUT},   {"output", KW_OUTPUT},
    {"inout", KW_INOUT},       {"wire", KW_WIRE},     {"defparam", KW_DEFPARAM},
    {"assign", KW_ASSIGN},     {"endmodule", KW_ENDMODULE},
};

// The leading decimal digits of text; values beyond INT32_MAX saturate there.
int32_t LeadingNumber(const char* text)
{
    int64_t value = 0;
    for (; IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

Tokenizer::Tokenizer(const std::string& path)
{
    file = std::fopen(path.c_str(), "rb");
    is_open = file != nullptr;
    if (!is_open) {
        // Behaves as an empty file: the first look finds the end marker.
        at_eof = true;
        position = 0;
        buffer[0] = kEndMarker;
    }
    text[0] = '\0';
}

Tokenizer::~Tokenizer()
{
    if (file) std::fclose(file);
}

void Tokenizer::Refill()
{
    if (at_eof) return;
    position = 0;
    size_t got = std::fread(buffer, 1, kBlockSize, file);
    if (got < static_cast<size_t>(kBlockSize)) {
        // A read error counts as the end of the file.
        buffer[got] = kEndMarker;
        at_eof = true;
        std::fclose(file);
        file = nullptr;
    }
}

char Tokenizer::Look()
{
    if (position == kBlockSize) Refill();
    return buffer[position];
}

void Tokenizer::Step()
{
    if (Look() != kEndMarker) ++position;
}

Token& Tokenizer::Current()
{
    if (!current) Advance();
    return *current;
}

bool Tokenizer::Advance()
{
    done = Scan();
    if (done && (!current || current->type() != TOK_EOF)) current = std::make_unique<Tok_Eof>();
    return done;
}

void Tokenizer::ScanName()
{
    text_length = 0;
    for (char c = Look(); IsNameChar(c) && text_length < kMaxText; c = Look()) {
        text[text_length++] = c;
        Step();
    }
    text[text_length] = '\0';
}

void Tokenizer::SkipToLineEnd()
{
    while (!IsLineEnd(Look())) Step();
}

bool Tokenizer::SkipBlockComment()
{
    for (;;) {
        if (Look() == kEndMarker) return false;
        for (char c = Look(); c != '*' && c != kEndMarker; c = Look()) Step();
        Step();
        if (Look() == '/') {
            Step();
            return true;
        }
    }
}

bool Tokenizer::Scan()
{
    // Comments and directive lines restart the scan; a loop keeps long runs of them off the stack.
    for (;;) {
        if (Look() == kEndMarker) return true;
        current.reset();

        char c = Look();
        while (IsBlank(c)) {
            if (c == '\n') ++line;
            Step();
            c = Look();
        }
        if (c == kEndMarker) return true;

        if (IsLetter(c)) {
            ScanName();
            for (const Keyword& keyword : KEYWORDS) {
                if (std::strcmp(text, keyword.text) == 0) {
                    current = std::make_unique<Tok_Keyword>(keyword.code);
                    return false;
                }
            }
            current = std::make_unique<Tok_Ident>(std::string(text, text_length));
            return false;
        }
        if (IsDigit(c)) {
            ScanName();
            current = std::make_unique<Tok_Number>(LeadingNumber(text));
            return false;
        }
        if (c == '/') {
            Step();
            char next = Look();
            if (next == '/') {
                SkipToLineEnd();
                continue;
            }
            if (next == '*') {
                Step();
                if (!SkipBlockComment()) return true;
                continue;
            }
            current = std::make_unique<Tok_Error>("/");
            return false;
        }
        if (c == '`') {
            SkipToLineEnd();
            continue;
        }
        if (c == '"') {
            Step();
            text_length = 0;
            for (char s = Look(); s != '"' && s != kEndMarker && text_length < kMaxText; s = Look()) {
                text[text_length++] = s;
                Step();
            }
            text[text_length] = '\0';
            Step();  // the closing quote, or the character after 1024 copied ones
            current = std::make_unique<Tok_String>(std::string(text, text_length));
            return false;
        }
        if (int code = SymbolCode(c)) {
            Step();
            current = std::make_unique<Tok_Symbol>(code);
            return false;
        }
        if (c == '\'') {
            Step();
            if (Look() == 'b') {
                Step();
                char bit = Look();
                if (bit == '0' || bit == '1') {
                    Step();
                    current = std::make_unique<Tok_Keyword>(bit == '0' ? KW_BIT0 : KW_BIT1);
                    return false;
                }
            }
            current = std::make_unique<Tok_Error>("Malformed bit constant");
            return false;
        }
        Step();
        current = std::make_unique<Tok_Error>(std::string("Unrecognized symbol: ") + c);
        return false;
    }
}

}  // namespace Parser
