// Deletion on a real Dovecot: the selected rows, the known-bad rows, and a deletion after
// another mail program changed the mailbox.
#include "dovecot_screening.h"

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(DovecotScreeningTest, SelectedRowsAreDeletedLoggedCountedAndRenumbered)
{
    startServer(10);
    for (int k = 1; k <= 5; ++k)
        s.profile.whitelist.add(sender(k));
    getAndCheck();
    dovecot->addMessage(DovecotServer::makeMessage(sender(11), subject(11)));
    getAndCheck();
    // Rows 1..6 show messages 6..11 now; rows 2..4 are messages 7, 8 and 9.
    ASSERT_EQ(numbers(), (Strings{"6", "7", "8", "9", "10", "11"}));

    s.grid.selTop = 2;
    s.grid.selBottom = 4;
    ASSERT_EQ(s.mySelCount(), 3);
    ASSERT_TRUE(s.connectSession());
    s.deleteSelected();
    s.closeSession();

    EXPECT_EQ(s.lastDeletion.deleted, 3);
    EXPECT_EQ(dovecot->senders(), sendersOf({1, 2, 3, 4, 5, 6, 10, 11}));
    EXPECT_EQ(numbers(), (Strings{"6", "7", "8"}));
    EXPECT_EQ(s.messages.ListBox2(), sendersOf({6, 10, 11}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 3);
    ASSERT_EQ(s.profile.rejectedLog.rowCount(), 4);
    EXPECT_EQ(s.profile.rejectedLog.rows()[1].sender, "sender9 <s9@example.org>");
    EXPECT_EQ(s.profile.rejectedLog.rows()[1].subject, "subject 9");

    // The renumbered rows still match the server: a second deletion removes the right one.
    s.grid.selTop = 2;
    s.grid.selBottom = 2;
    ASSERT_TRUE(s.connectSession());
    s.deleteSelected();
    s.closeSession();
    EXPECT_EQ(s.lastDeletion.deleted, 1);
    EXPECT_EQ(dovecot->senders(), sendersOf({1, 2, 3, 4, 5, 6, 11}));
}

TEST_F(DovecotScreeningTest, WhitelistedRowsInTheSelectionNeedAllowDeleteOfAccepted)
{
    startServer(3);
    s.profile.whitelist.add(sender(2));
    getAndCheck();
    s.grid.selTop = 1;
    s.grid.selBottom = 3;
    ASSERT_EQ(s.mySelCount(), 2);
    ASSERT_TRUE(s.connectSession());
    s.deleteSelected();
    s.closeSession();
    EXPECT_EQ(dovecot->senders(), sendersOf({2}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 2);

    // With "Allow delete of accepted" the row goes too, but is neither logged nor counted.
    s.setAllowDeleteAccepted(true);
    s.grid.selTop = 1;
    s.grid.selBottom = 1;
    ASSERT_TRUE(s.connectSession());
    s.deleteSelected();
    s.closeSession();
    EXPECT_TRUE(dovecot->messages().empty());
    EXPECT_EQ(s.profile.settings.DeletedCount, 2);
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 3);
    EXPECT_FALSE(s.grid.allowDeleteAccepted);
}

TEST_F(DovecotScreeningTest, KnownBadDeletionLeavesWhitelistedRowsAlone)
{
    startServer({
        DovecotServer::makeMessage("Friend <friend@example.org>", "Quick cash for the party"),
        DovecotServer::makeMessage("Promo <promo@example.net>", "Easy cash now"),
        DovecotServer::makeMessage("Old <old@spam.example>", "Hello again"),
        DovecotServer::makeMessage("Colleague <col@example.org>", "Minutes"),
    });
    s.profile.whitelist.add("Friend <friend@example.org>");
    s.profile.rejectedLog.appendRejected("Old <old@spam.example>", "something else");
    getAndCheck();
    ASSERT_EQ(s.countKnownBad(), 2);
    s.grid.knownBadSelectMode = true;

    ASSERT_TRUE(s.connectSession());
    s.deleteKnownBad();
    s.closeSession();

    EXPECT_EQ(dovecot->senders(),
              (Strings{"Friend <friend@example.org>", "Colleague <col@example.org>"}));
    EXPECT_EQ(numbers(), (Strings{"1", "2"}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 2);
    EXPECT_FALSE(s.grid.knownBadSelectMode);
    EXPECT_EQ(s.countKnownBad(), 0);
    // The known-bad sender was in the log already with another subject: a new row; the promo
    // sender is new: a new row.
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 4);
}

TEST_F(DovecotScreeningTest, DeletionAfterAnotherClientRemovedAMessageDeletesNothingWrong)
{
    startServer(4);
    getAndCheck();
    ASSERT_EQ(numbers(), (Strings{"1", "2", "3", "4"}));

    // Another mail program removes message 2: the server now numbers the old 3 and 4 as 2, 3.
    dovecot->removeMessage(2);
    s.grid.selTop = 1;
    s.grid.selBottom = 4;
    ASSERT_TRUE(s.connectSession());
    s.deleteSelected();
    s.closeSession();

    // Only row 1 still named its own message; rows 2..4 named others and were left alone.
    EXPECT_EQ(s.lastDeletion.deleted, 1);
    EXPECT_EQ(s.lastDeletion.leftAlone, 3);
    EXPECT_EQ(dovecot->senders(), sendersOf({3, 4}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 1);
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 2);
}

TEST_F(DovecotScreeningTest, EmptyServerAsksTwiceThenDeletesEverything)
{
    startServer(3);
    prompter.expectYesNo(Prompter::Kind::Confirmation, "Delete ALL 3 messages at POP3 SERVER ? ",
                         true);
    prompter.expectYesNo(Prompter::Kind::Confirmation,
                         "Are you sure to DELETE ALL MESSAGES at your POP3 server ? ", true);
    s.emptyServer();
    EXPECT_TRUE(dovecot->messages().empty());
    EXPECT_FALSE(s.session.isOpen());
    EXPECT_EQ(view.enabled(Control::Timer2), true);
    EXPECT_EQ(s.profile.settings.DeletedCount, 0);

    // An empty mailbox: nothing is asked.
    s.emptyServer();
    EXPECT_FALSE(s.session.isOpen());
}

}  // namespace
}  // namespace kestrix::test
