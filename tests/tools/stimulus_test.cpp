// Stimulus files and values of the blocktide command, and its waveform output.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tools/stimulus.h"

using namespace blocktide_cli;

namespace {

MLIB_UINTEGER fitted(const std::string& text, int width, bool& cut)
{
    StimulusValue value;
    std::string error;
    EXPECT_TRUE(ParseValue(text, value, error)) << error;
    return FitToWidth(value, width, cut);
}

}  // namespace

TEST(StimulusValues, DecimalHexNegativeAndWide)
{
    struct Case {
        const char* text;
        int width;
        uint32_t word0, word1;
        bool cut;
    } cases[] = {
        {"5", 8, 5, 0, false},
        {"-1", 8, 0xFF, 0, false},
        {"-128", 8, 0x80, 0, false},
        {"-129", 8, 0x7F, 0, true},
        {"256", 8, 0, 0, true},
        {"0xFF", 8, 0xFF, 0, false},
        {"0x1FF", 8, 0xFF, 0, true},
        {"0x123456789A", 40, 0x3456789A, 0x12, false},
        {"1099511627775", 40, 0xFFFFFFFF, 0xFF, false},  // 2^40 - 1
        {"-1", 40, 0xFFFFFFFF, 0xFF, false},
        {"0", 1, 0, 0, false},
        {"-0", 4, 0, 0, false},
    };
    for (const Case& c : cases) {
        bool cut = false;
        MLIB_UINTEGER v = fitted(c.text, c.width, cut);
        EXPECT_EQ(v.width(), c.width) << c.text;
        EXPECT_EQ(v.word(0), c.word0) << c.text;
        EXPECT_EQ(v.word(1), c.word1) << c.text;
        EXPECT_EQ(cut, c.cut) << c.text;
    }
    bool cut = false;
    MLIB_UINTEGER wide = fitted("0x1_0000_0000_0000_0000_0000_0001", 100, cut);
    EXPECT_EQ(wide.word(0), 1u);
    EXPECT_EQ(wide.word(3), 0x1u);
    EXPECT_FALSE(cut);
    MLIB_UINTEGER big_decimal = fitted("340282366920938463463374607431768211455", 128, cut);  // 2^128 - 1
    EXPECT_EQ(big_decimal.word(3), 0xFFFFFFFFu);
    EXPECT_FALSE(cut);

    StimulusValue value;
    std::string error;
    for (const char* bad : {"", "-", "0x", "12a", "0xG", "1.5"})
        EXPECT_FALSE(ParseValue(bad, value, error)) << bad;
}

TEST(StimulusFiles, HeaderCyclesColumnAndSteps)
{
    std::istringstream in("b, cycles ,a\r\n1,2,0x10\n\n# a comment\n-1,1,7\n");
    Stimulus stimulus;
    std::string error;
    ASSERT_TRUE(ReadStimulus(in, stimulus, error)) << error;
    ASSERT_EQ(stimulus.inputs, (std::vector<std::string>{"b", "a"}));
    ASSERT_EQ(stimulus.steps.size(), 2u);
    EXPECT_EQ(stimulus.steps[0].cycles, 2);
    EXPECT_EQ(stimulus.steps[0].values[1].magnitude.to_uint(), 0x10u);
    EXPECT_EQ(stimulus.steps[1].line, 5);
    EXPECT_TRUE(stimulus.steps[1].values[0].negative);
}

TEST(StimulusFiles, ErrorsNameLineAndColumn)
{
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "the stimulus file is empty: its first line must name design inputs"},
        {"a,b\n1,2\n3,x\n", "line 3, column 2 (b): malformed value 'x'"},
        {"a,b\n1\n", "line 2: 1 fields where the header names 2"},
        {"a,,b\n", "line 1, column 2: empty column name"},
        {"cycles,a\n-1,0\n", "line 2, column 1 (cycles): a cycle count must be between 0 and 1073741823"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        Stimulus stimulus;
        std::string error;
        EXPECT_FALSE(ReadStimulus(in, stimulus, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

TEST(StimulusFiles, SpreadsheetHeadersAndRepeatedColumns)
{
    std::istringstream in("\xEF\xBB\xBF\"a\", \"b \"\"x\"\"\" ,cycles\n\"1\",2,3\n");
    Stimulus stimulus;
    std::string error;
    ASSERT_TRUE(ReadStimulus(in, stimulus, error)) << error;
    EXPECT_EQ(stimulus.inputs, (std::vector<std::string>{"a", "b \"x\""}));
    ASSERT_EQ(stimulus.steps.size(), 1u);
    EXPECT_EQ(stimulus.steps[0].values[0].magnitude.to_uint(), 1u);
    EXPECT_EQ(stimulus.steps[0].cycles, 3);

    for (const char* repeated : {"a,b,a\n1,2,3\n", "cycles,a,cycles\n1,2,3\n"}) {
        std::istringstream again(repeated);
        Stimulus ignored;
        EXPECT_FALSE(ReadStimulus(again, ignored, error)) << repeated;
        EXPECT_NE(error.find("line 1, column 3: '"), std::string::npos) << error;
        EXPECT_NE(error.find("names a column already"), std::string::npos) << error;
    }
}

TEST(StimulusFiles, LongValuesAndLinesAreBoundedAndExact)
{
    // A decimal value at the digit limit is read exactly (10^20000 - 1 is odd and ends in ...9999);
    // one digit more is refused with a pointer to hexadecimal.
    StimulusValue value;
    std::string error;
    ASSERT_TRUE(ParseValue(std::string(kMaxDecimalDigits, '9'), value, error)) << error;
    EXPECT_EQ(value.magnitude.word(0) % 16, (10000 - 1) % 16);  // 10^k is 0 mod 16 for k >= 4
    EXPECT_FALSE(ParseValue(std::string(kMaxDecimalDigits + 1, '1'), value, error));
    EXPECT_NE(error.find("hexadecimal"), std::string::npos) << error;

    // Hexadecimal of a megabit, read digit for digit.
    std::string hex = "0x8" + std::string(262142, '0') + "1";
    ASSERT_TRUE(ParseValue(hex, value, error)) << error;
    bool cut = false;
    MLIB_UINTEGER fitted = FitToWidth(value, 1048580, cut);
    EXPECT_FALSE(cut);
    EXPECT_EQ(fitted.word(0), 1u);
    EXPECT_EQ(fitted.bit(1048575), 1);
    EXPECT_EQ(fitted.bit(1048574), 0);

    // Decimal and hexadecimal agree beyond one word of nine-digit chunks.
    ASSERT_TRUE(ParseValue("123456789012345678901234567890", value, error));
    StimulusValue same;
    ASSERT_TRUE(ParseValue("0x18EE90FF6C373E0EE4E3F0AD2", same, error));
    EXPECT_TRUE(FitToWidth(value, 128, cut) == FitToWidth(same, 128, cut));

    // A line beyond the limit is refused without being held whole.
    std::string line(kMaxStimulusLine + 1, ',');
    std::istringstream in("a\n" + line + "\n");
    StimulusReader reader(in);
    ASSERT_TRUE(reader.ReadHeader(error));
    StimulusStep step;
    EXPECT_EQ(reader.Next(step, error), StimulusReader::Result::Failed);
    EXPECT_EQ(error, "line 2: longer than 67108864 characters");
}

TEST(StimulusFiles, StepsAreReadOneAtATimeAndErrorsComeInOrder)
{
    std::istringstream in("a\n1\n2\nbad\n4\n");
    StimulusReader reader(in);
    std::string error;
    ASSERT_TRUE(reader.ReadHeader(error));
    StimulusStep step;
    ASSERT_EQ(reader.Next(step, error), StimulusReader::Result::Step);
    EXPECT_EQ(step.values[0].magnitude.to_uint(), 1u);
    ASSERT_EQ(reader.Next(step, error), StimulusReader::Result::Step);
    EXPECT_EQ(step.line, 3);
    EXPECT_EQ(reader.Next(step, error), StimulusReader::Result::Failed);
    EXPECT_EQ(error, "line 4, column 1 (a): malformed value 'bad'");
}
