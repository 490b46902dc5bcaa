#include "text/latin1.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(Latin1, LowerCasingMapsOnlyAToZ)
{
    EXPECT_EQ(lowerAZ("AbC\xC4\xD6 Z@[`"), "abc\xC4\xD6 z@[`");
    EXPECT_TRUE(equalsIgnoreCaseAZ("Joe@Example.ORG", "joe@example.org"));
    EXPECT_FALSE(equalsIgnoreCaseAZ("\xC4", "\xE4"));
    EXPECT_FALSE(equalsIgnoreCaseAZ("a", "ab"));
}

TEST(Latin1, DecimalNumbersAreStrict)
{
    EXPECT_EQ(parseDecimal("126"), 126);
    EXPECT_EQ(parseDecimal("-1"), -1);
    EXPECT_EQ(parseDecimal("+7"), 7);
    EXPECT_FALSE(parseDecimal("abc"));
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal(" 5"));
    EXPECT_FALSE(parseDecimal("5x"));
    EXPECT_FALSE(parseDecimal("99999999999999999999999"));
}
