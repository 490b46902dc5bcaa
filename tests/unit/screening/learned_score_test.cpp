// The learned score's arithmetic on a hand-made table of token counts, and the profile's
// learning over its real store file.
#include "screening/header_tokens.h"
#include "screening/learned_score.h"
#include "screening/learned_scorer.h"
#include "screening/learning.h"
#include "support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::HasSubstr;

namespace {

LearnedScoreSettings handSettings()
{
    LearnedScoreSettings settings;
    settings.strength = 1.0;
    settings.background = 0.5;
    settings.minimumDeviation = 0.1;
    return settings;
}

// 20 spam and 20 good messages whose tokens give this table:
//   token                 spam  good   f(w) with s = 1, x = 0.5
//   subj:viagra            18     0    18.5 / 19 = 0.973684
//   from:@cheap.example    10     1    10.5 / 12 = 0.875
//   rcvd-hops:3             8    12     8.5 / 21 = 0.404762 (too near 0.5: no clue)
//   list-id:yes             0    15     0.5 / 16 = 0.03125
//   mailer:none            10    10     0.5 (no clue)
TokenStore handTable(int spamMessages = 20)
{
    TokenStore store;
    for (int i = 0; i < spamMessages; ++i) {
        std::vector<std::string> tokens;
        if (i < 18) tokens.push_back("subj:viagra");
        if (i < 10) tokens.push_back("from:@cheap.example");
        if (i < 8) tokens.push_back("rcvd-hops:3");
        if (i < 10) tokens.push_back("mailer:none");
        store.learn("s" + std::to_string(i), tokens, Judgement::Spam);
    }
    for (int i = 0; i < 20; ++i) {
        std::vector<std::string> tokens;
        if (i < 1) tokens.push_back("from:@cheap.example");
        if (i < 12) tokens.push_back("rcvd-hops:3");
        if (i < 15) tokens.push_back("list-id:yes");
        if (i < 10) tokens.push_back("mailer:none");
        store.learn("g" + std::to_string(i), tokens, Judgement::Good);
    }
    return store;
}

}  // namespace

TEST(LearnedScore, ArithmeticOnKnownNumbers)
{
    const LearnedScoreSettings s = handSettings();
    EXPECT_NEAR(tokenProbability(18, 0, 20, 20, s), 0.973684, 1e-6);
    EXPECT_NEAR(tokenProbability(10, 1, 20, 20, s), 0.875, 1e-9);
    EXPECT_NEAR(tokenProbability(0, 15, 20, 20, s), 0.03125, 1e-9);
    EXPECT_NEAR(tokenProbability(0, 0, 20, 20, s), 0.5, 1e-9);
    // Shares, not counts: 10 of 100 spam against 1 of 10 good is no clue either way.
    EXPECT_NEAR(tokenProbability(10, 1, 100, 10, s), 0.5, 1e-9);

    EXPECT_NEAR(chiSquareTail(3.0, 4), 0.557825, 1e-6);
    EXPECT_NEAR(chiSquareTail(10.0, 6), 0.124652, 1e-6);
    EXPECT_NEAR(chiSquareTail(0.0, 2), 1.0, 1e-12);
    EXPECT_NEAR(chiSquareTail(5000.0, 300), 0.0, 1e-12);

    EXPECT_NEAR(fisherCombine({}), 0.5, 1e-12);
    EXPECT_NEAR(fisherCombine({0.03125}), 0.03125, 1e-9);  // one clue is its own score
    EXPECT_NEAR(fisherCombine({0.973684210526, 0.875}), 0.983182, 1e-6);
    EXPECT_NEAR(fisherCombine({0.973684210526, 0.03125}), 0.508828, 1e-6);

    EXPECT_EQ(verdictOf(0.95, s), LearnedVerdict::Spam);
    EXPECT_EQ(verdictOf(0.90, s), LearnedVerdict::Unsure);
    EXPECT_EQ(verdictOf(0.20, s), LearnedVerdict::Unsure);
    EXPECT_EQ(verdictOf(0.19, s), LearnedVerdict::Good);
}

TEST(LearnedScore, ScorerOnAHandMadeTable)
{
    const LearnedScorer scorer(handTable(), handSettings());
    ASSERT_TRUE(scorer.trained());
    const struct {
        std::vector<std::string> tokens;
        double score;
        LearnedVerdict verdict;
    } cases[] = {
        {{"subj:viagra", "from:@cheap.example", "rcvd-hops:3", "mailer:none", "subj:unseen"},
         0.983182, LearnedVerdict::Spam},
        {{"list-id:yes", "rcvd-hops:3"}, 0.03125, LearnedVerdict::Good},
        {{"subj:viagra", "list-id:yes"}, 0.508828, LearnedVerdict::Unsure},
        {{"subj:unseen", "mailer:none"}, 0.5, LearnedVerdict::Unsure},  // no clue at all
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tokens.front());
        const LearnedResult result = scorer.score(c.tokens);
        EXPECT_NEAR(result.score, c.score, 1e-6);
        EXPECT_EQ(result.verdict, c.verdict);
    }
    EXPECT_EQ(describeClues(scorer.strongestClues(cases[0].tokens, 3)),
              "subj:viagra 0.97, from:@cheap.example 0.88");

    // Only the strongest clues count: with one allowed, the score is the strongest token (viagra
    // lies 0.4737 from the middle, list-id 0.4688).
    LearnedScoreSettings one = handSettings();
    one.maximumClues = 1;
    EXPECT_NEAR(LearnedScorer(handTable(), one).score(cases[2].tokens).score, 0.973684, 1e-6);

    // 19 spam messages are not enough for any verdict.
    const LearnedScorer untrained(handTable(19), handSettings());
    EXPECT_FALSE(untrained.trained());
    EXPECT_EQ(untrained.score(cases[0].tokens).verdict, LearnedVerdict::NotTrained);
}

TEST(Learning, DamagedStoreIsReportedOnceAndRebuiltEmpty)
{
    TempFolder tmp;
    tmp.write("work.tokens", "Kestrix learned tokens 1\r\nmessages 3 0\r\nm a s\r\n");
    ProfileConf conf;
    Learning learning;
    learning.open(tmp.dir(), "work", conf);
    EXPECT_THAT(learning.problem(), HasSubstr("are damaged"));
    EXPECT_EQ(learning.store().spamMessages(), 0u);
    EXPECT_EQ(tmp.read("work.tokens"), "Kestrix learned tokens 1\r\nmessages 0 0\r\nend 0\r\n");
    EXPECT_EQ(learning.trainingNote(),
              "Learned: 0 spam and 0 good messages; scores start at 20 of each");

    const std::vector<std::string> header = {"From: a@b.example", "Subject: Hello"};
    EXPECT_EQ(learning.train(header, 900, Judgement::Spam), TokenStore::Change::Added);
    EXPECT_EQ(learning.save(), "");
    Learning reopened;
    reopened.open(tmp.dir(), "work", conf);
    EXPECT_EQ(reopened.problem(), "");
    EXPECT_EQ(reopened.store().spamMessages(), 1u);
    EXPECT_TRUE(reopened.unlearn(header, 900));
    EXPECT_EQ(reopened.store().tokenCount(), 0u);
}
