// The whitelist commands on a Screener, with the whitelist file in a temp folder.
#include "profiles/profile_store.h"
#include "screening/list_commands.h"
#include "support/screener_fixture.h"

using namespace kestrix;
using kestrix::test::ScreenerTest;
using Kind = Prompter::Kind;

namespace {

class WhitelistCommands : public ScreenerTest {
protected:
    std::vector<std::string> entries() const { return s.profile.whitelist.entries(); }
    void select(int top, int bottom)
    {
        s.grid.selTop = top;
        s.grid.selBottom = bottom;
    }

    const QString file = files.whitelist;
};

}  // namespace

TEST_F(WhitelistCommands, KnownBadSenderIsAddedBareAndTrustedAfterTheReclassify)
{
    s.profile.rejectedLog.appendRow("spam@example.org", "first offer");
    s.profile.rejectedLog.appendRow("other@example.org", "news");
    s.profile.rejectedLog.appendRow("spam@example.org", "second offer");
    addMessage(1, "stranger@example.org", "hello");
    addMessage(2, "Spam@Example.org", "a new offer");
    s.buildMessageTable(false);
    ASSERT_EQ(senderMarker(2), CellMarker::KNBA);
    select(2, 2);

    s.AddToWhitelist(file);

    EXPECT_EQ(entries(), (std::vector<std::string>{"Spam@Example.org"}));
    EXPECT_EQ(folder.read("default.acc"), "Spam@Example.org\r\n");
    // Both log rows of that sender are emptied in place; the other entry stays.
    ASSERT_EQ(s.profile.rejectedLog.rowCount(), 4);
    EXPECT_TRUE(isDeletedEntry(s.profile.rejectedLog.rows()[1]));
    EXPECT_EQ(s.profile.rejectedLog.rows()[2].sender, "other@example.org");
    EXPECT_TRUE(isDeletedEntry(s.profile.rejectedLog.rows()[3]));
    EXPECT_FALSE(s.profile.rejectedLog.isKnownBadSender("spam@example.org"));

    EXPECT_EQ(s.dispatcher.pendingCommand, cmdReclassify);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
    EXPECT_EQ(view.enabled(Control::button10), false);
    EXPECT_EQ(view.enabled(Control::Deleteselectedmails1), false);
    EXPECT_EQ(view.enabled(Control::button7), false);
    EXPECT_EQ(view.enabled(Control::SpeedButton31), true);
    EXPECT_EQ(view.visible(Control::Panel3), std::nullopt);  // the table still has rows

    s.reclassify();
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
    EXPECT_EQ(senderMarker(1), CellMarker::None);
}

TEST_F(WhitelistCommands, KnownBadModeTakesEveryKnownBadAndBlacklistedRowSelectedOrNot)
{
    s.profile.blacklist.assign({"cash"});
    s.profile.rejectedLog.appendRow("bad@example.org", "junk subject");
    addMessage(1, "a@example.org", "cash now");        // blacklisted
    addMessage(2, "b@example.org", "hello");           // unknown, the selected row
    addMessage(3, "bad@example.org", "hi");            // known-bad sender
    addMessage(4, "c@example.org", "Junk Subject");    // known-bad subject
    addMessage(5, "d@example.org", "fine");            // unknown
    s.buildMessageTable(false);
    select(2, 2);
    s.grid.knownBadSelectMode = true;

    s.AddToWhitelist(file);

    EXPECT_EQ(entries(), (std::vector<std::string>{"a@example.org", "bad@example.org", "c@example.org"}));
    EXPECT_EQ(folder.read("default.acc"), "a@example.org\r\nbad@example.org\r\nc@example.org\r\n");
}

TEST_F(WhitelistCommands, SenderPresentInAnotherLetterCaseIsNotAddedTwice)
{
    s.profile.whitelist.add("friend@example.org");
    addMessage(1, "FRIEND@Example.ORG", "hi");
    addMessage(2, "Friend@example.org", "again");
    s.buildMessageTable(false);
    select(1, 2);

    s.AddToWhitelist(file);

    EXPECT_EQ(entries(), (std::vector<std::string>{"friend@example.org"}));
    EXPECT_EQ(folder.read("default.acc"), "friend@example.org\r\n");
}

TEST_F(WhitelistCommands, SenderThatBeginsWithTheSectionSignKeepsEveryByte)
{
    // Texts that look like markers but are the mail's own bytes.
    const std::string lookalike = "\xA7KNGAodd@example.org";
    const std::string knownBad = "\xA7KNBAweird@example.org";
    s.profile.rejectedLog.appendRow("\xA7knbaweird@example.org", "old");
    addMessage(1, lookalike, "one");
    addMessage(2, knownBad, "two");
    s.buildMessageTable(false);
    ASSERT_EQ(senderMarker(1), CellMarker::None);
    ASSERT_EQ(senderMarker(2), CellMarker::KNBA);
    select(1, 2);

    s.AddToWhitelist(file);

    EXPECT_EQ(entries(), (std::vector<std::string>{knownBad, lookalike}));
    EXPECT_EQ(folder.read("default.acc"), knownBad + "\r\n" + lookalike + "\r\n");
    EXPECT_TRUE(isDeletedEntry(s.profile.rejectedLog.rows()[1]));

    s.reclassify();
    EXPECT_EQ(senderMarker(1), CellMarker::KNGA);
    EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 1), lookalike);
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
}

TEST_F(WhitelistCommands, AddOnAnEmptyTableOnlyDisablesTheDeleteButtons)
{
    s.AddToWhitelist(file);
    EXPECT_EQ(view.enabled(Control::button10), false);
    EXPECT_EQ(view.enabled(Control::Deleteselectedmails1), false);
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
    EXPECT_FALSE(folder.exists("default.acc"));
}

TEST_F(WhitelistCommands, FailedWritesAreReportedAndTheListKeepsItsEntries)
{
    const QString unwritable = folder.path("missing-folder/default.acc");
    s.profile.whitelist.add("kept@example.org");
    addMessage(1, "new@example.org", "hi");
    s.buildMessageTable(false);
    select(1, 1);

    prompter.expectMessage(Kind::Error, "");
    s.AddToWhitelist(unwritable);
    EXPECT_EQ(entries(), (std::vector<std::string>{"kept@example.org", "new@example.org"}));
    EXPECT_NE(prompter.asked.back().find("missing-folder"), std::string::npos);

    prompter.expectMessage(Kind::Error, "");
    EXPECT_FALSE(s.lists.saveWhitelist(unwritable));
    EXPECT_EQ(s.profile.whitelist.size(), 2u);
}

TEST_F(WhitelistCommands, RemovingTwoRowsOfOneSenderRemovesItOnce)
{
    s.profile.whitelist.assign({"friend@example.org", "keep@example.org"});
    addMessage(1, "friend@example.org", "one");
    addMessage(2, "stranger@example.org", "two");
    addMessage(3, "Friend@Example.org", "three");
    addMessage(4, "keep@example.org", "outside the selection");
    s.buildMessageTable(false);
    select(1, 3);

    s.RemoveFromWhitelist();

    ASSERT_FALSE(view.statusHistory.empty());
    EXPECT_EQ(view.statusHistory.back(), "1 Addresses removed from whitelist");
    EXPECT_EQ(entries(), (std::vector<std::string>{"keep@example.org"}));
    // Reclassified at once; the file waits for SaveProfile.
    EXPECT_EQ(senderMarker(1), CellMarker::None);
    EXPECT_EQ(senderMarker(4), CellMarker::KNGA);
    EXPECT_FALSE(folder.exists("default.acc"));

    s.RemoveFromWhitelist();
    EXPECT_EQ(view.statusHistory.back(), "0 Addresses removed from whitelist");
}

TEST_F(WhitelistCommands, DeleteAddressRemovesTheChosenEntriesAndShowsTheCount)
{
    s.profile.whitelist.assign({"a@example.org", "b@example.org", "c@example.org"});
    addMessage(1, "a@example.org", "hi");
    s.buildMessageTable(false);
    ASSERT_EQ(senderMarker(1), CellMarker::KNGA);

    s.deleteWhitelistAddresses({0, 2, 0, 7, -1}, file);

    EXPECT_EQ(entries(), (std::vector<std::string>{"b@example.org"}));
    EXPECT_EQ(view.text(Control::Label13), "1 trusted addresses");
    EXPECT_EQ(view.text(Control::Label25), "1 trusted addresses");
    EXPECT_EQ(senderMarker(1), CellMarker::None);
    ASSERT_FALSE(view.pagesShown.empty());
    EXPECT_EQ(view.pagesShown.back(), Control::TabSheet4);
    EXPECT_FALSE(folder.exists("default.acc"));  // a non-empty list waits for SaveProfile
}

TEST_F(WhitelistCommands, EmptiedListAnsweredNoStaysOnDiskUntilSaveProfile)
{
    folder.write("default.acc", "a@example.org\r\n");
    s.profile.whitelist.assign({"a@example.org"});

    prompter.expectYesNo(Kind::Confirmation, "Save empty list of trusted addresses ?", false);
    s.deleteWhitelistAddresses({0}, file);
    EXPECT_TRUE(s.profile.whitelist.empty());
    EXPECT_EQ(view.text(Control::Label13), "0 trusted addresses");
    EXPECT_EQ(folder.read("default.acc"), "a@example.org\r\n");

    Profile profile;
    profile.whitelist = s.profile.whitelist;
    ASSERT_TRUE(SaveProfile(profile, folder.dir()));
    EXPECT_FALSE(folder.exists("default.acc"));
}

TEST_F(WhitelistCommands, EmptiedListAnsweredYesIsWrittenEmpty)
{
    folder.write("default.acc", "a@example.org\r\n");
    s.profile.whitelist.assign({"a@example.org"});

    prompter.expectYesNo(Kind::Confirmation, "Save empty list of trusted addresses ?", true);
    s.deleteWhitelistAddresses({0}, file);
    EXPECT_EQ(folder.read("default.acc"), "");
}

TEST_F(WhitelistCommands, LoadWithAMissingFileKeepsTheListAndAsksNothingElse)
{
    s.profile.whitelist.assign({"kept@example.org"});
    prompter.expectMessage(Kind::Error, "");

    EXPECT_FALSE(s.lists.loadWhitelist(file));

    EXPECT_EQ(entries(), (std::vector<std::string>{"kept@example.org"}));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_NE(prompter.asked[0].find("default.acc"), std::string::npos);
    EXPECT_EQ(view.text(Control::Label13), std::nullopt);
    EXPECT_FALSE(folder.exists("default.acc"));
}

TEST_F(WhitelistCommands, LoadTakesTheLinesAsTheyStandAndDoesNotReclassify)
{
    folder.write("default.acc", "\"Quoted\" <q@example.org>\r\nb@example.org\n=?iso-8859-1?Q?x?= <e@x>");
    s.profile.whitelist.assign({"old@example.org"});

    EXPECT_TRUE(s.lists.loadWhitelist(file));

    EXPECT_EQ(entries(), (std::vector<std::string>{"\"Quoted\" <q@example.org>", "=?iso-8859-1?Q?x?= <e@x>",
                                                   "b@example.org"}));
    EXPECT_EQ(view.text(Control::Label13), "3 trusted addresses");
    EXPECT_EQ(view.tableChanges, 0);
}

TEST_F(WhitelistCommands, SaveWritesTheListAlsoWhenEmpty)
{
    s.profile.whitelist.assign({"b@example.org", "A@example.org"});
    EXPECT_TRUE(s.lists.saveWhitelist(file));
    EXPECT_EQ(folder.read("default.acc"), "A@example.org\r\nb@example.org\r\n");

    s.profile.whitelist.clear();
    EXPECT_TRUE(s.lists.saveWhitelist(file));
    EXPECT_EQ(folder.read("default.acc"), "");
    EXPECT_EQ(folder.entries(), QStringList{QStringLiteral("default.acc")});  // no temp file left
}

TEST_F(WhitelistCommands, CountCaptionsAndTheMenuTest)
{
    s.profile.whitelist.assign({"a@example.org", "b@example.org"});
    s.profile.settings.DeletedCount = 17;
    addMessage(1, "A@example.org", "hi");
    addMessage(2, "z@example.org", "hi");
    s.buildMessageTable(false);

    s.lists.TabSheet4Show();
    EXPECT_EQ(view.text(Control::Label13), "2 trusted addresses");
    EXPECT_EQ(view.text(Control::Label25), "2 trusted addresses");
    s.lists.whitelistPageChanged();
    EXPECT_EQ(view.text(Control::Label25), "2 accepted E-MAIL Addresses");
    s.lists.showStartPageCounts();
    EXPECT_EQ(view.text(Control::Label19), "2");
    EXPECT_EQ(view.text(Control::Label21), "17");

    EXPECT_TRUE(s.whitelistHoldsSender(1));
    EXPECT_FALSE(s.whitelistHoldsSender(2));
    EXPECT_FALSE(s.whitelistHoldsSender(0));
    EXPECT_FALSE(s.whitelistHoldsSender(3));
}
