// The whitelist, the blacklist words and the rejected-mail log, in memory and in their files.
#include "profiles/list_files.h"
#include "support/temp_folder.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::ElementsAre;

namespace {

std::vector<std::pair<std::string, std::string>> entries(const RejectedLog &log)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t r = 1; r < log.rows().size(); ++r)
        out.emplace_back(log.rows()[r].sender, log.rows()[r].subject);
    return out;
}

using Entry = std::pair<std::string, std::string>;

}  // namespace

TEST(Whitelist, MembershipIgnoresCaseOfAToZAndNeedsTheWholeText)
{
    Whitelist w;
    w.assign({"Joe <joe@example.org>", "anna@example.org"});
    EXPECT_TRUE(w.contains("joe <JOE@example.ORG>"));
    EXPECT_TRUE(w.contains("ANNA@example.org"));
    EXPECT_FALSE(w.contains("joe@example.org"));  // only the address part
    EXPECT_FALSE(w.contains("anna@example.org "));
    w.add("M\xDCLLER@x.de");
    EXPECT_TRUE(w.contains("m\xDCller@X.DE"));
    EXPECT_FALSE(w.contains("m\xFCller@x.de"));  // only A to Z fold
}

TEST(Whitelist, KeepsAStableCaseBlindOrderAndCountsDuplicates)
{
    Whitelist w;
    w.assign({"b", "B", "a", "C"});
    EXPECT_THAT(w.entries(), ElementsAre("a", "b", "B", "C"));
    w.add("A");
    EXPECT_THAT(w.entries(), ElementsAre("a", "A", "b", "B", "C"));
    // Removing one of two equal entries keeps the other a member.
    EXPECT_TRUE(w.removeOne("b"));
    EXPECT_TRUE(w.contains("b"));
    EXPECT_TRUE(w.removeOne("b"));
    EXPECT_FALSE(w.contains("b"));
    EXPECT_FALSE(w.removeOne("b"));
    w.removeAt(0);
    w.removeAt(99);
    EXPECT_THAT(w.entries(), ElementsAre("A", "C"));
    w.clear();
    EXPECT_FALSE(w.contains("a"));
    EXPECT_TRUE(w.empty());
}

TEST(BlacklistWords, BuiltInListInItsExactOrder)
{
    const auto &words = BlacklistWords::builtIn();
    ASSERT_EQ(words.size(), 68u);
    EXPECT_EQ(words.front(), "#");
    EXPECT_EQ(words[19], "deal");
    EXPECT_EQ(words[20], "deal");
    EXPECT_EQ(words[48], "s*x");
    EXPECT_EQ(words[61], "viagra");
    EXPECT_EQ(words[62], "via-g-r-a");
    EXPECT_EQ(words.back(), "win ");
    EXPECT_EQ(BlacklistWords().words(), words);
    // Already in the list order, so a file written from it reads back unchanged.
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end(), caseBlindLess));
    BlacklistWords reread;
    reread.assign(std::vector<std::string>(words.rbegin(), words.rend()));
    EXPECT_EQ(reread.words(), words);
}

TEST(BlacklistWords, AddsAtTheSortedPlaceAndAllowsDuplicates)
{
    BlacklistWords b;
    b.assign({"cash", "Alpha", "zebra"});
    b.add("free money");
    b.add("free money");
    b.add("");
    EXPECT_THAT(b.words(), ElementsAre("", "Alpha", "cash", "free money", "free money", "zebra"));
    b.removeAt(0);
    EXPECT_EQ(b.size(), 5u);
}

TEST(RejectedLog, TitleRowIsNeverKnownBad)
{
    RejectedLog log;
    EXPECT_EQ(log.rowCount(), 1);
    EXPECT_EQ(log.rows()[0].sender, "Sender");
    log.appendRow("sender", "subject");  // a row equal to the titles
    log.appendRow("spam@x", "");
    EXPECT_FALSE(log.isKnownBadSender("SENDER"));
    EXPECT_FALSE(log.isKnownBadSubject("Subject"));
    EXPECT_TRUE(log.isKnownBadSender("Spam@X"));
    EXPECT_TRUE(log.isKnownBadSubject(""));  // an empty subject in the log marks empty subjects
    EXPECT_FALSE(log.isKnownBadSender("spam@x "));
    EXPECT_TRUE(log.senderColumnHas("Sender"));
}

TEST(RejectedLog, AppendRejectedLogsANewSubjectOfAKnownSender)
{
    RejectedLog log;
    log.appendRejected("Alpha@X", "Offer");
    log.appendRejected("alpha@x", "Other Offer");  // known sender, new subject: a row
    log.appendRejected("ALPHA@X", "OFFER");        // same pair: no row
    log.appendRejected("beta@x", "offer");         // new sender, known subject: a row
    log.appendRejected("Sender", "Subject");       // both found in the title row: no row
    EXPECT_THAT(entries(log), ElementsAre(Entry{"alpha@x", "offer"}, Entry{"alpha@x", "other offer"},
                                          Entry{"beta@x", "offer"}));
}

TEST(RejectedLog, ClearingKeepsTheRowUntilSavedAndUpdatesTheLookups)
{
    RejectedLog log;
    log.appendRow("a@x", "one");
    log.appendRow("b@x", "two");
    log.appendRow("a@x", "three");
    log.appendRow("A@X", "four");  // not equal exactly: clearSender leaves it
    log.clearSender("a@x");
    EXPECT_THAT(entries(log), ElementsAre(Entry{"", ""}, Entry{"b@x", "two"}, Entry{"", ""},
                                          Entry{"A@X", "four"}));
    EXPECT_TRUE(log.isKnownBadSender("a@x"));  // through "A@X"
    EXPECT_FALSE(log.isKnownBadSubject("one"));
    // Emptied rows are deleted entries: they do not make an empty subject or sender known bad.
    EXPECT_FALSE(log.isKnownBadSubject(""));
    EXPECT_FALSE(log.isKnownBadSender(""));
    log.appendRow("c@x", "");
    EXPECT_TRUE(log.isKnownBadSubject(""));  // a real entry with an empty subject does
    log.clearRow(4);
    log.clearRow(5);
    log.clearRow(0);   // the title row stays
    log.clearRow(99);  // out of range: nothing
    EXPECT_FALSE(log.isKnownBadSender("a@x"));
    EXPECT_EQ(log.rows()[0].subject, "Subject");
    EXPECT_FALSE(log.isKnownBadSubject(""));
    log.resetToEmptyRow();
    EXPECT_EQ(log.rowCount(), 2);
    EXPECT_FALSE(log.isKnownBadSender("b@x"));
    EXPECT_FALSE(log.isKnownBadSubject(""));  // the blank row of a fresh table
}

TEST(RejectedLogFile, LoadDropsLinesThatRepeatASenderOrASubject)
{
    TempFolder tmp;
    tmp.write("p.log",
              "alpha\tOffer\r\n"
              "alpha\tOther offer\r\n"     // known sender: dropped
              "beta\toffer\r\n"            // known subject (ignoring case): dropped
              "ALPHA\tHello\tWorld\n"      // known sender once lower-cased: dropped
              "Gamma\tHello\tWorld\r"      // second TAB stays in the subject
              "no tab here\r\n"
              "\r\n"
              "sender\tfresh\r\n"          // sender equals the title: dropped
              "\"Quoted\" =?iso-8859-1?q?J=FCrgen?=\tsub_ject");
    RejectedLog log;
    log.appendRow("stale", "row");
    ASSERT_TRUE(LoadRejectedLog(tmp.path("p.log"), log));
    EXPECT_THAT(entries(log), ElementsAre(Entry{"alpha", "offer"}, Entry{"gamma", "hello\tworld"},
                                          Entry{"quoted j\xFCrgen", "sub ject"}));
}

// A base64 word lower-cased would no longer decode: the log keeps encoded words as they came
// and lower-cases the rest; lookups still ignore case, and the file keeps its line format.
TEST(RejectedLogFile, EncodedWordsKeepTheirCaseAndStillMatchIgnoringCase)
{
    TempFolder tmp;
    RejectedLog log;
    const std::string subject = "Re: =?UTF-8?B?R3LDvMOfZQ==?= NOW";
    log.appendRejected("Ann <A@X>", subject);
    log.appendRejected("Bob <b@x>", "=?utf-8?B?broken ?= OK");  // not a word: lower-cased
    const Entry kept{"ann <a@x>", "re: =?UTF-8?B?R3LDvMOfZQ==?= now"};
    const Entry broken{"bob <b@x>", "=?utf-8?b?broken ?= ok"};
    EXPECT_THAT(entries(log), ElementsAre(kept, broken));
    ASSERT_TRUE(SaveRejectedLog(tmp.path("p.log"), log));
    EXPECT_EQ(tmp.read("p.log"), kept.first + "\t" + kept.second + "\r\n" + broken.first + "\t"
                                     + broken.second + "\r\n");

    RejectedLog again;
    ASSERT_TRUE(LoadRejectedLog(tmp.path("p.log"), again));
    EXPECT_THAT(entries(again), ElementsAre(kept, broken));
    for (const std::string &probe : {subject, lowerAZ(subject), upperAZ(subject)})
        EXPECT_TRUE(again.isKnownBadSubject(probe)) << probe;
    // A whitelisted sender leaves the log in any case.
    again.clearSender("ANN <a@x>");
    EXPECT_THAT(entries(again), ElementsAre(Entry{"", ""}, broken));
}

TEST(RejectedLogFile, FurtherTabsStayInTheSubject)
{
    TempFolder tmp;
    tmp.write("p.log", "ALPHA\tHello\tWorld\r\n");
    RejectedLog log;
    ASSERT_TRUE(LoadRejectedLog(tmp.path("p.log"), log));
    EXPECT_THAT(entries(log), ElementsAre(Entry{"alpha", "hello\tworld"}));
}

TEST(RejectedLogFile, MissingFileLeavesTheTitleRowOnly)
{
    TempFolder tmp;
    RejectedLog log;
    log.resetToEmptyRow();
    ASSERT_TRUE(LoadRejectedLog(tmp.path("none.log"), log));
    EXPECT_EQ(log.rowCount(), 1);
}

TEST(RejectedLogFile, SaveDropsEmptiedRowsAndRoundTripsByteForByte)
{
    TempFolder tmp;
    RejectedLog log;
    log.appendRejected("a@x", "one");
    log.appendRejected("b@x", "two\tparts");
    log.appendRejected("c@x", "");
    log.clearRow(1);
    ASSERT_TRUE(SaveRejectedLog(tmp.path("p.log"), log));
    const std::string bytes = "b@x\ttwo\tparts\r\nc@x\t\r\n";
    EXPECT_EQ(tmp.read("p.log"), bytes);
    RejectedLog again;
    ASSERT_TRUE(LoadRejectedLog(tmp.path("p.log"), again));
    ASSERT_TRUE(SaveRejectedLog(tmp.path("q.log"), again));
    EXPECT_EQ(tmp.read("q.log"), bytes);

    // A TAB in the sender would make it the separator: the sender keeps a blank instead, so
    // the entry reads back whole and no empty sender appears.
    RejectedLog tabbed;
    tabbed.appendRejected("\tJoe\t<j@x>", "Hi");
    ASSERT_TRUE(SaveRejectedLog(tmp.path("t.log"), tabbed));
    EXPECT_EQ(tmp.read("t.log"), " joe <j@x>\thi\r\n");

    // Cleared to the title row: an empty file.
    again.clear();
    ASSERT_TRUE(SaveRejectedLog(tmp.path("q.log"), again));
    EXPECT_EQ(tmp.read("q.log"), "");
}

TEST(WhitelistFile, ProfileLoadDecodesTheLoadButtonDoesNot)
{
    TempFolder tmp;
    tmp.write("p.acc", "\"Joe\" <joe@x>\r\nb@x\n=?iso-8859-1?q?M=FCller?= <m@x>\r\n\r\n");
    Whitelist w;
    ASSERT_TRUE(loadWhitelistFile(tmp.path("p.acc"), w, WhitelistDecoding::DecodeHeaderWords));
    EXPECT_THAT(w.entries(), ElementsAre("", "b@x", "Joe <joe@x>", "M\xFCller <m@x>"));
    ASSERT_TRUE(loadWhitelistFile(tmp.path("p.acc"), w, WhitelistDecoding::AsStored));
    EXPECT_THAT(w.entries(),
                ElementsAre("", "\"Joe\" <joe@x>", "=?iso-8859-1?q?M=FCller?= <m@x>", "b@x"));

    ASSERT_TRUE(saveWhitelistFile(tmp.path("q.acc"), w));
    EXPECT_EQ(tmp.read("q.acc"), "\r\n\"Joe\" <joe@x>\r\n=?iso-8859-1?q?M=FCller?= <m@x>\r\nb@x\r\n");

    // The Load button on a missing file reports and keeps the list.
    FileResult missing = loadWhitelistFile(tmp.path("none.acc"), w, WhitelistDecoding::AsStored);
    EXPECT_FALSE(missing);
    EXPECT_EQ(w.size(), 4u);
}

TEST(BlacklistFile, RoundTripOfTheBuiltInWords)
{
    TempFolder tmp;
    BlacklistWords words;
    ASSERT_TRUE(saveBlacklistFile(tmp.path("kestrix.blk"), words));
    const std::string bytes = tmp.read("kestrix.blk");
    EXPECT_TRUE(bytes.starts_with("#\r\n$\r\n%\r\nadd inches\r\n"));
    EXPECT_TRUE(bytes.ends_with("\r\nviagra\r\nvia-g-r-a\r\nvideos\r\nvirus\r\nwebcam\r\n"
                                "wicked screensaver\r\nwin \r\n"));
    BlacklistWords read;
    read.assign({});
    ASSERT_TRUE(loadBlacklistFile(tmp.path("kestrix.blk"), read));
    EXPECT_EQ(read.size(), 68u);
    EXPECT_EQ(read.words().back(), "win ");
}
