// The deletion and the new-mail count against a real Dovecot, which lists PIPELINING, beside the
// same runs with pipelining switched off: after another program removed a message (so some rows
// no longer name their message) the same messages are deleted, left alone, logged, counted and
// renumbered, with the same status texts, and the same new mail is counted; with Deleted mail
// on, the same copies are kept.
#include "dovecot_screening.h"
#include "profiles/quarantine_store.h"
#include "screening/new_mail_count.h"

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

struct DeletionRun {
    Strings left, numbers, senders, statuses, log, kept;
    int deleted = 0, leftAlone = 0, counted = 0, newMail = 0, unknownSenders = 0;
    bool operator==(const DeletionRun &) const = default;
};

DeletionRun deleteKnownBadAfterAChange(bool pipelined, bool keepCopies)
{
    constexpr int count = 40;
    std::vector<std::string> messages;
    for (int k = 1; k <= count; ++k)
        messages.push_back(DovecotServer::makeMessage(
            NumberedMailbox::sender(k), k % 4 == 0 ? "Viagra offer " + std::to_string(k)
                                                   : NumberedMailbox::subject(k)));
    DovecotServer dovecot(messages);
    ScreenerFixture f;
    f.pointAt(dovecot);
    f.pop.UsePipelining = pipelined;
    f.s.profile.settings.NotifyLimit = 1000;
    f.s.profile.whitelist.add(NumberedMailbox::sender(1));
    if (keepCopies) {
        f.s.profile.quarantine.emplace(QuarantineStore::folderFor(f.folder.dir(), "default"),
                                       QuarantineLimits{});
        EXPECT_EQ(f.s.profile.quarantine->open(), "");
    }
    f.s.dispatcher.pendingCommand = cmdGetAndCheck;
    f.s.dispatcher.Timer2Timer();
    EXPECT_EQ(f.s.messages.ListBox1().size(), std::size_t(count));

    // Another program removes message 30 (rows 31..40 now name the wrong messages), and new
    // mail arrives, one of it from a whitelisted sender.
    dovecot.removeMessage(30);
    for (int k : {1, 41, 42})
        dovecot.addMessage(DovecotServer::makeMessage(NumberedMailbox::sender(k), "new"));

    DeletionRun run;
    EXPECT_TRUE(f.s.connectSession()) << f.s.session.sessionError;
    EXPECT_EQ(f.pop.Pipelining(), pipelined);
    const NewMailCount found = countNewMail(f.pop, f.pop.MessageCount(), f.s.messages.newestCode, f.s.profile.whitelist);
    run.newMail = found.count;
    run.unknownSenders = found.unknown;
    const std::size_t before = f.view.statusHistory.size();
    f.s.deleteKnownBad();
    f.s.closeSession();
    // Dovecot's unique ids end in the mailbox's validity stamp, which differs between the two
    // servers: the ids are compared by their first half, the message's own number.
    for (auto text = f.view.statusHistory.begin() + long(before); text != f.view.statusHistory.end(); ++text) {
        const std::string id = pop3Field(*text, 3);
        run.statuses.push_back(pop3ReplyIsOk(*text) && id.size() >= 16
                                   ? text->substr(0, text->find(id) + 8)
                                   : *text);
    }
    run.left = dovecot.senders();
    run.numbers = f.s.messages.ListBox1();
    run.senders = f.s.messages.ListBox2();
    for (const auto &row : f.s.profile.rejectedLog.rows())
        run.log.push_back(std::string(row.sender) + "|" + std::string(row.subject));
    if (keepCopies) {
        for (const QuarantineEntry &e : f.s.profile.quarantine->entries())
            run.kept.push_back(e.subject);
    }
    run.deleted = f.s.lastDeletion.deleted;
    run.leftAlone = f.s.lastDeletion.leftAlone;
    run.counted = f.s.profile.settings.DeletedCount;
    return run;
}

TEST_F(DovecotScreeningTest, PipelinedAndOneByOneDeletionsAndNewMailCountsAreTheSame)
{
    for (const bool keepCopies : {false, true}) {
        SCOPED_TRACE(keepCopies ? "Deleted mail on" : "Deleted mail off");
        const DeletionRun oneByOne = deleteKnownBadAfterAChange(false, keepCopies);
        const DeletionRun pipelined = deleteKnownBadAfterAChange(true, keepCopies);
        // Messages 4, 8, ..., 28 go; the rows of 32..40 name other messages now and stay.
        EXPECT_EQ(pipelined.deleted, 7);
        EXPECT_EQ(pipelined.leftAlone, 3);
        EXPECT_EQ(pipelined.counted, 7);
        EXPECT_EQ(pipelined.left.size(), std::size_t(42 - 7));
        // The copies kept are those of the messages deleted (none of a row left alone).
        Strings kept;
        for (int k = 28; keepCopies && k >= 4; k -= 4)
            kept.push_back("Viagra offer " + std::to_string(k));
        EXPECT_EQ(pipelined.kept, kept);
        EXPECT_EQ(pipelined.newMail, 3);
        EXPECT_EQ(pipelined.unknownSenders, 2);
        EXPECT_EQ(pipelined.left, oneByOne.left);
        EXPECT_EQ(pipelined.numbers, oneByOne.numbers);
        EXPECT_EQ(pipelined.senders, oneByOne.senders);
        EXPECT_EQ(pipelined.log, oneByOne.log);
        EXPECT_EQ(pipelined.statuses, oneByOne.statuses);
        EXPECT_TRUE(pipelined == oneByOne);
    }
}

}  // namespace
}  // namespace kestrix::test
