// The header download against a real Dovecot, which lists PIPELINING: the pipelined download
// and the one-command-at-a-time download of the same mailbox (pipelining switched off) leave the
// same table, hidden lists, marks, status texts and profile files.
#include "dovecot_screening.h"
#include "profiles/profile_store.h"
#include "transport/pop3_batch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <map>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

struct Snapshot {
    Strings numbers, senders, subjects, codes, cells, statuses;
    std::string resumeCode, resumeFallbackCode, startCode, newestCode;
    std::map<QString, QByteArray> files;
    bool operator==(const Snapshot &) const = default;
};

TEST_F(DovecotScreeningTest, PipelinedAndOneByOneDownloadsOfAMailboxAreTheSame)
{
    // More messages than one window holds; a trusted run at the start, a blacklisted subject.
    const int count = 400;
    std::vector<std::string> messages;
    for (int k = 1; k <= count; ++k)
        messages.push_back(DovecotServer::makeMessage(sender(k), k == 7 ? "Viagra offer" : subject(k)));
    startServer(messages);
    for (int k : {1, 2, 3})
        s.profile.whitelist.add(sender(k));
    s.profile.settings.NotifyLimit = 1000;  // no download-control question
    const ProfileSettings before = s.profile.settings;

    Snapshot snapshots[2];
    for (const bool pipelined : {false, true}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "one by one");
        s.profile.settings = before;
        s.profile.conf.setSecurityMode(SecurityMode::None);
        pop.UsePipelining = pipelined;
        view.statusHistory.clear();
        getAndCheck();
        EXPECT_EQ(pop.Pipelining(), pipelined);

        Snapshot &shot = snapshots[pipelined];
        shot.numbers = s.messages.ListBox1();
        shot.senders = s.messages.ListBox2();
        shot.subjects = s.messages.ListBox3();
        shot.codes = s.messages.ListBox5();
        for (int row = 0; row < s.messages.messageTable.rowCount(); ++row) {
            for (int column = 0; column <= MessageTable::ColSizeContent; ++column)
                shot.cells.push_back(s.messages.messageTable.text(column, row));
        }
        // From the first reply after the login on.
        const auto stat = std::find_if(view.statusHistory.begin(), view.statusHistory.end(),
                                       [&](const std::string &t) {
                                           return t.rfind("+OK " + std::to_string(count) + " ", 0) == 0;
                                       });
        ASSERT_NE(stat, view.statusHistory.end());
        shot.statuses.assign(stat, view.statusHistory.end());
        shot.resumeCode = s.profile.settings.resumeCode;
        shot.resumeFallbackCode = s.profile.settings.resumeFallbackCode;
        shot.startCode = s.messages.startCode;
        shot.newestCode = s.messages.newestCode;

        QTemporaryDir folder;
        Profile profile;
        profile.name = "default";
        profile.settings = s.profile.settings;
        profile.whitelist = s.profile.whitelist;
        profile.blacklist = s.profile.blacklist;
        profile.log = s.profile.rejectedLog;
        ASSERT_TRUE(SaveProfile(profile, folder.path()));
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files)) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            shot.files[name] = file.readAll();
        }
    }
    EXPECT_EQ(snapshots[1].numbers.size(), std::size_t(count));
    EXPECT_EQ(snapshots[1].numbers, snapshots[0].numbers);
    EXPECT_EQ(snapshots[1].senders, snapshots[0].senders);
    EXPECT_EQ(snapshots[1].subjects, snapshots[0].subjects);
    EXPECT_EQ(snapshots[1].codes, snapshots[0].codes);
    EXPECT_EQ(snapshots[1].cells, snapshots[0].cells);
    EXPECT_EQ(snapshots[1].statuses, snapshots[0].statuses);
    EXPECT_NE(snapshots[1].resumeCode, "-1");
    EXPECT_TRUE(snapshots[1] == snapshots[0]);
}

}  // namespace
}  // namespace kestrix::test
