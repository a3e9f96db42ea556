// The shared text helpers: case is ignored for letters only, and only the sixteen digit
// characters have a hexadecimal value.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

TEST(Text, SameIgnoringCaseFoldsLettersOnly)
{
    EXPECT_TRUE(SameIgnoringCase("Rom", "ROM"));
    EXPECT_TRUE(SameIgnoringCase("", ""));
    EXPECT_FALSE(SameIgnoringCase("ROM", "RO"));
    EXPECT_FALSE(SameIgnoringCase("RO", "ROM"));
    // Characters 32 apart that are not a letter pair must stay different.
    EXPECT_FALSE(SameIgnoringCase("@", "`"));
    EXPECT_FALSE(SameIgnoringCase("[", "{"));
    // A text holding a NUL is compared to its full length.
    EXPECT_FALSE(SameIgnoringCase(std::string("ROM\0X", 5), "ROM"));
}

TEST(Text, HexDigitKnowsTheSixteenDigitsInEitherCase)
{
    EXPECT_EQ(HexDigit('0'), 0);
    EXPECT_EQ(HexDigit('9'), 9);
    EXPECT_EQ(HexDigit('a'), 10);
    EXPECT_EQ(HexDigit('F'), 15);
    for (char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', 'x'})
        EXPECT_EQ(HexDigit(c), -1) << static_cast<int>(c);
}
