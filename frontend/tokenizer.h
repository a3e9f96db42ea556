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
    static constexpr int kBlockSize = 4096;
    static constexpr int kMaxText = 1024;  // longest identifier, number or string text
    static constexpr char kEndMarker = 0x04;

    explicit Tokenizer(const std::string& path);
    ~Tokenizer();
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // The lookahead token; scans the first one on first use. Never null.
    Token& Current();
    // Drops the current token and scans the next; answers whether the input has ended.
    bool Advance();
    int Line() const { return line; }
    bool IsOpen() const { return is_open; }
    bool AtEnd() const { return done || !is_open; }

private:
    void Refill();
    char Look();
    void Step();
    // Scans one token into current; answers true when the input ended instead.
    bool Scan();
    void ScanName();
    void SkipToLineEnd();
    // Skips a block comment whose "/*" has been consumed; false when the input ended in it.
    bool SkipBlockComment();

    std::FILE* file = nullptr;        // open until the last block has been read
    char buffer[kBlockSize];          // the current block; kEndMarker follows a short last block
    int position = kBlockSize;        // index of the current character; kBlockSize = block used up
    bool is_open = false;                // the file could be opened
    bool at_eof = false;                 // the last block has been read
    int line = 1;                     // line counter, counts line feeds between tokens
    bool done = false;                // the last scan reached the end of the input
    std::unique_ptr<Token> current;   // the lookahead token
    char text[kMaxText + 1];          // scratch text of the token being scanned
    int text_length = 0;              // characters in text
};

}  // namespace Parser
