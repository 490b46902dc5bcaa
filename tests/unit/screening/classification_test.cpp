// Classification of the rows by buildMessageTable: the order of the tests, the whitelist, log and
// blacklist rules, and the table's own shape.
#include "support/screener_fixture.h"

#include "text/header_decoding.h"

using namespace kestrix;
using kestrix::test::ScreenerTest;

namespace {

class Classification : public ScreenerTest {
protected:
    void SetUp() override { s.profile.blacklist.assign({}); }
};

}  // namespace

TEST_F(Classification, KnownBadSubjectWinsOverTheBlacklist)
{
    s.profile.blacklist.assign({"cash"});
    s.profile.rejectedLog.appendRow("someone else", "cheap cash offer");
    addMessage(1, "Alice <alice@example.org>", "Cheap CASH Offer");
    s.buildMessageTable(false);
    EXPECT_EQ(subjectMarker(1), CellMarker::KNBS);
    // The text stays exactly as received.
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSubject, 1), "Cheap CASH Offer");
}

TEST_F(Classification, WhitelistReplacesKnownBadSender)
{
    s.profile.rejectedLog.appendRow("joe <joe@example.org>", "old subject");
    s.profile.whitelist.add("Joe <joe@example.org>");
    addMessage(1, "Joe <joe@example.org>", "Hello");
    addMessage(2, "joe <JOE@example.org>", "Hello again");
    s.buildMessageTable(false);
    EXPECT_EQ(senderMarker(1), CellMarker::KNGA);
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
    EXPECT_EQ(s.messages.trustedCount, 2);
    EXPECT_TRUE(s.messages.allTrusted);

    s.profile.whitelist.clear();
    s.buildMessageTable(false);
    EXPECT_EQ(senderMarker(1), CellMarker::KNBA);
    EXPECT_FALSE(s.messages.allTrusted);
}

TEST_F(Classification, WhitelistNeedsTheWholeText)
{
    s.profile.whitelist.add("joe@example.org");
    addMessage(1, "Joe <joe@example.org>", "Hello");
    addMessage(2, "JOE@EXAMPLE.ORG", "Hello");
    s.buildMessageTable(false);
    EXPECT_EQ(senderMarker(1), CellMarker::None);
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
}

TEST_F(Classification, BlacklistWordsMatchInSenderAndSubject)
{
    s.profile.blacklist = BlacklistWords();  // the built-in words
    addMessage(1, "Cash King <king@example.org>", "Hello");
    addMessage(2, "Bob <bob@example.org>", "FREE stuff");
    addMessage(3, "Bob <bob@example.org>", "Hello");
    s.profile.whitelist.add("Bob <bob@example.org>");
    s.buildMessageTable(false);
    EXPECT_EQ(subjectMarker(1), CellMarker::KNBP);
    EXPECT_EQ(senderMarker(1), CellMarker::None);
    // Checked for trusted senders too; the deletion count leaves them out.
    EXPECT_EQ(subjectMarker(2), CellMarker::KNBP);
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
    EXPECT_EQ(subjectMarker(3), CellMarker::None);
    EXPECT_EQ(s.countKnownBad(), 1);
}

TEST_F(Classification, BlacklistWordsMatchExactlyAsStored)
{
    s.profile.blacklist.assign({"win ", "Cash", "", "s*x"});
    addMessage(1, "a@example.org", "Winner");
    addMessage(2, "a@example.org", "You WIN big");
    addMessage(3, "a@example.org", "you win");
    addMessage(4, "a@example.org", "cash");
    addMessage(5, "a@example.org", "more s*x");
    addMessage(6, "a@example.org", "sex");
    s.buildMessageTable(false);
    EXPECT_EQ(subjectMarker(1), CellMarker::None);
    EXPECT_EQ(subjectMarker(2), CellMarker::KNBP);
    EXPECT_EQ(subjectMarker(3), CellMarker::None);  // the blank is part of the word
    EXPECT_EQ(subjectMarker(4), CellMarker::None);  // a capital never occurs in lower-cased text
    EXPECT_EQ(subjectMarker(5), CellMarker::KNBP);  // the star is a plain character
    EXPECT_EQ(subjectMarker(6), CellMarker::None);
}

TEST_F(Classification, TitleTextsOfTheLogAreNeverKnownBad)
{
    s.profile.rejectedLog.appendRow("sender", "subject");
    addMessage(1, "SENDER", "Subject");
    addMessage(2, "sender x", "subject x");
    s.profile.rejectedLog.appendRow("sender x", "subject x");
    s.buildMessageTable(false);
    EXPECT_EQ(senderMarker(1), CellMarker::None);
    EXPECT_EQ(subjectMarker(1), CellMarker::None);
    EXPECT_EQ(senderMarker(2), CellMarker::KNBA);
    EXPECT_EQ(subjectMarker(2), CellMarker::KNBS);
}

TEST_F(Classification, AnEmptySubjectIsKnownBadWhenTheLogHoldsOne)
{
    addMessage(1, "a@example.org", "");
    s.buildMessageTable(false);
    EXPECT_EQ(subjectMarker(1), CellMarker::None);
    s.profile.rejectedLog.appendRow("b@example.org", "");
    s.buildMessageTable(false);
    EXPECT_EQ(subjectMarker(1), CellMarker::KNBS);
}

TEST_F(Classification, ASenderThatLooksMarkedIsNotTrusted)
{
    // An encoded word is enough to put the section sign and "KNGA" in front of a sender.
    const std::string sender = extractSender({"From: =?x?q?=A7KNGA?=spam@example.org"});
    ASSERT_EQ(sender, "\xA7KNGAspam@example.org");
    s.profile.rejectedLog.appendRow("x", "buy now");
    addMessage(1, sender, "Buy now");
    addMessage(2, "\xA7KNBAfriend@example.org", "Hi");
    s.profile.whitelist.add("\xA7KNBAfriend@example.org");
    s.buildMessageTable(false);

    EXPECT_EQ(senderMarker(1), CellMarker::None);
    EXPECT_EQ(s.messages.messageTable.rowClass(1), RowClass::KnownBad);
    EXPECT_FALSE(s.messages.allTrusted);
    EXPECT_EQ(s.messages.trustedCount, 1);
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 2), "\xA7KNBAfriend@example.org");
    EXPECT_EQ(s.countKnownBad(), 1);
    s.grid.selTop = 1;
    s.grid.selBottom = 2;
    EXPECT_EQ(s.mySelCount(), 1);
}

TEST_F(Classification, TableRowsAndColumns)
{
    addMessage(7, "a@example.org", "One", "c7", 1834, "text/plain; charset=ISO-8859-1");
    addMessage(8, "b@example.org", "Two", "c8", 55, "");
    s.messages.rows.push_back({0, "c@example.org", "Three", ""});  // a row without a message number
    s.buildMessageTable(false);
    ASSERT_EQ(s.messages.messageTable.rowCount(), 4);
    EXPECT_EQ(s.messages.messageTable.text(0, 0), "No");
    EXPECT_EQ(s.messages.messageTable.text(0, 1), "7");
    EXPECT_EQ(s.messages.messageTable.text(1, 2), "b@example.org");
    EXPECT_EQ(s.messages.messageTable.text(3, 1), "1834 / text/plain; charset=iso-8859-1");
    EXPECT_EQ(s.messages.messageTable.text(3, 2), "55 /N.A.");
    EXPECT_EQ(s.messages.messageTable.text(3, 3), "N.A.");
    EXPECT_GT(view.tableChanges, 0);
}

TEST_F(Classification, AnEmptyTableIsAllTrustedWithTwoRows)
{
    addMessage(1, "a@example.org", "x");
    s.buildMessageTable(false);
    s.messages.rows.clear();
    s.buildMessageTable(false);
    EXPECT_EQ(s.messages.messageTable.rowCount(), 2);
    EXPECT_EQ(s.messages.messageTable.text(1, 1), "");
    EXPECT_EQ(s.messages.messageTable.text(1, 0), "Sender");
    EXPECT_TRUE(s.messages.allTrusted);
    EXPECT_EQ(s.messages.trustedCount, 0);
    EXPECT_EQ(view.text(Control::Label52), "");
    EXPECT_EQ(view.visible(Control::Shape2), false);
}

TEST_F(Classification, ScrollingFollowsTheLastRowUnlessDetailsAreShownInside)
{
    view.clientHeight = 400;
    s.profile.settings.RowHeight = 20;
    for (int i = 1; i <= 30; ++i)
        addMessage(i, "a@example.org", "x");
    s.buildMessageTable(true);
    ASSERT_EQ(view.scrolls.size(), 1u);
    EXPECT_EQ(view.scrolls.back(), std::make_pair(31 - 400 / 20 + 1, 30));
    EXPECT_EQ(s.grid.detailsRow, -1);

    s.grid.detailsRow = 5;
    s.buildMessageTable(false);
    EXPECT_EQ(view.scrolls.size(), 1u);
    EXPECT_EQ(s.grid.detailsRow, -1);

    s.grid.detailsRow = 30;  // the last row is not strictly inside
    s.buildMessageTable(false);
    EXPECT_EQ(view.scrolls.size(), 2u);

    view.clientHeight = 1000;  // everything fits: only the current row moves
    s.buildMessageTable(true);
    EXPECT_EQ(view.scrolls.back(), std::make_pair(-1, 30));

    view.clientHeight = 5;  // lower than a row: the top row stays on the table
    s.buildMessageTable(true);
    EXPECT_EQ(view.scrolls.back(), std::make_pair(30, 30));
}

namespace {

class ResumeMarks : public ScreenerTest {
protected:
    void SetUp() override
    {
        s.profile.blacklist.assign({});
        s.profile.whitelist.add("friend@example.org");
        s.messages.foundCode = "found";
    }
    void addRows(int trustedLead)
    {
        for (int i = 0; i < 6; ++i) {
            addMessage(i + 1, i < trustedLead ? "friend@example.org" : "stranger@example.org", "x",
                       "c" + std::to_string(i));
        }
    }
};

}  // namespace

TEST_F(ResumeMarks, ALeadingRunOfFourSetsCodeAndFallback)
{
    addRows(4);
    s.buildMessageTable(false);
    EXPECT_EQ(s.messages.leadingTrustedIndex, 3);
    EXPECT_EQ(s.profile.settings.resumeCode, "c3");
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "c2");
    EXPECT_EQ(s.profile.settings.resumeCodeCopy, "c3");
}

TEST_F(ResumeMarks, RunsOfOneAndTwoHaveNoFallback)
{
    addRows(2);
    s.buildMessageTable(false);
    EXPECT_EQ(s.profile.settings.resumeCode, "c1");
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "-1");

    s.messages.rows[1].sender = "stranger@example.org";
    s.buildMessageTable(false);
    EXPECT_EQ(s.messages.leadingTrustedIndex, 0);
    EXPECT_EQ(s.profile.settings.resumeCode, "c0");
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "-1");
    EXPECT_EQ(s.profile.settings.resumeCodeCopy, "c0");
}

TEST_F(ResumeMarks, AnUnknownFirstRowFallsBackToTheFoundCode)
{
    addRows(0);
    s.messages.rows[2].sender = "friend@example.org";  // trusted later rows do not count
    s.buildMessageTable(false);
    EXPECT_EQ(s.messages.leadingTrustedIndex, -1);
    EXPECT_EQ(s.messages.trustedCount, 1);
    EXPECT_EQ(s.profile.settings.resumeCode, "found");
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "-1");
    EXPECT_EQ(s.profile.settings.resumeCodeCopy, "-1");
}

TEST_F(ResumeMarks, MissingCodesLeaveTheMarksUnset)
{
    addRows(3);
    s.messages.rows[2].code = "-1";  // the third row's code could not be fetched
    s.buildMessageTable(false);
    EXPECT_EQ(s.profile.settings.resumeCode, "found");
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "c1");
}

TEST_F(ScreenerTest, DeletionCountsReadTheMarkers)
{
    s.profile.blacklist.assign({"offer"});
    s.profile.whitelist.add("friend@example.org");
    s.profile.rejectedLog.appendRow("bad@example.org", "known subject");
    addMessage(1, "stranger@example.org", "Hello");          // unknown
    addMessage(2, "stranger@example.org", "Known subject");  // known-bad subject
    addMessage(3, "stranger@example.org", "An offer");       // blacklisted
    addMessage(4, "bad@example.org", "Hello");               // known-bad sender
    addMessage(5, "friend@example.org", "An offer");         // trusted and blacklisted
    s.buildMessageTable(false);
    EXPECT_EQ(s.countKnownBad(), 3);

    s.grid.selTop = 1;
    s.grid.selBottom = 5;
    EXPECT_EQ(s.mySelCount(), 4);
    s.grid.allowDeleteAccepted = true;
    EXPECT_EQ(s.mySelCount(), 5);
    s.grid.selTop = 5;
    EXPECT_EQ(s.mySelCount(), 1);
    s.grid.allowDeleteAccepted = false;
    EXPECT_EQ(s.mySelCount(), 0);
}

TEST_F(ScreenerTest, TheBlankRowOfAnEmptyTableIsNothingToDelete)
{
    s.buildMessageTable(false);
    s.grid.selTop = 1;
    s.grid.selBottom = 1;
    EXPECT_EQ(s.mySelCount(), 0);
    EXPECT_EQ(s.countKnownBad(), 0);
}
