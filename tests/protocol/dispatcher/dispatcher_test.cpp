// The command dispatcher against a scripted server: a queued download runs with the reclassify
// run, queued commands wait on the configuration page, deletions that end before the server
// send nothing, a server error in the middle of a download, failures without a server reply,
// and the buttons that only queue.
#include "support/screener_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace kestrix::test {
namespace {

using Kind = Prompter::Kind;

// The window's side: the configuration page and the grid's selection, as the test sets them.
class DispatcherTest : public ScreenerDialogueTest, public WindowSide {
protected:
    void SetUp() override
    {
        ScreenerDialogueTest::SetUp();
        s.setWindowSide(*this);
    }
    bool configurationPageShown() const override { return configPageShown; }
    std::optional<std::pair<int, int>> gridSelection() const override { return selection; }

    // Rows of a download, without a server; row n carries the id "uid-n".
    void addRows(const std::vector<std::string> &senders)
    {
        for (size_t i = 0; i < senders.size(); ++i) {
            const int n = int(i) + 1;
            addMessage(n, senders[i], "subject " + std::to_string(n), codeOf("uid-" + std::to_string(n)));
        }
        s.buildMessageTable(false);
    }

    // The dispatcher is idle and will run the next tick.
    void expectIdleAndRunning()
    {
        EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
        EXPECT_EQ(view.enabled(Control::Timer2), true);
        EXPECT_NE(view.enabled(Control::stringgrid1), std::optional<bool>(false));
        EXPECT_FALSE(s.session.isOpen());
        EXPECT_FALSE(s.dispatcher.dispatching());
    }

    bool configPageShown = false;
    std::pair<int, int> selection{1, 1};
};

TEST_F(DispatcherTest, QueuedGetHeadersRunsTheDownloadAndTheReclassifyRun)
{
    s.profile.whitelist.add("alice@example.org");
    scriptLogin(2);
    scriptUidl(2, "uid-b");
    scriptSummary(1, "alice@example.org", "hello");
    scriptUidl(1, "uid-a");
    scriptSummary(2, "spam@example.net", "offer");
    scriptUidl(2, "uid-b");
    scriptQuit();

    s.dispatcher.pendingCommand = cmdGetHeaders;  // becomes 5 while "check after download" is on
    s.dispatcher.Timer2Timer();
    finishDialogue();

    expectIdleAndRunning();
    EXPECT_EQ(s.messages.ListBox2(), (std::vector<std::string>{"alice@example.org", "spam@example.net"}));
    // The reclassify run followed the download: one trusted row, the banner of unknown senders.
    EXPECT_EQ(s.messages.trustedCount, 1);
    EXPECT_TRUE(s.messages.messageTable.isTrusted(1));
    EXPECT_FALSE(s.messages.messageTable.isTrusted(2));
    EXPECT_EQ(view.visible(Control::Panel3), true);
    EXPECT_EQ(view.checked(Control::CheckBox1), false);
    EXPECT_EQ(view.visible(Control::shape1), false);
    EXPECT_FALSE(view.busyCursor);
}

TEST_F(DispatcherTest, WithoutTheCheckAfterDownloadOnlyTheDownloadRunsAndAllTrustedAsksToContinue)
{
    s.profile.settings.CheckAfterDownload = false;
    s.profile.whitelist.add("alice@example.org");
    scriptLogin(1);
    scriptUidl(1, "uid-a");
    scriptSummary(1, "alice@example.org", "hello");
    scriptUidl(1, "uid-a");
    scriptQuit();

    s.dispatcher.pendingCommand = cmdGetHeaders;
    s.dispatcher.Timer2Timer();
    finishDialogue();

    expectIdleAndRunning();
    EXPECT_EQ(s.mainButtonMode(), MainButtonMode::Continue);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::Continue);
}

TEST_F(DispatcherTest, QueuedCommandsWaitWhileTheConfigurationPageIsShown)
{
    addRows({"spam@example.net"});
    configPageShown = true;
    selection = {1, 1};
    s.dispatcher.pendingCommand = cmdReclassify;
    s.dispatcher.Timer2Timer();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdReclassify);
    EXPECT_FALSE(view.text(Control::Label6));  // not even the selection bookkeeping ran

    configPageShown = false;
    s.dispatcher.Timer2Timer();
    expectIdleAndRunning();
    EXPECT_EQ(view.text(Control::Label6), "1");
    EXPECT_EQ(view.visible(Control::Panel3), true);
    EXPECT_EQ(fake.connectionsAccepted(), 0);
}

TEST_F(DispatcherTest, DeletionsThatEndBeforeTheServerSendNothing)
{
    addRows({"alice@example.org", "spam@example.net", "more@example.net"});
    s.profile.whitelist.add("alice@example.org");
    s.buildMessageTable(false);

    // Only the trusted row is selected: nothing to delete.
    selection = {1, 1};
    s.dispatcher.pendingCommand = cmdDeleteSelected;
    prompter.expectMessage(Kind::Information, "Nothing to delete !");
    s.dispatcher.Timer2Timer();
    expectIdleAndRunning();
    EXPECT_EQ(view.checked(Control::CheckBox1), false);

    // Two deletable rows, answered No.
    selection = {1, 3};
    s.dispatcher.pendingCommand = cmdDeleteSelected;
    prompter.expectYesNo(Kind::Confirmation, "Really DELETE selected 2 Message(s) (No Recovery) ?",
                         false);
    s.dispatcher.Timer2Timer();
    expectIdleAndRunning();

    // No known-bad rows at all.
    s.grid.knownBadSelectMode = true;
    s.dispatcher.Button10Click();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdDeleteKnownBad);
    prompter.expectMessage(Kind::Confirmation, "No bad listed messages available !");
    s.dispatcher.Timer2Timer();
    expectIdleAndRunning();

    prompter.verifyAllAsked();
    EXPECT_EQ(fake.connectionsAccepted(), 0);
    EXPECT_EQ(s.messages.ListBox1().size(), 3u);
}

TEST_F(DispatcherTest, KnownBadDeletionAnsweredYesDeletesAndQuits)
{
    addRows({"ann@example.org", "spam@example.net"});
    s.profile.rejectedLog.appendRow("spam@example.net", "old offer");
    s.buildMessageTable(false);
    ASSERT_EQ(s.countKnownBad(), 1);

    scriptLogin(2);
    scriptUidl(2, "uid-2");
    expectClient("DELE 2\r\n");
    server("+OK deleted\r\n");
    scriptQuit();

    s.grid.knownBadSelectMode = true;
    s.dispatcher.Button10Click();
    prompter.expectYesNo(Kind::Confirmation,
                         "Really DELETE 1 blacklisted or known bad message(s) (No Recovery !) ?",
                         true);
    s.dispatcher.Timer2Timer();
    finishDialogue();
    prompter.verifyAllAsked();
    expectIdleAndRunning();
    EXPECT_EQ(s.messages.ListBox2(), (std::vector<std::string>{"ann@example.org"}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 1);
    EXPECT_FALSE(s.grid.knownBadSelectMode);
}

TEST_F(DispatcherTest, ServerErrorDuringADownloadClosesTheSessionAndTheDispatcherRunsAgain)
{
    scriptLogin(3);
    scriptUidl(3, "uid-c");
    scriptSummary(1, "alice@example.org", "first");
    scriptUidl(1, "uid-a");
    expectClient("TOP 2 0\r\n");
    server("-ERR no such message\r\n");
    scriptQuit();

    s.dispatcher.pendingCommand = cmdGetHeaders;
    s.dispatcher.Timer2Timer();
    finishDialogue();

    expectIdleAndRunning();
    ASSERT_TRUE(s.session.lastRefusal);
    EXPECT_EQ(s.session.lastRefusal->command(), "TOP");
    bool errorShown = false;
    for (const std::string &status : view.statusHistory)
        errorShown = errorShown || status.find("-ERR no such message") != std::string::npos;
    EXPECT_TRUE(errorShown);
    EXPECT_EQ(view.enabled(Control::Poller), true);
    EXPECT_EQ(s.messages.ListBox1(), (std::vector<std::string>{"1"}));  // no row for the refused header

    // The next queued command runs.
    s.dispatcher.pendingCommand = cmdReclassify;
    s.dispatcher.Timer2Timer();
    expectIdleAndRunning();
    EXPECT_EQ(fake.connectionsAccepted(), 1);
}

TEST_F(DispatcherTest, AFailureWithoutServerReplyIsShownAndTheDispatcherRunsAgain)
{
    addRows({"spam@example.net", "other@example.net"});
    scriptLogin(2);
    // The connection breaks while the deletion checks the message's id.
    expectClient("UIDL 2\r\n");
    fake.resetConnection();

    selection = {1, 2};
    s.dispatcher.pendingCommand = cmdDeleteSelected;
    prompter.expectYesNo(Kind::Confirmation, "Really DELETE selected 2 Message(s) (No Recovery) ?",
                         true);
    s.dispatcher.Timer2Timer();
    prompter.verifyAllAsked();
    expectIdleAndRunning();
    EXPECT_FALSE(view.busyCursor);
    EXPECT_EQ(s.profile.settings.DeletedCount, 0);
    ASSERT_FALSE(view.statusHistory.empty());
    EXPECT_NE(view.statusHistory.back().find("Connection reset"), std::string::npos);

    // A connection that cannot be made: the branch skips its server work and ends normally.
    s.profile.settings.Port = std::to_string(unusedLoopbackPort());
    s.dispatcher.pendingCommand = cmdCheckNewMail;
    prompter.expectMessage(Kind::Information, "Connection Failed");
    s.dispatcher.Timer2Timer();
    prompter.verifyAllAsked();
    expectIdleAndRunning();
}

TEST_F(DispatcherTest, AnIdleTickClosesASessionLeftOpen)
{
    scriptLogin(0);
    scriptQuit();
    ASSERT_TRUE(s.connectSession());
    s.dispatcher.Timer2Timer();
    finishDialogue();
    expectIdleAndRunning();
}

TEST_F(DispatcherTest, TheMainButtonAndItsFriendsOnlyQueue)
{
    s.profile.settings.resumeCode = "12";
    s.profile.settings.spareCode1 = "13";
    s.grid.knownBadSelectMode = true;

    s.setMainButtonMode(MainButtonMode::Configure);
    s.dispatcher.Button1Click();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
    EXPECT_EQ(view.pagesShown.back(), Control::TabSheet8);
    EXPECT_FALSE(s.grid.knownBadSelectMode);

    s.setMainButtonMode(MainButtonMode::GetNew);
    s.session.password.clear();
    prompter.expectMessage(Kind::Information, "Password has not been specified !");
    s.dispatcher.Button1Click();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
    EXPECT_EQ(view.enabled(Control::SpeedButton2), false);

    s.session.password = "secret";
    s.dispatcher.SpeedButton30Click();  // "/ All"
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdGetHeaders);
    EXPECT_EQ(s.profile.settings.resumeCode, "-1");
    EXPECT_EQ(s.profile.settings.spareCode1, "-1");
    EXPECT_EQ(view.pagesShown.back(), Control::TabSheet3);
    EXPECT_EQ(view.enabled(Control::SpeedButton2), true);
    EXPECT_EQ(view.enabled(Control::SpeedButton6), true);
    EXPECT_EQ(view.visible(Control::Panel12), false);

    for (MainButtonMode caption : {MainButtonMode::Process, MainButtonMode::Continue}) {
        s.dispatcher.pendingCommand = cmdIdle;
        s.setMainButtonMode(caption);
        s.session.password.clear();  // no password needed to reclassify
        s.dispatcher.Button1Click();
        EXPECT_EQ(s.dispatcher.pendingCommand, cmdReclassify) << int(caption);
    }

    s.dispatcher.Button10Click();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdDeleteSelected);

    for (int n = 1; n <= 7; ++n)
        s.messages.rows.push_back({n, "a@example.org", "Hi", "c" + std::to_string(n)});
    s.buildMessageTable(false);
    s.updateSelectionInfo(3, 7);
    EXPECT_EQ(view.text(Control::Label6), "3-7");
    EXPECT_EQ(view.enabled(Control::SpeedButton24), false);
    s.updateSelectionInfo(4, 4);
    EXPECT_EQ(view.text(Control::Label6), "4");
    EXPECT_EQ(view.enabled(Control::SpeedButton24), true);
    EXPECT_EQ(s.grid.selTop, 4);
    EXPECT_EQ(s.grid.selBottom, 4);
    // An empty table has no selection to count.
    s.messages.rows.clear();
    s.buildMessageTable(false);
    s.updateSelectionInfo(1, 1);
    EXPECT_EQ(view.text(Control::Label6), "");
}

}  // namespace
}  // namespace kestrix::test
