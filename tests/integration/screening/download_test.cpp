// The header download against a real Dovecot: first download, resume marks, the fallback mark,
// "/ All" and the download-control question.
#include "dovecot_screening.h"

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

TEST_F(DovecotScreeningTest, FirstDownloadFetchesEveryMessage)
{
    startServer(3);
    getAndCheck();

    EXPECT_EQ(numbers(), (Strings{"1", "2", "3"}));
    EXPECT_EQ(s.messages.ListBox2(), sendersOf({1, 2, 3}));
    EXPECT_EQ(s.messages.ListBox3(), (Strings{"Subject 1", "Subject 2", "Subject 3"}));
    ASSERT_EQ(s.messages.rows.size(), 3u);
    EXPECT_EQ(s.messages.startCode, "0");
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.messages.rows[i].markCode(), s.messages.rows[i].code);
        EXPECT_NE(s.messages.rows[i].code, "-1");
    }
    EXPECT_EQ(s.messages.newestCode, s.messages.rows[2].code);
    EXPECT_EQ(view.text(Control::Label8), "3 of 3");
    EXPECT_EQ(view.text(Control::Label17), "127.0.0.1");
    EXPECT_TRUE(std::find(view.statusHistory.begin(), view.statusHistory.end(),
                          "3 new messages from server")
                != view.statusHistory.end());
    // The size column comes from LIST, the content type from the header.
    EXPECT_NE(s.messages.messageTable.text(MessageTable::ColSizeContent, 1).find(" /"), std::string::npos);
    EXPECT_FALSE(s.session.isOpen());
    // No trusted run: nothing to resume from.
    EXPECT_EQ(s.profile.settings.resumeCode, "-1");
}

TEST_F(DovecotScreeningTest, EmptyMailboxSendsNoUidlAndSaysSo)
{
    startServer(0);
    getAndCheck();
    EXPECT_TRUE(s.messages.ListBox1().empty());
    EXPECT_EQ(s.messages.newestCode, "-1");
    EXPECT_TRUE(std::find(view.statusHistory.begin(), view.statusHistory.end(),
                          "0 Messages on Server")
                != view.statusHistory.end());
    EXPECT_EQ(view.text(Control::Label24), "No new messages on server");  // reclassify's own banner text
}

TEST_F(DovecotScreeningTest, SecondDownloadStartsAfterTheLeadingTrustedRun)
{
    startServer(5);
    s.profile.whitelist.add(sender(1));
    s.profile.whitelist.add(sender(2));
    getAndCheck();
    ASSERT_EQ(numbers().size(), 5u);
    const std::string markOfMessage2 = s.messages.rows[1].code;
    EXPECT_EQ(s.profile.settings.resumeCode, markOfMessage2);
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, "-1");  // a run of two rows has no fallback

    dovecot->addMessage(DovecotServer::makeMessage(sender(6), subject(6)));
    getAndCheck();
    EXPECT_EQ(numbers(), (Strings{"3", "4", "5", "6"}));
    EXPECT_EQ(s.messages.ListBox2(), sendersOf({3, 4, 5, 6}));
    EXPECT_EQ(s.messages.foundCode, markOfMessage2);
    EXPECT_EQ(view.text(Control::Label8), "4 of 6");
    // The new table starts with an unknown sender: the mark the download resumed from stays.
    EXPECT_EQ(s.profile.settings.resumeCode, markOfMessage2);
}

TEST_F(DovecotScreeningTest, MarkDeletedElsewhereFallsBackToTheRowBefore)
{
    startServer(5);
    for (int k = 1; k <= 3; ++k)
        s.profile.whitelist.add(sender(k));
    getAndCheck();
    ASSERT_EQ(numbers().size(), 5u);
    EXPECT_EQ(s.profile.settings.resumeCode, s.messages.rows[2].code);
    const std::string fallback = s.messages.rows[1].code;
    EXPECT_EQ(s.profile.settings.resumeFallbackCode, fallback);

    dovecot->removeMessage(3);  // another mail program fetched and removed message 3
    getAndCheck();
    // Message 2 carries the fallback mark: the download resumes after it, with the old 4 and 5.
    EXPECT_EQ(s.messages.foundCode, fallback);
    EXPECT_EQ(numbers(), (Strings{"3", "4"}));
    EXPECT_EQ(s.messages.ListBox2(), sendersOf({4, 5}));
}

TEST_F(DovecotScreeningTest, AllStartsAtMessageOneAgain)
{
    startServer(4);
    s.profile.whitelist.add(sender(1));
    s.profile.whitelist.add(sender(2));
    getAndCheck();
    ASSERT_NE(s.profile.settings.resumeCode, "-1");

    s.forgetResumeMarks();
    EXPECT_EQ(s.profile.settings.resumeCode, "-1");
    EXPECT_EQ(s.profile.settings.resumeCodeCopy, "-1");
    getAndCheck();
    EXPECT_EQ(numbers(), (Strings{"1", "2", "3", "4"}));
}

TEST_F(DovecotScreeningTest, MoreNewMessagesThanTheThresholdAsksHowMany)
{
    startServer(6);
    s.profile.settings.NotifyLimit = 2;
    prompter.expectDownloadCount(3);
    getAndCheck();
    EXPECT_EQ(prompter.lastDownloadMaximum, 6);
    EXPECT_EQ(prompter.lastDownloadValue, 6);
    EXPECT_EQ(numbers(), (Strings{"4", "5", "6"}));
    EXPECT_EQ(view.text(Control::Label8), "3 of 6");
}

TEST_F(DovecotScreeningTest, CancelInTheDownloadControlFetchesNothing)
{
    startServer(6);
    s.profile.settings.NotifyLimit = 2;
    prompter.expectDownloadCount(std::nullopt);
    getAndCheck();
    EXPECT_TRUE(s.messages.ListBox1().empty());
    EXPECT_TRUE(s.messages.rows.empty());  // nor any header lines
    EXPECT_EQ(s.messages.messageTable.rowCount(), 2);
}

TEST_F(DovecotScreeningTest, NewMailCheckSeesANewLastMessage)
{
    startServer(2);
    getAndCheck();
    ASSERT_TRUE(s.connectSession());
    s.checkNewMail();
    s.closeSession();
    EXPECT_FALSE(view.newMailSign.value_or(false));

    dovecot->addMessage(DovecotServer::makeMessage(sender(3), subject(3)));
    ASSERT_TRUE(s.connectSession());
    s.checkNewMail();
    s.closeSession();
    EXPECT_EQ(view.newMailSign, true);
    EXPECT_EQ(view.text(Control::Label53), "3");
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(s.mainButtonMode(), MainButtonMode::GetNew);
}

TEST_F(DovecotScreeningTest, WrongPasswordLeavesTheSessionClosedAndSaysWhy)
{
    startServer(1);
    s.session.password = "wrong";
    prompter.expectMessage(Prompter::Kind::Error, "");
    EXPECT_FALSE(s.connectSession());
    EXPECT_FALSE(s.session.isOpen());
    EXPECT_EQ(s.session.sessionError.rfind("Authentication failed: the server did not accept", 0), 0u)
        << s.session.sessionError;
    ASSERT_TRUE(s.session.lastRefusal);
    EXPECT_EQ(s.session.lastRefusal->reason(), Pop3RefusalReason::Login);
    EXPECT_EQ(view.visible(Control::shape1), false);
}

}  // namespace
}  // namespace kestrix::test
