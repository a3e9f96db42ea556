// Tokenizer: token classes and codes, comments and directive lines, the 1024-character
// limits, the end marker, number saturation and block boundaries.
#include "frontend/tokenizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_dir.h"

using namespace Parser;

namespace {

// A token as text: "kw6", "sym20", "id:m", "num:12", "str:abc", "err:/", "eof".
std::string Describe(Token& token)
{
    switch (token.type()) {
    case TOK_EOF: return "eof";
    case TOK_ERROR: return "err:" + static_cast<Tok_Error&>(token).text;
    case TOK_IDENT: return "id:" + static_cast<Tok_Ident&>(token).text;
    case TOK_NUMBER: return "num:" + std::to_string(static_cast<Tok_Number&>(token).value);
    case TOK_STRING: return "str:" + static_cast<Tok_String&>(token).text;
    default: return (token.type() <= KW_BIT1 ? "kw" : "sym") + std::to_string(token.type());
    }
}

// Every token of the file up to and including the first eof.
std::vector<std::string> TokensOf(Tokenizer& tokenizer)
{
    std::vector<std::string> tokens;
    for (;;) {
        tokens.push_back(Describe(tokenizer.Current()));
        if (tokenizer.Current().type() == TOK_EOF) return tokens;
        tokenizer.Advance();
    }
}

std::vector<std::string> TokensOfText(const std::string& text)
{
    ScratchDir dir;
    Tokenizer tokenizer(dir.Write("t.vo", text));
    return TokensOf(tokenizer);
}

using Tokens = std::vector<std::string>;

}  // namespace

TEST(Tokenizer, ClassifiesEveryTokenKind)
{
    struct Case {
        std::string text;
        Tokens expected;
    };
    const Case cases[] = {
        {"", {"eof"}},
        {"module m;\n", {"kw6", "id:m", "sym20", "eof"}},
        {"module input output inout wire defparam assign endmodule 'b0 'b1",
         {"kw6", "kw7", "kw8", "kw9", "kw10", "kw11", "kw12", "kw13", "kw14", "kw15", "eof"}},
        {", . = : ; ( ) [ ] { } ~",
         {"sym16", "sym17", "sym18", "sym19", "sym20", "sym21", "sym22", "sym23", "sym24", "sym25", "sym26",
          "sym27", "eof"}},
        {"Module MODULE endmodule2 a_b1", {"id:Module", "id:MODULE", "id:endmodule2", "id:a_b1", "eof"}},
        {"8'b1", {"num:8", "kw15", "eof"}},
        {"'B0", {"err:Malformed bit constant", "id:B0", "eof"}},
        {"'b2", {"err:Malformed bit constant", "num:2", "eof"}},
        {"'h0", {"err:Malformed bit constant", "id:h0", "eof"}},
        {"a/b", {"id:a", "err:/", "id:b", "eof"}},
        {"\\esc", {"err:Unrecognized symbol: \\", "id:esc", "eof"}},
        {"_x", {"err:Unrecognized symbol: _", "id:x", "eof"}},
        {"$ #", {"err:Unrecognized symbol: $", "err:Unrecognized symbol: #", "eof"}},
        {"12ab 1_000 007", {"num:12", "num:1", "num:7", "eof"}},
        {"\"a b\nc\" x", {"str:a b\nc", "id:x", "eof"}},
        {"\"unterminated", {"str:unterminated", "eof"}},
        {"a // comment ; x\nb", {"id:a", "id:b", "eof"}},
        {"a /* x ; \n y */ b", {"id:a", "id:b", "eof"}},
        {"a /* x **/ b", {"id:a", "id:b", "eof"}},
        {"a /* never closed", {"id:a", "eof"}},
        {"a /* ends on star *", {"id:a", "eof"}},
        {"`timescale 1 ns / 1 ps\nmodule", {"kw6", "eof"}},
        {"a\x04 b", {"id:a", "eof"}},
        {"/", {"err:/", "eof"}},
        {"'", {"err:Malformed bit constant", "eof"}},
        {"'b", {"err:Malformed bit constant", "eof"}},
    };
    for (const Case& c : cases) EXPECT_EQ(TokensOfText(c.text), c.expected) << "input: " << c.text;
}

TEST(Tokenizer, CountsLineFeedsBetweenTokensAndOfDirectiveLines)
{
    ScratchDir dir;
    Tokenizer tokenizer(dir.Write("t.vo", "`timescale 1ns\nmodule m;\n"));
    EXPECT_EQ(TokensOf(tokenizer), (Tokens{"kw6", "id:m", "sym20", "eof"}));
    EXPECT_EQ(tokenizer.Line(), 3);
    EXPECT_TRUE(tokenizer.AtEnd());
}

TEST(Tokenizer, DoesNotCountLineFeedsInsideBlockCommentsOrStrings)
{
    ScratchDir dir;
    Tokenizer tokenizer(dir.Write("t.vo", "/*\n\n*/ \"\n\" x"));
    TokensOf(tokenizer);
    EXPECT_EQ(tokenizer.Line(), 1);
}

TEST(Tokenizer, EmptyFileIsAtEndAfterFirstToken)
{
    ScratchDir dir;
    Tokenizer tokenizer(dir.Write("t.vo", ""));
    EXPECT_TRUE(tokenizer.IsOpen());
    EXPECT_FALSE(tokenizer.AtEnd());
    EXPECT_EQ(tokenizer.Current().type(), TOK_EOF);
    EXPECT_TRUE(tokenizer.AtEnd());
    EXPECT_TRUE(tokenizer.Advance());
    EXPECT_EQ(tokenizer.Current().type(), TOK_EOF);
}

TEST(Tokenizer, MissingFileBehavesAsEmptyInput)
{
    Tokenizer tokenizer("/nonexistent/blocktide/none.vo");
    EXPECT_FALSE(tokenizer.IsOpen());
    EXPECT_TRUE(tokenizer.AtEnd());
    EXPECT_EQ(tokenizer.Current().type(), TOK_EOF);
}

TEST(Tokenizer, CutsNamesAndStringsAt1024Characters)
{
    std::string letters(1500, 'q');
    EXPECT_EQ(TokensOfText(letters), (Tokens{"id:" + std::string(1024, 'q'), "id:" + std::string(476, 'q'), "eof"}));

    // The 1025th string character is dropped; the rest is scanned as ordinary tokens.
    std::string body = std::string(1024, 's') + "!" + std::string(975, 't');
    EXPECT_EQ(TokensOfText("\"" + body),
              (Tokens{"str:" + std::string(1024, 's'), "id:" + std::string(975, 't'), "eof"}));
}

TEST(Tokenizer, NumberBeyondInt32SaturatesAtInt32Max)
{
    EXPECT_EQ(TokensOfText("2147483647 2147483648 99999999999999999999999"),
              (Tokens{"num:2147483647", "num:2147483647", "num:2147483647", "eof"}));
    // A run of 1024 digits and more: one saturated number per 1024-character cut.
    EXPECT_EQ(TokensOfText(std::string(1030, '9')), (Tokens{"num:2147483647", "num:999999", "eof"}));
}

TEST(Tokenizer, TokensStraddlingBlockBoundariesStayWhole)
{
    // Place an identifier and a comment across the 4096-byte block boundaries.
    for (int shift : {4090, 4093, 4095, 4096, 8190}) {
        std::string text(shift, ' ');
        text += "abcdefghij /* x */ 'b1 \"str\"";
        EXPECT_EQ(TokensOfText(text), (Tokens{"id:abcdefghij", "kw15", "str:str", "eof"})) << "shift " << shift;
    }
    std::string exact(4096, ' ');
    EXPECT_EQ(TokensOfText(exact), (Tokens{"eof"}));
}

TEST(Tokenizer, ManyConsecutiveCommentsDoNotExhaustTheStack)
{
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "/**/`d\n";
    text += "x";
    EXPECT_EQ(TokensOfText(text), (Tokens{"id:x", "eof"}));
}
