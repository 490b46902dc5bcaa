// The header download and the deletion runs against a scripted server: a server error in the
// middle of a download, a refused DELE, and the order of the DELE commands.
#include "support/screener_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kestrix::test {
namespace {

class ScreeningDialogueTest : public ScreenerDialogueTest {
protected:
    // One row as a download leaves it.
    void addRow(int number, const std::string &sender, const std::string &uid, int size)
    {
        addMessage(number, sender, "subject " + std::to_string(number), codeOf(uid), size, "");
    }

    std::vector<std::string> deleCommands() const
    {
        std::vector<std::string> deles;
        for (const std::string &line : fake.received()) {
            if (line.rfind("DELE ", 0) == 0)
                deles.push_back(line);
        }
        return deles;
    }
};

TEST_F(ScreeningDialogueTest, ServerErrorInTheMiddleOfADownloadStopsItWithRowsAligned)
{
    scriptLogin(3);
    scriptUidl(3, "uid-c");
    scriptSummary(1, "alice@example.org", "first", 120);
    scriptUidl(1, "uid-a");
    // Message 2 is refused: the download stops there; the session is the caller's to end.
    expectClient("TOP 2 0\r\n");
    server("-ERR no such message\r\n");
    scriptQuit();

    ASSERT_TRUE(s.connectSession());
    s.downloadHeaders();
    EXPECT_TRUE(s.session.isOpen());
    ASSERT_TRUE(s.session.lastRefusal);
    EXPECT_EQ(s.session.lastRefusal->command(), "TOP");
    EXPECT_EQ(s.session.lastRefusal->reply(), "-ERR no such message\r\n");
    s.endSession();
    finishDialogue();
    EXPECT_FALSE(s.session.isOpen());

    // The refused message's header never arrived: it gets no row (one could not be judged, and
    // a selection could pick it for deletion). Every column holds one entry per row.
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1"}));
    EXPECT_EQ(s.messages.ListBox2(), (std::vector<std::string>{"alice@example.org"}));
    EXPECT_EQ(s.messages.ListBox3(), (std::vector<std::string>{"first"}));
    EXPECT_EQ(s.messages.ListBox5(), (std::vector<std::string>{codeOf("uid-a")}));
    EXPECT_EQ(s.messages.startCode, "0");
    EXPECT_EQ(s.messages.sizeContentText(1), "120 /N.A.");
    EXPECT_EQ(s.messages.sizeContentText(2), "N.A.");  // no row holds its header
    EXPECT_EQ(s.messages.messageTable.rowCount(), 2);  // the titles and the one row
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 1), "alice@example.org");
    EXPECT_NE(view.statusHistory.back().find("1 new messages from server"), std::string::npos);
    EXPECT_NE(view.statusHistory.back().find("download stopped"), std::string::npos);
    EXPECT_EQ(s.session.downloadStopped, "-ERR no such message");
}

TEST_F(ScreeningDialogueTest, AHeaderFloodStopsTheDownloadAndSaysWhy)
{
    scriptLogin(2);
    scriptUidl(2, "uid-b");
    scriptSummary(1, "alice@example.org", "first", 120);
    scriptUidl(1, "uid-a");
    expectClient("TOP 2 0\r\n");
    std::string flood = "+OK\r\n";
    for (int line = 0; line < 20001; ++line)
        flood += "X-Line: y\r\n";
    server(flood);
    fake.waitForClientClose();

    ASSERT_TRUE(s.connectSession());
    s.downloadHeaders();
    finishDialogue();

    EXPECT_FALSE(s.session.isOpen());
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1"}));
    EXPECT_EQ(s.messages.ListBox5(), (std::vector<std::string>{codeOf("uid-a")}));
    // No server reply explains the end of the session: the status line gives our own reason.
    EXPECT_NE(view.statusHistory.back().find(
                  "download stopped: Header too long: more than 20000 lines"),
              std::string::npos)
        << view.statusHistory.back();
}

TEST_F(ScreeningDialogueTest, ErrInsideAReplysTextIsNoRefusal)
{
    // Some servers make the unique id from the Message-ID a sender chose.
    scriptLogin(2);
    scriptUidl(2, "<x-ERR@spam.example>");
    scriptSummary(1, "alice@example.org", "first", 120);
    scriptUidl(1, "uid-a");
    scriptSummary(2, "spam@spam.example", "second", 90);
    scriptUidl(2, "<x-ERR@spam.example>");
    scriptQuit();

    ASSERT_TRUE(s.connectSession());
    s.downloadHeaders();
    EXPECT_TRUE(s.session.isOpen());
    s.closeSession();
    finishDialogue();

    EXPECT_FALSE(s.session.lastRefusal);
    EXPECT_TRUE(s.session.quitConfirmed);
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(s.messages.ListBox5().back(), codeOf("<x-ERR@spam.example>"));
}

TEST_F(ScreeningDialogueTest, RefusedDeleStopsTheRunRebuildsTheTableAndCountsOnlyAcknowledgedDeletions)
{
    scriptLogin(3);
    scriptUidl(3, "uid-c");
    for (int n = 1; n <= 3; ++n) {
        scriptSummary(n, "spam" + std::to_string(n) + "@example.net", "offer " + std::to_string(n),
                      100 * n);
        scriptUidl(n, std::string("uid-") + char('a' + n - 1));
    }
    // Every check first, then the DELEs of the messages whose check held.
    for (int n = 3; n >= 1; --n)
        scriptUidl(n, std::string("uid-") + char('a' + n - 1));
    expectClient("DELE 3\r\n");
    server("+OK message 3 deleted\r\n");
    expectClient("DELE 2\r\n");
    server("-ERR refused\r\n");
    scriptQuit();

    ASSERT_TRUE(s.connectSession());
    s.downloadHeaders();
    s.reclassify();
    ASSERT_EQ(s.messages.ListBox1().size(), 3u);

    s.grid.selTop = 1;
    s.grid.selBottom = 3;
    EXPECT_THROW(s.deleteSelected(), EPop3Refusal);
    EXPECT_TRUE(s.session.isOpen());  // the caller ends it: QUIT carries out DELE 3
    s.closeSession();
    finishDialogue();

    EXPECT_EQ(deleCommands(), (std::vector<std::string>{"DELE 3\r\n", "DELE 2\r\n"}));
    EXPECT_EQ(s.lastDeletion.deleted, 1);
    EXPECT_NE(s.lastDeletion.failure.find("-ERR refused"), std::string::npos);
    EXPECT_EQ(s.profile.settings.DeletedCount, 1);
    ASSERT_EQ(s.profile.rejectedLog.rowCount(), 2);
    EXPECT_EQ(s.profile.rejectedLog.rows()[1].sender, "spam3@example.net");

    // The table was rebuilt from the lists at once: no row shows the deleted message.
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(s.messages.messageTable.rowCount(), 3);
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColNumber, 2), "2");
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 2), "spam2@example.net");
}

TEST_F(ScreeningDialogueTest, SelectedRowsAreDeletedFromTheBottomUpAndTheRestRenumbered)
{
    // Rows 1..5 show messages 6..10; rows 2..4 (messages 7, 8, 9) are selected.
    for (int n = 6; n <= 10; ++n)
        addRow(n, "sender" + std::to_string(n) + "@example.com", "u" + std::to_string(n), 1000 + n);
    s.buildMessageTable(false);

    scriptLogin(10);
    for (int n = 9; n >= 7; --n)
        scriptUidl(n, "u" + std::to_string(n));
    for (int n = 9; n >= 7; --n) {
        expectClient("DELE " + std::to_string(n) + "\r\n");
        server("+OK\r\n");
    }
    scriptQuit();

    ASSERT_TRUE(s.connectSession());
    s.grid.selTop = 2;
    s.grid.selBottom = 4;
    s.deleteSelected();
    s.closeSession();
    finishDialogue();

    EXPECT_EQ(deleCommands(), (std::vector<std::string>{"DELE 9\r\n", "DELE 8\r\n", "DELE 7\r\n"}));
    EXPECT_EQ(s.lastDeletion.deleted, 3);
    EXPECT_EQ(s.profile.settings.DeletedCount, 3);
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 4);
    // Message 10 is message 7 once the server has carried out the deletions; its row shows its
    // own size, not that of a deleted message.
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"6", "7"}));
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColNumber, 2), "7");
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 2), "sender10@example.com");
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSizeContent, 2), "1010 /N.A.");
    EXPECT_EQ(s.messages.ListBox5(), (std::vector<std::string>{codeOf("u6"), codeOf("u10")}));
}

TEST_F(ScreeningDialogueTest, AConnectionClosedDuringTheChecksDeletesNothingAndSaysSo)
{
    for (int n = 1; n <= 3; ++n)
        addRow(n, "sender" + std::to_string(n) + "@example.com", "u" + std::to_string(n), 100);
    s.buildMessageTable(false);
    // Message 3's check holds; the server closes during message 2's.
    scriptLogin(3);
    scriptUidl(3, "u3");
    expectClient("UIDL 2\r\n");
    fake.closeConnection();

    ASSERT_TRUE(s.connectSession());
    s.grid.selTop = 1;
    s.grid.selBottom = 3;
    EXPECT_THROW(s.deleteSelected(), Exception);
    s.closeSession();
    finishDialogue();

    // No DELE on a closed connection, and the failure keeps its own words.
    EXPECT_TRUE(deleCommands().empty());
    EXPECT_EQ(s.lastDeletion.deleted, 0);
    EXPECT_EQ(s.lastDeletion.failure, "Connection closed by server");
    EXPECT_EQ(s.messages.ListBox1().size(), 3u);
}

TEST_F(ScreeningDialogueTest, RowWhoseMessageChangedOnTheServerIsLeftAlone)
{
    addRow(1, "a@example.com", "ua", 100);
    addRow(2, "b@example.com", "ub", 200);
    s.buildMessageTable(false);

    // Another program removed message 1: the server's message 1 is now the one shown as row 2.
    scriptLogin(1);
    scriptUidl(1, "ub");
    scriptQuit();

    ASSERT_TRUE(s.connectSession());
    s.grid.selTop = 1;
    s.grid.selBottom = 2;
    s.deleteSelected();
    s.closeSession();
    finishDialogue();

    EXPECT_TRUE(deleCommands().empty());
    EXPECT_EQ(s.lastDeletion.deleted, 0);
    EXPECT_EQ(s.lastDeletion.leftAlone, 2);
    EXPECT_EQ(s.profile.settings.DeletedCount, 0);
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 1);
    EXPECT_EQ(s.messages.ListBox1().size(), 2u);
    EXPECT_TRUE(std::any_of(view.statusHistory.begin(), view.statusHistory.end(),
                            [](const std::string &text) {
                                return text.find("2 row(s) not deleted") != std::string::npos;
                            }));
}

TEST_F(ScreeningDialogueTest, RefusedPortIsReportedWithoutAnException)
{
    s.profile.settings.Port = "11o";
    prompter.expectMessage(Prompter::Kind::Error, "");
    EXPECT_FALSE(s.connectSession());
    EXPECT_NE(s.session.sessionError.find("1 to 65535"), std::string::npos);
    EXPECT_EQ(view.visible(Control::shape1), false);
    EXPECT_EQ(fake.connectionsAccepted(), 0);
}

TEST_F(ScreeningDialogueTest, DiagnosticFillShowsTheLogAsATableWithoutAServer)
{
    s.profile.rejectedLog.appendRejected("Spam <spam@example.net>", "Offer");
    s.profile.rejectedLog.appendRejected("Other <o@example.net>", "Deal");
    s.profile.whitelist.add("Friend <f@example.org>");
    addRow(125, "x@example.com", "u125", 900);  // left by an earlier download
    s.fillFromRejectedLog();
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"125", "126"}));
    // A row from the log has no header: it never shows the size of the message it replaced.
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSizeContent, 1), "N.A.");
    EXPECT_EQ(s.messages.rowOfMessage(125), nullptr);
    EXPECT_EQ(s.messages.startCode, "0");
    EXPECT_EQ(s.messages.rows.back().markCode(), "0");
    EXPECT_EQ(s.messages.messageTable.marker(MessageTable::ColSender, 1), CellMarker::KNBA);
    EXPECT_EQ(s.messages.messageTable.marker(MessageTable::ColSubject, 2), CellMarker::KNBS);
    EXPECT_EQ(s.mainButtonMode(), MainButtonMode::GetNew);
    EXPECT_EQ(fake.connectionsAccepted(), 0);
}

TEST_F(ScreeningDialogueTest, RenumberingAfterADeletionLowersTheLaterMessages)
{
    for (int n = 4; n <= 7; ++n)
        addRow(n, "x@example.com", "u" + std::to_string(n), 100 * n);
    s.messages.rows.erase(s.messages.rows.begin() + 1);  // message 5, deleted
    s.renumberAfterDeletion(5);
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"4", "5", "6"}));
    EXPECT_EQ(s.messages.sizeContentText(5), "600 /N.A.");
    s.renumberAfterDeletion(0);  // no message: nothing changes
    EXPECT_EQ(s.messages.sizeContentText(6), "700 /N.A.");
}

TEST_F(ScreeningDialogueTest, AnUnreadableSecuritySettingStopsTheConnectWithFileAndKey)
{
    folder.write("work.conf", "[security]\nmode=ssl\n");
    s.profile.confFile = folder.path("work.conf");
    s.profile.conf = ProfileConf::load(s.profile.confFile);
    prompter.expectMessage(Prompter::Kind::Error, "");
    EXPECT_FALSE(s.connectSession());
    EXPECT_NE(s.session.sessionError.find("[security] mode"), std::string::npos);
    EXPECT_NE(s.session.sessionError.find("work.conf"), std::string::npos);
    EXPECT_EQ(fake.connectionsAccepted(), 0);  // never another mode: nothing was sent
}

TEST_F(ScreeningDialogueTest, AResumeMarkThatSeveralMessagesCarryIsNoMark)
{
    // The mark was message 3's unique id; new message 4 lacks the headers this server derives
    // ids from and got the same one. Without a usable fallback the download starts at message
    // 1; with one it resumes after it. Either way message 4 is shown.
    struct Case {
        const char *fallback;  // the fallback mark's unique id; none: no fallback
        int first;             // the first message downloaded
    };
    const Case cases[] = {{nullptr, 1}, {"uid-b", 3}};
    const auto uid = [](int n) { return n <= 2 ? std::string(n == 1 ? "uid-a" : "uid-b") : "dup"; };
    for (const Case &c : cases) {
        if (&c != cases)
            fake.nextConnection();
        scriptLogin(4);
        // The listing also gives the newest message's code and the first one's.
        expectClient("UIDL\r\n");
        server("+OK\r\n1 uid-a\r\n2 uid-b\r\n3 dup\r\n4 dup\r\n.\r\n");
        for (int n = c.first; n <= 4; ++n) {
            scriptSummary(n, "sender" + std::to_string(n) + "@example.org", "subject");
            scriptUidl(n, uid(n));
        }
        scriptQuit();
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fallback ? "usable fallback" : "no fallback");
        ScreenerFixture run;
        run.pointAt(fake.port());
        run.s.profile.settings.resumeCode = codeOf("dup");
        run.s.profile.settings.resumeFallbackCode = c.fallback ? codeOf(c.fallback) : "-1";
        ASSERT_TRUE(run.s.connectSession());
        run.s.downloadHeaders();
        run.s.closeSession();
        std::vector<std::string> numbers;
        for (int n = c.first; n <= 4; ++n)
            numbers.push_back(std::to_string(n));
        EXPECT_EQ(run.s.messages.ListBox1(), numbers);
        const std::vector<std::string> &said = run.view.statusHistory;
        EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string &text) {
            return text.find("2 messages on the server share its unique id") != std::string::npos;
        }));
    }
    finishDialogue();
}

TEST_F(ScreeningDialogueTest, ADeletionCountsAndRemovesItsRowsOnlyOnceQuitIsConfirmed)
{
    // Two sessions on the same mailbox: the first loses its connection before QUIT's answer,
    // so the server deleted nothing; the second ends with QUIT confirmed.
    for (const bool confirmed : {false, true}) {
        scriptLogin(3);
        scriptUidl(3, "u3");
        for (int n = 1; n <= 3; ++n) {
            scriptSummary(n, "spam" + std::to_string(n) + "@example.net", "offer");
            scriptUidl(n, "u" + std::to_string(n));
        }
        for (int n = 2; n >= 1; --n)
            scriptUidl(n, "u" + std::to_string(n));
        for (int n = 2; n >= 1; --n) {
            expectClient("DELE " + std::to_string(n) + "\r\n");
            server("+OK\r\n");
        }
        expectClient("QUIT\r\n");
        if (confirmed)
            server("+OK bye\r\n");
        else
            fake.nextConnection();
    }
    for (const bool confirmed : {false, true}) {
        SCOPED_TRACE(confirmed ? "QUIT confirmed" : "connection lost before QUIT's answer");
        ASSERT_TRUE(s.connectSession());
        s.downloadHeaders();
        s.reclassify();
        ASSERT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1", "2", "3"}));
        s.grid.selTop = 1;
        s.grid.selBottom = 2;
        s.dispatcher.pendingCommand = cmdDeleteSelected;
        prompter.expectYesNo(Prompter::Kind::Confirmation,
                             "Really DELETE selected 2 Message(s) (No Recovery) ?", true);
        s.dispatcher.Timer2Timer();

        // The log keeps what the user chose to delete, once; the count and the rows wait for
        // the server's word.
        EXPECT_EQ(s.profile.rejectedLog.rowCount(), 3);
        EXPECT_EQ(s.profile.settings.DeletedCount, confirmed ? 2 : 0);
        const std::vector<std::string> left = confirmed ? std::vector<std::string>{"1"}
                                                        : std::vector<std::string>{"1", "2", "3"};
        EXPECT_EQ(s.messages.ListBox1(), left);
        EXPECT_EQ(s.lastDeletion.unconfirmed, confirmed ? 0 : 2);
        EXPECT_EQ(view.statusHistory.back().find("The deletion did not complete") == 0, !confirmed)
            << view.statusHistory.back();
    }
    finishDialogue();
}

}  // namespace
}  // namespace kestrix::test
