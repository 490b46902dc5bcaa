// The quarantine's Maildir on real files: copies, the index across a restart, what a crash
// leaves, hostile ids, a full disk and the purge rules.
#include "profiles/profile_conf.h"
#include "profiles/quarantine_store.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestrix {
namespace {

using test::TempFolder;

QString operator""_q(const char *text, std::size_t size)
{
    return QString::fromLatin1(text, qsizetype(size));
}

constexpr std::int64_t day = 24 * 60 * 60;
constexpr std::int64_t now = 1'800'000'000;

std::string mail(const std::string &subject, std::size_t bodyBytes = 10)
{
    return "From: a@example.org\nSubject: " + subject + "\n\n" + std::string(bodyBytes, 'x') + "\n";
}

int mode(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 0777);
}

TEST(QuarantineStore, KeepsEachCopyOnceInsideItsFolderAcrossARestart)
{
    TempFolder temp;
    const QString folder = QuarantineStore::folderFor(temp.dir(), "joe");
    const std::string longId(300, 'z');
    {
        QuarantineStore store(folder, {});
        ASSERT_EQ(store.open(), "");
        EXPECT_EQ(store.store("uid-1", "a@example.org", "Invoice", DeletionReason::BlacklistedWord,
                              mail("Invoice"), now), "");
        // The same message again (a crash between the copy and DELE): kept once.
        EXPECT_EQ(store.store("uid-1", "a@example.org", "Invoice", DeletionReason::ChosenByHand,
                              mail("other"), now + 5), "");
        EXPECT_EQ(store.store("../../x\t/\r\n", "b", "Hostile", DeletionReason::KnownBadSender,
                              mail("Hostile"), now + 1), "");
        EXPECT_EQ(store.store(longId, "c", "Long id", DeletionReason::ChosenByHand,
                              mail("Long id"), now + 2), "");
        EXPECT_NE(store.store("", "d", "No id", DeletionReason::ChosenByHand, mail("x"), now), "");
        ASSERT_EQ(store.saveIndex(), "");
    }
    // A crash after a copy reached new but before the index was written, one inside tmp.
    ASSERT_EQ(writeNewFileSynced(folder + "/new/"_q + QString::number(now + 3) + ".K6c617465.kestrix"_q,
                                 mail("Late")), "");
    ASSERT_EQ(writeNewFileSynced(folder + "/tmp/half"_q, "From: half"), "");

    QuarantineStore store(folder, {});
    ASSERT_EQ(store.open(), "");
    ASSERT_EQ(store.entries().size(), 4u);
    EXPECT_EQ(store.entries()[0].uniqueId, "uid-1");
    EXPECT_EQ(store.entries()[0].subject, "Invoice");
    EXPECT_EQ(store.entries()[0].reason, DeletionReason::BlacklistedWord);
    EXPECT_EQ(store.read(store.entries()[0]), mail("Invoice"));
    EXPECT_EQ(store.entries()[1].uniqueId, "../../x /  ");
    EXPECT_NE(store.findUniqueId(longId), nullptr);
    EXPECT_EQ(store.entries()[3].uniqueId, "late");
    EXPECT_EQ(store.entries()[3].subject, "Late");
    EXPECT_TRUE(QDir(folder + "/tmp"_q).isEmpty());
    // Nothing outside new/ but the index; every name is the store's own.
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"cur"_q, "index"_q, "new"_q, "tmp"_q}));
    for (const QFileInfo &f : QDir(folder + "/new"_q).entryInfoList(QDir::Files)) {
        EXPECT_TRUE(f.fileName().endsWith(".kestrix"_q));
        EXPECT_LE(f.fileName().size(), 120);
        EXPECT_EQ(mode(f.filePath()), 0600);
    }
    EXPECT_EQ(mode(folder), 0700);
    EXPECT_EQ(mode(folder + "/new"_q), 0700);
    EXPECT_EQ(mode(folder + "/index"_q), 0600);
}

TEST(QuarantineStore, KeepsOnlyTheHeaderOfATooLargeMessage)
{
    TempFolder temp;
    QuarantineStore store(temp.dir() + "/q"_q, {true, 30, 100, 200});
    ASSERT_EQ(store.open(), "");
    ASSERT_EQ(store.store("big", "a", "Big", DeletionReason::ChosenByHand, mail("Big", 500), now), "");
    EXPECT_TRUE(store.entries()[0].headerOnly);
    EXPECT_EQ(store.entries()[0].size, std::int64_t(mail("Big", 500).size()));
    EXPECT_EQ(store.read(store.entries()[0]), "From: a@example.org\nSubject: Big\n\n");
}

TEST(QuarantineStore, AFullDiskStoresNothingAndSaysSo)
{
    TempFolder temp;
    QuarantineStore store(temp.dir() + "/q"_q, {});
    ASSERT_EQ(store.open(), "");
    test::FileSizeLimit limit(64);
    ASSERT_TRUE(limit.active());
    EXPECT_NE(store.store("u", "a", "s", DeletionReason::ChosenByHand, mail("s", 4096), now), "");
    EXPECT_TRUE(store.entries().empty());
    EXPECT_TRUE(QDir(temp.dir() + "/q/tmp"_q).isEmpty());
    EXPECT_TRUE(QDir(temp.dir() + "/q/new"_q).isEmpty());
}

TEST(QuarantineStore, PurgeDropsTheOldThenTheOldestBeyondTheTotal)
{
    struct Case {
        const char *name;
        QuarantineLimits limits;
        std::optional<int> olderThanDays;
        std::vector<std::int64_t> ageDays;  // one copy of 600 KB each
        std::vector<std::string> kept;      // unique ids "m0", "m1", ... left
    };
    const std::vector<Case> cases = {
        {"nothing old", {true, 30, 1 << 30, 200}, {}, {3, 2, 1}, {"m0", "m1", "m2"}},
        {"past keepDays", {true, 30, 1 << 30, 200}, {}, {40, 31, 29}, {"m2"}},
        {"older-than", {true, 30, 1 << 30, 200}, 2, {5, 3, 1}, {"m2"}},
        {"over the total", {true, 30, 1 << 30, 1}, {}, {3, 2, 1}, {"m2"}},
        {"both", {true, 10, 1 << 30, 1}, {}, {20, 3, 2, 1}, {"m3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        QuarantineStore store(temp.dir() + "/q"_q, c.limits);
        ASSERT_EQ(store.open(), "");
        for (std::size_t i = 0; i < c.ageDays.size(); ++i)
            ASSERT_EQ(store.store("m" + std::to_string(i), "a", "s", DeletionReason::ChosenByHand,
                                  mail("s", 600 * 1024), now - c.ageDays[i] * day), "");
        store.purge(now, c.olderThanDays);
        QuarantineStore reopened(temp.dir() + "/q"_q, c.limits);
        ASSERT_EQ(reopened.open(), "");
        std::vector<std::string> kept;
        for (const QuarantineEntry &e : reopened.entries())
            kept.push_back(e.uniqueId);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(QDir(temp.dir() + "/q/new"_q).count(), c.kept.size() + 2);
    }
}

TEST(QuarantineStore, SettingsComeFromTheProfileConf)
{
    TempFolder temp;
    EXPECT_TRUE(ProfileConf::load(temp.path("none.conf")).quarantine().enabled);
    temp.write("p.conf", "[quarantine]\nenabled=false\nkeepDays=7\nmaxMessageBytes=1000\n"
                         "maxTotalMB=zero\n");
    const ProfileConf conf = ProfileConf::load(temp.path("p.conf"));
    EXPECT_FALSE(conf.quarantine().enabled);
    EXPECT_EQ(conf.quarantine().keepDays, 7);
    EXPECT_EQ(conf.quarantine().maxMessageBytes, 1000);
    EXPECT_EQ(conf.quarantine().maxTotalMB, 200);
    EXPECT_NE(conf.problem(ProfileConf::kMaxTotalMB), "");
}

}  // namespace
}  // namespace kestrix
