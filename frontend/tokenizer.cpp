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
bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == Tokenizer::END_MARKER; }

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
    file_ = std::fopen(path.c_str(), "rb");
    open_ = file_ != nullptr;
    if (!open_) {
        // Behaves as an empty file: the first look finds the end marker.
        eof_ = true;
        position_ = 0;
        buffer_[0] = END_MARKER;
    }
    text_[0] = '\0';
}

Tokenizer::~Tokenizer()
{
    if (file_) std::fclose(file_);
}

void Tokenizer::Refill()
{
    if (eof_) return;
    position_ = 0;
    size_t got = std::fread(buffer_, 1, BLOCK_SIZE, file_);
    if (got < static_cast<size_t>(BLOCK_SIZE)) {
        // A read error counts as the end of the file.
        buffer_[got] = END_MARKER;
        eof_ = true;
        std::fclose(file_);
        file_ = nullptr;
    }
}

char Tokenizer::Look()
{
    if (position_ == BLOCK_SIZE) Refill();
    return buffer_[position_];
}

void Tokenizer::Step()
{
    if (Look() != END_MARKER) ++position_;
}

Token& Tokenizer::Current()
{
    if (!current_) Advance();
    return *current_;
}

bool Tokenizer::Advance()
{
    done_ = Scan();
    if (done_ && (!current_ || current_->type() != TOK_EOF)) current_ = std::make_unique<Tok_Eof>();
    return done_;
}

void Tokenizer::ScanName()
{
    text_length_ = 0;
    for (char c = Look(); IsNameChar(c) && text_length_ < MAX_TEXT; c = Look()) {
        text_[text_length_++] = c;
        Step();
    }
    text_[text_length_] = '\0';
}

void Tokenizer::SkipToLineEnd()
{
    while (!IsLineEnd(Look())) Step();
}

bool Tokenizer::SkipBlockComment()
{
    for (;;) {
        if (Look() == END_MARKER) return false;
        for (char c = Look(); c != '*' && c != END_MARKER; c = Look()) Step();
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
        if (Look() == END_MARKER) return true;
        current_.reset();

        char c = Look();
        while (IsBlank(c)) {
            if (c == '\n') ++line_;
            Step();
            c = Look();
        }
        if (c == END_MARKER) return true;

        if (IsLetter(c)) {
            ScanName();
            for (const Keyword& keyword : KEYWORDS) {
                if (std::strcmp(text_, keyword.text) == 0) {
                    current_ = std::make_unique<Tok_Keyword>(keyword.code);
                    return false;
                }
            }
            current_ = std::make_unique<Tok_Ident>(std::string(text_, text_length_));
            return false;
        }
        if (IsDigit(c)) {
            ScanName();
            current_ = std::make_unique<Tok_Number>(LeadingNumber(text_));
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
            current_ = std::make_unique<Tok_Error>("/");
            return false;
        }
        if (c == '`') {
            SkipToLineEnd();
            continue;
        }
        if (c == '"') {
            Step();
            text_length_ = 0;
            for (char s = Look(); s != '"' && s != END_MARKER && text_length_ < MAX_TEXT; s = Look()) {
                text_[text_length_++] = s;
                Step();
            }
            text_[text_length_] = '\0';
            Step();  // the closing quote, or the character after 1024 copied ones
            current_ = std::make_unique<Tok_String>(std::string(text_, text_length_));
            return false;
        }
        if (int code = SymbolCode(c)) {
            Step();
            current_ = std::make_unique<Tok_Symbol>(code);
            return false;
        }
        if (c == '\'') {
            Step();
            if (Look() == 'b') {
                Step();
                char bit = Look();
                if (bit == '0' || bit == '1') {
                    Step();
                    current_ = std::make_unique<Tok_Keyword>(bit == '0' ? KW_BIT0 : KW_BIT1);
                    return false;
                }
            }
            current_ = std::make_unique<Tok_Error>("Malformed bit constant");
            return false;
        }
        Step();
        current_ = std::make_unique<Tok_Error>(std::string("Unrecognized symbol: ") + c);
        return false;
    }
}

}  // namespace Parser
