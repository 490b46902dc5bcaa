// The rejected-mail log page's commands, the deleted-mail counter and the blacklist page's
// commands, with the log file in a temp folder.
#include "profiles/list_files.h"
#include "profiles/profile_store.h"
#include "screening/list_commands.h"
#include "support/screener_fixture.h"

using namespace kestrix;
using kestrix::test::ScreenerTest;
using Kind = Prompter::Kind;

namespace {

class LogCommands : public ScreenerTest {
protected:
    void SetUp() override
    {
        s.profile.rejectedLog.appendRow("a@example.org", "first");
        s.profile.rejectedLog.appendRow("b@example.org", "second");
        s.profile.rejectedLog.appendRow("c@example.org", "third");
    }

    const QString file = files.log;
};

}  // namespace

TEST_F(LogCommands, ClearLogFileWritesAnEmptyFileWithLoggingOff)
{
    s.profile.settings.LogRejected = false;
    folder.write("default.log", "a@example.org\tfirst\r\n");

    prompter.expectYesNo(Kind::Confirmation, "Really erase log file ?", false);
    EXPECT_FALSE(s.lists.clearLogFile(file));
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 4);
    EXPECT_EQ(folder.read("default.log"), "a@example.org\tfirst\r\n");

    prompter.expectYesNo(Kind::Confirmation, "Really erase log file ?", true);
    EXPECT_TRUE(s.lists.clearLogFile(file));
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 1);
    EXPECT_EQ(s.profile.rejectedLog.rows()[0].sender, "Sender");
    EXPECT_EQ(folder.read("default.log"), "");
    EXPECT_FALSE(s.profile.rejectedLog.isKnownBadSender("a@example.org"));
}

TEST_F(LogCommands, ClearLogFileThatCannotBeWrittenKeepsTheRows)
{
    prompter.expectYesNo(Kind::Confirmation, "Really erase log file ?", true);
    prompter.expectMessage(Kind::Error, "");
    EXPECT_FALSE(s.lists.clearLogFile(folder.path("missing-folder/default.log")));
    EXPECT_EQ(s.profile.rejectedLog.rowCount(), 4);
    EXPECT_TRUE(s.profile.rejectedLog.isKnownBadSender("b@example.org"));
}

TEST_F(LogCommands, DeleteLineEmptiesTheCurrentEntryButNeverTheTitleRow)
{
    prompter.expectYesNo(Kind::Confirmation, "Really delete current line ?", false);
    EXPECT_FALSE(s.lists.deleteLogLine(2));
    EXPECT_FALSE(isDeletedEntry(s.profile.rejectedLog.rows()[2]));

    prompter.expectYesNo(Kind::Confirmation, "Really delete current line ?", true);
    EXPECT_TRUE(s.lists.deleteLogLine(2));
    EXPECT_TRUE(isDeletedEntry(s.profile.rejectedLog.rows()[2]));
    EXPECT_FALSE(s.profile.rejectedLog.isKnownBadSubject("second"));
    // The emptied entry is still counted until the log is written and read again.
    s.lists.showLogCount();
    EXPECT_EQ(view.text(Control::Panel13), "3 logged SPAM MAIL addresses");

    prompter.expectYesNo(Kind::Confirmation, "Really delete current line ?", true);
    EXPECT_FALSE(s.lists.deleteLogLine(0));
    EXPECT_EQ(s.profile.rejectedLog.rows()[0].sender, "Sender");
    prompter.expectYesNo(Kind::Confirmation, "Really delete current line ?", true);
    EXPECT_FALSE(s.lists.deleteLogLine(9));

    // The emptied entry is not written.
    ASSERT_TRUE(SaveRejectedLog(file, s.profile.rejectedLog));
    EXPECT_EQ(folder.read("default.log"), "a@example.org\tfirst\r\nc@example.org\tthird\r\n");
}

TEST_F(LogCommands, ResetCountAsksFirst)
{
    s.profile.settings.DeletedCount = 42;
    prompter.expectYesNo(Kind::Confirmation, "Reset SPAM count?", false);
    EXPECT_FALSE(s.lists.resetDeletedCount());
    EXPECT_EQ(s.profile.settings.DeletedCount, 42);
    EXPECT_EQ(view.text(Control::Label21), std::nullopt);

    prompter.expectYesNo(Kind::Confirmation, "Reset SPAM count?", true);
    EXPECT_TRUE(s.lists.resetDeletedCount());
    EXPECT_EQ(s.profile.settings.DeletedCount, 0);
    EXPECT_EQ(view.text(Control::Label21), "0");
}

TEST_F(LogCommands, BlacklistWalkOverThreeRowsWrapsInBothDirections)
{
    const RejectedLog &log = s.profile.rejectedLog;
    LogStep step = nextLogRow(log, 2);
    EXPECT_EQ(step.row, 3);
    EXPECT_EQ(step.text, "c@example.org third");
    step = nextLogRow(log, step.row);
    EXPECT_EQ(step.row, 1);
    EXPECT_EQ(step.text, "a@example.org first");
    step = previousLogRow(log, step.row);
    EXPECT_EQ(step.row, 3);
    step = previousLogRow(log, step.row);
    EXPECT_EQ(step.row, 2);
    EXPECT_EQ(step.text, "b@example.org second");
    // From the title row: ">" goes to the first entry, "<" to the last.
    EXPECT_EQ(nextLogRow(log, 0).row, 1);
    EXPECT_EQ(previousLogRow(log, 0).row, 3);
    // A current row past the end (the log was cut back meanwhile) stays inside the table.
    EXPECT_EQ(nextLogRow(log, 12).row, 1);
    EXPECT_EQ(previousLogRow(log, 12).row, 2);
}

TEST_F(LogCommands, BlacklistWalkOverAnEmptyLogStaysOnTheTitleRow)
{
    const RejectedLog empty;
    EXPECT_EQ(nextLogRow(empty, 0).row, 0);
    EXPECT_EQ(previousLogRow(empty, 3).row, 0);
    // The headings are not offered as text to cut a word from.
    EXPECT_EQ(nextLogRow(empty, 0).text, "");
    EXPECT_EQ(previousLogRow(empty, 0).text, "");
}

TEST_F(LogCommands, LogGridColumnsFollowTheTableWidth)
{
    // Wide enough: the sender column keeps its width, the subject column takes the rest.
    LogColumnWidths w = fitLogColumns(600, kLogSenderColumnStart);
    EXPECT_EQ(w.sender, 266);
    EXPECT_EQ(w.subject, 600 - 266 - 27);
    // Narrower than sender + 27: the sender column is narrowed to the width less 38.
    w = fitLogColumns(280, 266);
    EXPECT_EQ(w.sender, 242);
    EXPECT_EQ(w.subject, 11);
    // Exactly at the limit it stays.
    w = fitLogColumns(293, 266);
    EXPECT_EQ(w.sender, 266);
    EXPECT_EQ(w.subject, 0);
    // A tiny table gives no negative widths.
    w = fitLogColumns(10, 266);
    EXPECT_EQ(w.sender, 0);
    EXPECT_EQ(w.subject, 0);
}

using BlacklistCommands = ScreenerTest;

TEST_F(BlacklistCommands, AddLowerCasesAndAllowsDuplicatesAndEmptyText)
{
    s.profile.blacklist.assign({"cash", "money", "sex"});

    EXPECT_EQ(s.lists.addBlacklistWord("Free Money"), 1u);
    EXPECT_EQ(s.lists.addBlacklistWord("Free Money"), 2u);
    EXPECT_EQ(s.lists.addBlacklistWord(""), 0u);
    EXPECT_EQ(s.profile.blacklist.words(),
              (std::vector<std::string>{"", "cash", "free money", "free money", "money", "sex"}));

    // Only the current entry goes; no current entry, nothing.
    EXPECT_TRUE(s.lists.deleteBlacklistWord(2));
    EXPECT_FALSE(s.lists.deleteBlacklistWord(-1));
    EXPECT_FALSE(s.lists.deleteBlacklistWord(5));
    EXPECT_EQ(s.profile.blacklist.words(), (std::vector<std::string>{"", "cash", "free money", "money", "sex"}));
}
