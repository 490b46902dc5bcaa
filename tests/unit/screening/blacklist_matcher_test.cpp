// The blacklist automaton must give exactly the plain rule: some word, as stored, is a substring
// of the lower-cased text; empty words and words with capitals never match.
#include "profiles/blacklist_words.h"
#include "screening/classification.h"
#include "text/latin1.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

bool plainRule(const std::vector<std::string> &words, const std::string &text)
{
    const std::string lowered = lowerAZ(text);
    for (const std::string &w : words) {
        if (!w.empty() && lowered.find(w) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

TEST(BlacklistMatcher, BuiltInWords)
{
    const BlacklistMatcher m(BlacklistWords().words());
    EXPECT_TRUE(m.matchesLowerCased("Get RICH with CASH"));
    EXPECT_TRUE(m.matchesLowerCased("100% sure"));
    EXPECT_TRUE(m.matchesLowerCased("via-g-r-a"));
    EXPECT_TRUE(m.matchesLowerCased("WIN big"));
    EXPECT_FALSE(m.matchesLowerCased("winner"));
    EXPECT_FALSE(m.matchesLowerCased("Meeting at noon"));
    EXPECT_FALSE(m.matchesLowerCased(""));
    // Overlapping words: "save" inside "save up", a shorter word ending inside a longer one.
    EXPECT_TRUE(m.matchesLowerCased("sav save"));
    EXPECT_TRUE(m.matchesLowerCased("xhousewif adult"));
}

TEST(BlacklistMatcher, EmptyAndCapitalWordsNeverMatch)
{
    EXPECT_TRUE(BlacklistMatcher({}).empty());
    const BlacklistMatcher m({"", "Cash", "\xE4rger"});
    EXPECT_FALSE(m.matchesLowerCased("cash CASH Cash"));
    EXPECT_FALSE(m.matchesLowerCased("anything"));
    // Bytes above 0x7F are not lower-cased: only the same byte matches.
    EXPECT_TRUE(m.matchesLowerCased("viel \xE4rger"));
    EXPECT_FALSE(m.matchesLowerCased("viel \xC4rger"));
}

TEST(BlacklistMatcher, AgreesWithThePlainRuleOnRandomTexts)
{
    std::mt19937 rng(7);
    const std::string alphabet = "abAB c-\xA7*";
    auto randomText = [&](size_t maxLen) {
        std::string t;
        const size_t n = rng() % (maxLen + 1);
        for (size_t i = 0; i < n; ++i)
            t += alphabet[rng() % alphabet.size()];
        return t;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> words;
        const int count = int(rng() % 6);
        for (int i = 0; i < count; ++i)
            words.push_back(randomText(4));
        const BlacklistMatcher m(words);
        for (int i = 0; i < 50; ++i) {
            const std::string text = randomText(12);
            ASSERT_EQ(m.matchesLowerCased(text), plainRule(words, text))
                << "text \"" << text << "\", round " << round;
        }
    }
}
