// Parser::Tokenizer: turns a netlist file into tokens, one token of lookahead. Reads the file
// sequentially in 4096-byte blocks into one fixed buffer; never fails (unclassifiable input
// becomes a Tok_Error).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "frontend/tokens.h"

namespace Parser {

class Tokenizer {
public:
    static constexpr int BLOCK_SIZE = 4096;
    static constexpr int MAX_TEXT = 1024;  // longest identifier, number or string text
    static constexpr char END_MARKER = 0x04;

    explicit Tokenizer(const std::string& path);
    ~Tokenizer();
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // The lookahead token; scans the first one on first use. Never null.
    Token& Current();
    // Drops the current token and scans the next; answers whether the input has ended.
    bool Advance();
    int Line() const { return line_; }
    bool IsOpen() const { return open_; }
    bool AtEnd() const { return done_ || !open_; }

private:
    void Refill();
    char Look();
    void Step();
    // Scans one token into current_; answers true when the input ended instead.
    bool Scan();
    void ScanName();
    void SkipToLineEnd();
    // Skips a block comment whose "/*" has been consumed; false when the input ended in it.
    bool SkipBlockComment();

    std::FILE* file_ = nullptr;        // open until the last block has been read
    char buffer_[BLOCK_SIZE];          // the current block; END_MARKER follows a short last block
    int position_ = BLOCK_SIZE;        // index of the current character; BLOCK_SIZE = block used up
    bool open_ = false;                // the file could be opened
    bool eof_ = false;                 // the last block has been read
    int line_ = 1;                     // line counter, counts line feeds between tokens
    bool done_ = false;                // the last scan reached the end of the input
    std::unique_ptr<Token> current_;   // the lookahead token
    char text_[MAX_TEXT + 1];          // scratch text of the token being scanned
    int text_length_ = 0;              // characters in text_
};

}  // namespace Parser
