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

// The search without a lower-cased copy finds what the search in the copy finds.
TEST(Latin1, CaseBlindSearchFindsWhatTheLowerCasedCopyHolds)
{
    const struct {
        std::string_view text, needle;
    } cases[] = {
        {"From: Joe", "from:"},      {"X-Original-FROM: a", "from:"}, {"Subject", "subject:"},
        {"\xC4" "From:", "from:"},      {"?Q?=?iso?q?x?=", "?q?"},       {"", "from:"},
        {"fro", "from:"},            {"ffrom:", "from:"},             {"\xC4\xE4", "\xe4"},
        {"a:b:From:", "from:"},      {"X-Content-Type: a", "content-type"}, {"xAbCabc", "abc"},
        {"?q?", "?q?"},              {"From", "from:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(findLowerAZ(c.text, c.needle), lowerAZ(c.text).find(c.needle));
    }
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
