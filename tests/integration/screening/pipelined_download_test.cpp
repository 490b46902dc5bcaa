// The header download against a real Dovecot, which lists PIPELINING: the pipelined download
// (with PIPELINING learnt at this login, or remembered from the last one so the login goes with
// the CAPA) and the one-command-at-a-time download of the same mailbox (pipelining switched off)
// leave the same table, hidden lists, marks, status texts and profile files, for an empty
// mailbox, one message and more than one window.
#include "dovecot_screening.h"
#include "profiles/profile_conf.h"
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

enum class Mode { OneByOne, Learnt, Remembered };

class DovecotDownloadModesTest : public DovecotScreeningTest,
                              public ::testing::WithParamInterface<int> {};

TEST_P(DovecotDownloadModesTest, PipelinedAndOneByOneDownloadsOfAMailboxAreTheSame)
{
    // A trusted run at the start, a blacklisted subject.
    const int count = GetParam();
    std::vector<std::string> messages;
    for (int k = 1; k <= count; ++k)
        messages.push_back(DovecotServer::makeMessage(sender(k), k == 7 ? "Viagra offer" : subject(k)));
    startServer(messages);
    for (int k : {1, 2, 3})
        s.profile.whitelist.add(sender(k));
    s.profile.settings.NotifyLimit = 1000;  // no download-control question
    const ProfileSettings before = s.profile.settings;

    Snapshot snapshots[3];
    for (const Mode mode : {Mode::OneByOne, Mode::Learnt, Mode::Remembered}) {
        SCOPED_TRACE(int(mode));
        const bool pipelined = mode != Mode::OneByOne;
        s.profile.settings = before;
        s.profile.conf.setSecurityMode(SecurityMode::None);
        s.profile.conf.rememberPipelining(mode == Mode::Remembered);
        pop.UsePipelining = pipelined;
        view.statusHistory.clear();
        getAndCheck();
        EXPECT_EQ(pop.Pipelining(), pipelined);
        // The profile's file keeps what the CAPA said for the next login.
        EXPECT_TRUE(ProfileConf::load(s.profile.confFile).pipelining());

        Snapshot &shot = snapshots[int(mode)];
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
    EXPECT_EQ(snapshots[0].numbers.size(), std::size_t(count));
    EXPECT_EQ(snapshots[0].resumeCode == "-1", count == 0);
    for (const int k : {1, 2}) {
        SCOPED_TRACE(k);
        EXPECT_EQ(snapshots[k].numbers, snapshots[0].numbers);
        EXPECT_EQ(snapshots[k].cells, snapshots[0].cells);
        EXPECT_EQ(snapshots[k].statuses, snapshots[0].statuses);
        EXPECT_TRUE(snapshots[k] == snapshots[0]);
    }
}

// Empty, one message, more messages than one window holds.
INSTANTIATE_TEST_SUITE_P(Sizes, DovecotDownloadModesTest, ::testing::Values(0, 1, 400));

}  // namespace
}  // namespace kestrix::test
