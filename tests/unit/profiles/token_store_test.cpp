// The learned token counts on real files: round trips, retraining, unlearning, damage.
#include "profiles/token_store.h"
#include "support/temp_folder.h"

#include <QFileInfo>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::HasSubstr;

namespace {

TokenCounts countsOf(const TokenStore &store, std::string_view token)
{
    const TokenCounts *counts = store.counts(token);
    return counts ? *counts : TokenCounts{};
}

void expectCounts(const TokenStore &store, std::string_view token, uint32_t spam, uint32_t good)
{
    SCOPED_TRACE(std::string(token));
    EXPECT_EQ(countsOf(store, token).spam, spam);
    EXPECT_EQ(countsOf(store, token).good, good);
}

}  // namespace

TEST(TokenStore, TrainingSavesPrivatelyLoadsBackAndUnlearnsToNothing)
{
    TempFolder tmp;
    const QString path = TokenStore::pathFor(tmp.dir(), "work");
    EXPECT_TRUE(path.endsWith(QStringLiteral("/work.tokens")));
    std::string problem;
    TokenStore store = TokenStore::load(path, problem);  // no file: empty, no problem
    EXPECT_EQ(problem, "");
    EXPECT_EQ(store.tokenCount(), 0u);

    const std::vector<std::string> spam1 = {"from:@cheap.example", "subj:pills"};
    const std::vector<std::string> spam2 = {"from:@cheap.example", "subj:offer"};
    const std::vector<std::string> good1 = {"from:@work.example", "subj:offer"};
    EXPECT_EQ(store.learn("k1", spam1, Judgement::Spam), TokenStore::Change::Added);
    EXPECT_EQ(store.learn("k2", spam2, Judgement::Spam), TokenStore::Change::Added);
    EXPECT_EQ(store.learn("k3", good1, Judgement::Good), TokenStore::Change::Added);
    ASSERT_TRUE(store.save(path));
    EXPECT_EQ(std::filesystem::status(path.toStdString()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(tmp.entries(), QStringList{QStringLiteral("work.tokens")});

    const TokenStore loaded = TokenStore::load(path, problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(loaded.spamMessages(), 2u);
    EXPECT_EQ(loaded.goodMessages(), 1u);
    EXPECT_EQ(loaded.tokenCount(), 4u);
    expectCounts(loaded, "from:@cheap.example", 2, 0);
    expectCounts(loaded, "subj:offer", 1, 1);
    expectCounts(loaded, "from:@work.example", 0, 1);
    ASSERT_NE(loaded.judgementOf("k3"), nullptr);
    EXPECT_EQ(*loaded.judgementOf("k3"), Judgement::Good);

    TokenStore again = loaded;
    EXPECT_TRUE(again.unlearn("k1", spam1));
    EXPECT_FALSE(again.unlearn("k1", spam1));  // only once
    EXPECT_TRUE(again.unlearn("k2", spam2));
    EXPECT_TRUE(again.unlearn("k3", good1));
    EXPECT_EQ(again.spamMessages() + again.goodMessages(), 0u);
    EXPECT_EQ(again.tokenCount(), 0u);
    EXPECT_EQ(again.judgementOf("k1"), nullptr);
}

TEST(TokenStore, RetrainingMovesAMessageAndNeverCountsItTwice)
{
    TokenStore store;
    const std::vector<std::string> tokens = {"subj:offer", "size:2^11"};
    const uint64_t before = store.generation();
    EXPECT_EQ(store.learn("k", tokens, Judgement::Spam), TokenStore::Change::Added);
    EXPECT_EQ(store.learn("k", tokens, Judgement::Spam), TokenStore::Change::AlreadyKnown);
    expectCounts(store, "subj:offer", 1, 0);
    EXPECT_EQ(store.learn("k", tokens, Judgement::Good), TokenStore::Change::Moved);
    expectCounts(store, "subj:offer", 0, 1);
    EXPECT_EQ(store.spamMessages(), 0u);
    EXPECT_EQ(store.goodMessages(), 1u);
    EXPECT_EQ(store.learn("k", tokens, Judgement::Spam), TokenStore::Change::Moved);
    expectCounts(store, "size:2^11", 1, 0);
    EXPECT_EQ(store.spamMessages(), 1u);
    EXPECT_EQ(store.goodMessages(), 0u);
    EXPECT_GT(store.generation(), before);

    // Taken off with tokens read differently than when it was trained: no count wraps.
    EXPECT_TRUE(store.unlearn("k", {"subj:offer", "subj:never-seen"}));
    expectCounts(store, "subj:offer", 0, 0);
    expectCounts(store, "size:2^11", 1, 0);
    EXPECT_EQ(store.spamMessages(), 0u);
}

TEST(TokenStore, DamagedFilesAreReportedAndReadAsEmpty)
{
    const std::string head = "Kestrix learned tokens 1\r\nmessages 1 1\r\n";
    const struct {
        const char *name;
        std::string bytes;
        const char *why;
    } cases[] = {
        {"garbage", "\x01\x02 not a store", "not a learned-token file"},
        {"no totals", "Kestrix learned tokens 1\r\nmessages x\r\n", "no message totals"},
        {"cut short", head + "m a s\r\nm b g\r\nt 1 0 subj:x\r\n", "ends early"},
        {"wrong end", head + "m a s\r\nm b g\r\nend 7\r\n", "ends early"},
        {"unknown line", head + "m a s\r\nm b g\r\nx 1\r\nend 3\r\n", "unknown line"},
        {"bad side", head + "m a s\r\nm b q\r\nend 2\r\n", "without a key or side"},
        {"twice", head + "m a s\r\nm a g\r\nend 2\r\n", "trained twice"},
        {"over count", head + "m a s\r\nm b g\r\nt 2 0 subj:x\r\nend 3\r\n", "more messages"},
        {"totals", head + "m a s\r\nend 1\r\n", "totals do not match"},
        {"no token", head + "m a s\r\nm b g\r\nt 1 0\r\nend 3\r\n", "without its counts"},
        {"after end", head + "m a s\r\nm b g\r\nend 2\r\nm c s\r\n", "after the end"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder tmp;
        tmp.write("p.tokens", c.bytes);
        std::string problem;
        const TokenStore store = TokenStore::load(tmp.path("p.tokens"), problem);
        EXPECT_THAT(problem, HasSubstr("are damaged"));
        EXPECT_THAT(problem, HasSubstr(c.why));
        EXPECT_THAT(problem, HasSubstr("learning starts again from nothing"));
        EXPECT_EQ(store.tokenCount() + store.spamMessages() + store.goodMessages(), 0u);
    }
    TempFolder tmp;
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("p.tokens")));
    std::string problem;
    TokenStore::load(tmp.path("p.tokens"), problem);
    EXPECT_THAT(problem, HasSubstr("Cannot read the learned tokens"));
}
