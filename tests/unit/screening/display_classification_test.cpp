// Blacklist words matched against the display text of senders and subjects, for profiles whose
// "[headers] decodeAll" is on; with it off the bytes alone decide, as always.
#include "support/screener_fixture.h"

#include "screening/display_blacklist.h"

using namespace kestrix;
using kestrix::test::ScreenerTest;

namespace {

struct Row {
    const char *what;
    std::string sender;
    std::string subject;
    CellMarker off;  // the subject marker with decodeAll off
    CellMarker on;   // and on
};

class DisplayClassification : public ScreenerTest {
protected:
    void SetUp() override
    {
        // The built-in words, one Latin-1 word with an umlaut, and a logged subject.
        std::vector<std::string> words = BlacklistWords().words();
        words.push_back("gr\xFC\xDF" "e");
        s.profile.blacklist.assign(words);
        s.profile.rejectedLog.appendRow("x@example.org", "=?utf-8?b?rmvlzsbzdxbm?=");
        s.profile.whitelist.add("=?utf-8?B?RnJlZA==?= <fred@example.org>");
    }
};

}  // namespace

TEST_F(DisplayClassification, WordsInsideEncodedAndUtf8TextsMarkTheRowOnlyWhenSwitchedOn)
{
    using M = CellMarker;
    const std::vector<Row> rows = {
        {"plain word", "a@example.org", "Free stuff", M::KNBP, M::KNBP},
        {"plain innocent", "a@example.org", "Meeting", M::None, M::None},
        {"B word holding a word", "a@example.org", "=?utf-8?B?RlJFRSBzdHVmZg==?=", M::None, M::KNBP},
        {"B word innocent", "a@example.org", "=?utf-8?b?SGVsbG8gV29ybGQ=?=", M::None, M::None},
        {"word in an encoded sender", "=?utf-8?B?Q0FTSCBLaW5n?= <k@example.org>", "Hello", M::None,
         M::KNBP},
        {"win with its blank", "a@example.org", "=?utf-8?q?You_WIN_big?=", M::None, M::KNBP},
        {"win without the blank", "a@example.org", "=?utf-8?q?Winner?=", M::None, M::None},
        {"win at the end", "a@example.org", "=?utf-8?q?you_win?=", M::None, M::None},
        {"case over Unicode, raw UTF-8", "a@example.org", "GR\xC3\x9C\xC3\x9F" "E", M::None, M::KNBP},
        {"split across two words", "a@example.org", "=?utf-8?B?Y2Fz?= =?utf-8?B?aA==?=", M::None,
         M::KNBP},
        {"malformed word stays as written", "a@example.org", "=?utf-8?B?Y2Fz!aA==?=", M::None,
         M::None},
        {"logged subject wins", "a@example.org", "=?utf-8?b?rmvlzsbzdxbm?=", M::KNBS, M::KNBS},
    };
    for (size_t i = 0; i < rows.size(); ++i)
        addMessage(int(i) + 1, rows[i].sender, rows[i].subject);
    addMessage(int(rows.size()) + 1, "=?utf-8?B?RnJlZA==?= <fred@example.org>",
               "=?utf-8?B?ZnJlZSBtb25leQ==?=");

    for (const bool on : {false, true}) {
        s.profile.decodeAll = on;
        s.buildMessageTable(false);
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(std::string(rows[i].what) + (on ? " (on)" : " (off)"));
            EXPECT_EQ(subjectMarker(int(i) + 1), on ? rows[i].on : rows[i].off);
            EXPECT_EQ(senderMarker(int(i) + 1), CellMarker::None);
            // The cells keep the bytes as received.
            EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSubject, int(i) + 1), rows[i].subject);
        }
        // The whitelist compares the stored bytes: the trusted sender stays trusted and the
        // deletion of known-bad rows leaves it out either way.
        const int trusted = int(rows.size()) + 1;
        EXPECT_EQ(senderMarker(trusted), CellMarker::KNGA);
        EXPECT_EQ(subjectMarker(trusted), on ? CellMarker::KNBP : CellMarker::None);
        EXPECT_EQ(s.messages.trustedCount, 1);
    }
}

TEST(DisplayBlacklistMatcher, WordsAreFoldedAndEmptyWordsNeverMatch)
{
    const DisplayBlacklistMatcher matcher({"", "Cash", "caf\xE9", "\xC3\xBC" "ber"});
    EXPECT_TRUE(matcher.matches("cash"));                         // a capital in the word folds too
    EXPECT_TRUE(matcher.matches("=?iso-8859-1?q?CAF=C9?="));      // Latin-1 word, encoded text
    EXPECT_TRUE(matcher.matches("=?utf-8?q?=C3=9CBER?="));        // UTF-8 word from the file
    EXPECT_FALSE(matcher.matches("plain text"));
    EXPECT_TRUE(DisplayBlacklistMatcher({""}).empty());
}

TEST(DisplayBlacklistMatcher, PlainTextsAreSkippedOnlyWhenTheBytesFindTheSame)
{
    // The built-in words: what the bytes miss in plain ASCII, the display text misses too.
    const DisplayBlacklistMatcher builtIn(BlacklistWords().words());
    EXPECT_FALSE(builtIn.matchesBeyondBytes("plain text"));
    EXPECT_TRUE(builtIn.matchesBeyondBytes("=?utf-8?q?FREE?="));
    // A capital word or one that folds to ASCII letters finds more than the bytes.
    EXPECT_TRUE(DisplayBlacklistMatcher({"Cash"}).matchesBeyondBytes("cash"));
    EXPECT_TRUE(DisplayBlacklistMatcher({"\xE2\x84\xAA" "ing"}).matchesBeyondBytes("KING"));
}
