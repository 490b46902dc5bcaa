// The indexed lookups and the log reader against the plain linear rules they replace, on many
// texts that collide in letter case, with emptied rows and the title row in play.
#include "profiles/list_files.h"
#include "support/temp_folder.h"
#include "text/header_decoding.h"
#include "text/latin1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>

using namespace kestrix;
using kestrix::test::TempFolder;

namespace {

// A first-match search of a whole column, title row included, that counts only below it.
bool linearKnownBad(const std::vector<LogRow> &rows, std::string_view text, bool senderColumn)
{
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r >= 1 && isDeletedEntry(rows[r]))
            continue;
        const std::string_view cell = senderColumn ? rows[r].sender : rows[r].subject;
        if (equalsIgnoreCaseAZ(cell, text))
            return r >= 1;
    }
    return false;
}

bool linearColumnHas(const std::vector<LogRow> &rows, std::string_view text, bool senderColumn)
{
    for (const LogRow &row : rows) {
        if (&row != &rows.front() && isDeletedEntry(row))
            continue;
        if (equalsIgnoreCaseAZ(senderColumn ? row.sender : row.subject, text))
            return true;
    }
    return false;
}

// Small alphabets so that texts collide often, in different letter case.
std::string randomText(std::mt19937 &rng)
{
    static const std::vector<std::string> parts = {"a", "B", "b", "Sender", "subject", "\"", "=?x?q?",
                                                   "=41", "?=", "_", "\xC4", "\xE4", "", " "};
    std::string text;
    const int n = int(rng() % 3);
    for (int i = 0; i < n; ++i)
        text += parts[rng() % parts.size()];
    return text;
}

}  // namespace

TEST(LinearRules, KnownBadLookupsAndColumnsMatchTheLinearSearch)
{
    std::mt19937 rng(7);
    RejectedLog log;
    for (int round = 0; round < 400; ++round) {
        switch (rng() % 6) {
        case 0: log.appendRow(randomText(rng), randomText(rng)); break;
        case 1: log.clearRow(int(rng() % unsigned(log.rowCount() + 1))); break;
        case 2: log.clearSender(lowerAZ(randomText(rng))); break;
        default: log.appendRejected(randomText(rng), randomText(rng)); break;
        }
        for (int q = 0; q < 20; ++q) {
            const std::string text = randomText(rng);
            ASSERT_EQ(log.isKnownBadSender(text), linearKnownBad(log.rows(), text, true)) << text;
            ASSERT_EQ(log.isKnownBadSubject(text), linearKnownBad(log.rows(), text, false)) << text;
            ASSERT_EQ(log.senderColumnHas(text), linearColumnHas(log.rows(), text, true)) << text;
            ASSERT_EQ(log.subjectColumnHas(text), linearColumnHas(log.rows(), text, false)) << text;
        }
    }
}

TEST(LinearRules, WhitelistMembershipMatchesTheLinearSearch)
{
    std::mt19937 rng(11);
    Whitelist w;
    std::vector<std::string> plain;  // the same entries, searched one by one
    for (int round = 0; round < 400; ++round) {
        const std::string text = randomText(rng);
        if (rng() % 3 == 0) {
            const bool removed = w.removeOne(text);
            auto it = std::find_if(plain.begin(), plain.end(),
                                   [&](const std::string &e) { return equalsIgnoreCaseAZ(e, text); });
            ASSERT_EQ(removed, it != plain.end());
            if (it != plain.end())
                plain.erase(it);
        } else {
            w.add(text);
            plain.push_back(text);
        }
        for (int q = 0; q < 20; ++q) {
            const std::string probe = randomText(rng);
            const bool linear = std::any_of(plain.begin(), plain.end(), [&](const std::string &e) {
                return equalsIgnoreCaseAZ(e, probe);
            });
            ASSERT_EQ(w.contains(probe), linear) << probe;
        }
    }
}

TEST(LinearRules, LogReaderKeepsExactlyTheLinesTheLineByLineRuleKeeps)
{
    std::mt19937 rng(3);
    std::string file;
    for (int i = 0; i < 3000; ++i) {
        file += randomText(rng);
        if (rng() % 8)
            file += '\t';
        file += randomText(rng);
        if (rng() % 4 == 0)
            file += "\tmore";
        file += (i % 3 == 0) ? "\n" : "\r\n";
    }
    TempFolder tmp;
    tmp.write("p.log", file);
    RejectedLog log;
    ASSERT_TRUE(LoadRejectedLog(tmp.path("p.log"), log));

    std::vector<LogRow> expected = {{"Sender", "Subject"}};
    std::deque<std::string> texts;  // what expected's rows look at (a deque never moves them)
    for (const std::string &raw : splitLines(file)) {
        const std::string line = lowerAZ(decodeHeaderWords(raw));
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string sender = line.substr(0, tab), subject = line.substr(tab + 1);
        if (!linearColumnHas(expected, sender, true) && !linearColumnHas(expected, subject, false))
            expected.push_back({texts.emplace_back(sender), texts.emplace_back(subject)});
    }
    ASSERT_EQ(log.rows().size(), expected.size());
    for (size_t r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(log.rows()[r].sender, expected[r].sender) << r;
        EXPECT_EQ(log.rows()[r].subject, expected[r].subject) << r;
    }
}

TEST(LinearRules, FlatIndexAgreesWithAMapThroughGrowthAndErasure)
{
    std::mt19937 rng(5);
    CaseBlindIndex<int> index;
    std::map<std::string, int> plain;  // keyed by the lower-cased text
    auto key = [&] { return "Key" + std::to_string(rng() % 3000) + (rng() % 2 ? "X" : "x"); };
    for (int round = 0; round < 60000; ++round) {
        const std::string k = key();
        if (rng() % 5 < 3) {
            ++index[k];
            ++plain[lowerAZ(k)];
        } else {
            index.erase(k);
            plain.erase(lowerAZ(k));
        }
        if (round % 97 == 0) {
            ASSERT_EQ(index.size(), plain.size());
            for (int q = 0; q < 50; ++q) {
                const std::string probe = key();
                const int *found = index.find(probe);
                auto it = plain.find(lowerAZ(probe));
                ASSERT_EQ(found != nullptr, it != plain.end()) << probe;
                if (found) {
                    ASSERT_EQ(*found, it->second) << probe;
                }
            }
        }
    }
    index.clear();
    EXPECT_FALSE(index.contains("key1x"));
}
