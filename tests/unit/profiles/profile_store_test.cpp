// LoadProfile, SaveProfile, the profile list and the start-up choice, on real files.
#include "profiles/data_folder.h"
#include "profiles/profile_store.h"
#include "support/temp_folder.h"

#include <QCoreApplication>
#include <QDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

Profile filledProfile()
{
    Profile p;
    p.settings.Host = "pop.example.org";
    p.settings.UserId = "joe";
    p.settings.DeletedCount = 3;
    p.settings.resumeCode = "5051";
    p.settings.SplitRatio = 0.55;
    p.whitelist.assign({"Anna <anna@x>", "bob@x"});
    p.log.clear();
    p.log.appendRejected("spam@x", "Cheap Offer");
    p.blacklist.add("lottery");
    return p;
}

const std::string kFilledIni = "3\r\npop.example.org\r\n110\r\njoe\r\n20\r\n\r\n5051\r\n126\r\n1\r\n0\r\n"
                               "-1\r\n-1\r\n-1\r\n\r\n33\r\n33\r\n1\r\n-1\r\n2\r\n1\r\n1\r\n0\r\n\r\n"
                               "0\r\n0\r\n200\r\n200\r\n0.55\r\n20\r\n";

}  // namespace

TEST(ProfileStore, SaveWritesEveryFileAndLoadReadsItBack)
{
    TempFolder tmp;
    const Profile saved = filledProfile();
    ASSERT_TRUE(SaveProfile(saved, tmp.dir()));
    EXPECT_EQ(tmp.read("default.ini"), kFilledIni);
    EXPECT_EQ(tmp.read("default.acc"), "Anna <anna@x>\r\nbob@x\r\n");
    EXPECT_EQ(tmp.read("default.log"), "spam@x\tcheap offer\r\n");
    EXPECT_EQ(tmp.read("Kestrix.lpr"), "default");
    EXPECT_EQ(tmp.read("kestrix.blk").find("lottery\r\nlove\r\n") != std::string::npos, true);

    Profile loaded;
    LoadProfileResult r = LoadProfile(loaded, tmp.dir());
    ASSERT_TRUE(r) << r.error;
    EXPECT_TRUE(r.settingsFound);
    EXPECT_EQ(loaded.settings.Host, "pop.example.org");
    EXPECT_THAT(loaded.whitelist.entries(), ElementsAre("Anna <anna@x>", "bob@x"));
    EXPECT_TRUE(loaded.log.isKnownBadSubject("cheap offer"));
    EXPECT_EQ(loaded.blacklist.size(), 69u);

    // Saved again, every file has the same bytes.
    TempFolder again;
    ASSERT_TRUE(SaveProfile(loaded, again.dir()));
    for (const char *name : {"default.ini", "default.acc", "default.log", "kestrix.blk", "Kestrix.lpr"})
        EXPECT_EQ(again.read(name), tmp.read(name)) << name;
}

TEST(ProfileStore, LoadResetsWhatThePreviousProfileLeft)
{
    TempFolder tmp;
    tmp.write("other.ini", "");  // a settings file without lines
    Profile p = filledProfile();
    p.name = "other";
    p.settings.MailToolPath = "/bin/mail";
    p.settings.LastUpdateCheck = "01.01.2026";
    std::vector<int> seen;
    LoadProfileResult r = LoadProfile(p, tmp.dir(), [&](int line, ProfileSettings &) { seen.push_back(line); });
    ASSERT_TRUE(r);
    EXPECT_THAT(r.changedLines, ElementsAre(SettingsLine::Host, SettingsLine::UserId));
    EXPECT_EQ(seen, r.changedLines);
    EXPECT_EQ(p.settings.Host, "");
    EXPECT_EQ(p.settings.DeletedCount, 0);
    EXPECT_EQ(p.settings.resumeCode, "-1");
    EXPECT_EQ(p.settings.MailToolPath, "");
    EXPECT_EQ(p.settings.LastUpdateCheck, "");
    EXPECT_TRUE(p.whitelist.empty());
    EXPECT_EQ(p.log.rowCount(), 1);  // LogRejected on: the missing log file leaves the title row
    EXPECT_EQ(p.blacklist.size(), 69u);  // no blacklist file: the words stay
    EXPECT_DOUBLE_EQ(p.settings.SplitRatio, 0.55);
}

TEST(ProfileStore, WithoutASettingsFileTheWhitelistAndLogStayEmpty)
{
    TempFolder tmp;
    tmp.write("default.acc", "anna@x\r\n");
    tmp.write("default.log", "spam@x\toffer\r\n");
    Profile p;
    LoadProfileResult r = LoadProfile(p, tmp.dir());
    ASSERT_TRUE(r);
    EXPECT_FALSE(r.settingsFound);
    EXPECT_TRUE(p.whitelist.empty());
    EXPECT_EQ(p.log.rowCount(), 2);  // title row and one empty entry row
    EXPECT_FALSE(p.log.isKnownBadSender("spam@x"));
}

TEST(ProfileStore, HandWrittenSettingsWithOddLines)
{
    TempFolder tmp;
    // 19 lines, LF and CR line ends, "abc" for NotifyLimit.
    tmp.write("default.ini", "7\nmail.x\r110\r\nann\r\nabc\r\n\r\n-1\r\n126\r\n1\r\n0\r\n-1\r\n-1\r\n"
                             "-1\r\n\r\n33\r\n33\r\n1\r\n-1\r\n5");
    tmp.write("default.log", "a\tb\r\n");
    tmp.write("default.acc", "anna@x");
    Profile p;
    p.settings.LogRejected = false;
    ASSERT_TRUE(LoadProfile(p, tmp.dir()));
    EXPECT_EQ(p.settings.DeletedCount, 7);
    EXPECT_EQ(p.settings.Host, "mail.x");
    EXPECT_EQ(p.settings.NotifyLimit, 1);
    EXPECT_EQ(p.settings.CheckInterval, 5);
    EXPECT_FALSE(p.settings.LogRejected);  // line 19 missing: left as it was, so no log read
    EXPECT_EQ(p.log.rowCount(), 2);
    EXPECT_THAT(p.whitelist.entries(), ElementsAre("anna@x"));

    Profile onAtStart;  // LogRejected on, as at start-up: the log is read
    ASSERT_TRUE(LoadProfile(onAtStart, tmp.dir()));
    EXPECT_TRUE(onAtStart.log.isKnownBadSender("a"));

    // An empty line 25 and SplitRatio "0,75".
    std::vector<std::string> lines = settingsLines(ProfileSettings{});
    lines[25] = "";
    lines[27] = "0,75";
    tmp.write("default.ini", joinLinesCrLf(lines));
    p.settings.WindowWidth = 640;
    ASSERT_TRUE(LoadProfile(p, tmp.dir()));
    EXPECT_EQ(p.settings.WindowWidth, 200);
    EXPECT_DOUBLE_EQ(p.settings.SplitRatio, 0.75);
}

TEST(ProfileStore, SavingAnEmptyWhitelistRemovesItsFile)
{
    TempFolder tmp;
    tmp.write("default.acc", "anna@x\r\n");
    Profile p;
    ASSERT_TRUE(SaveProfile(p, tmp.dir()));
    EXPECT_FALSE(tmp.exists("default.acc"));
    EXPECT_TRUE(tmp.exists("default.ini"));
}

TEST(ProfileStore, LogRejectedOffNeitherReadsNorWritesTheLog)
{
    TempFolder tmp;
    tmp.write("default.log", "old\tentry\r\n");
    Profile p = filledProfile();
    p.settings.LogRejected = false;
    ASSERT_TRUE(SaveProfile(p, tmp.dir()));
    EXPECT_EQ(tmp.read("default.log"), "old\tentry\r\n");
}

TEST(ProfileStore, AFailedSaveStopsAtThatFileAndReportsIt)
{
    TempFolder tmp;
    tmp.write("default.ini", "old settings\r\n");
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("default.acc")));  // the whitelist can't be written
    FileResult r = SaveProfile(filledProfile(), tmp.dir());
    EXPECT_FALSE(r);
    EXPECT_THAT(r.error, HasSubstr("default.acc"));
    EXPECT_TRUE(tmp.exists("kestrix.blk"));   // before it in the order
    EXPECT_FALSE(tmp.exists("default.log"));  // after it: not written
    EXPECT_EQ(tmp.read("default.ini"), "old settings\r\n");
    EXPECT_FALSE(tmp.exists("Kestrix.lpr"));

    // The blacklist is first: nothing else is written.
    TempFolder other;
    ASSERT_TRUE(QDir(other.dir()).mkdir(QStringLiteral("kestrix.blk")));
    EXPECT_FALSE(SaveProfile(filledProfile(), other.dir()));
    EXPECT_EQ(other.entries(), QStringList{QStringLiteral("kestrix.blk")});

    // A data folder that is a regular file.
    EXPECT_FALSE(SaveProfile(filledProfile(), tmp.path("default.ini")));
}

TEST(ProfileStore, AnUnreadableLogEndsTheLoadBeforeTheWhitelist)
{
    TempFolder tmp;
    tmp.write("default.ini", joinLinesCrLf(settingsLines(ProfileSettings{})));
    tmp.write("default.acc", "anna@x\r\n");
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("default.log")));
    Profile p;
    LoadProfileResult r = LoadProfile(p, tmp.dir());
    EXPECT_FALSE(r);
    EXPECT_THAT(r.error, HasSubstr("default.log"));
    EXPECT_TRUE(p.whitelist.empty());
}

TEST(ProfileStore, NamesThatWouldLeaveTheDataFolderAreRefused)
{
    TempFolder tmp;
    Profile p;
    for (const char *bad : {"../evil", "a/b", "", ".."}) {
        p.name = bad;
        EXPECT_FALSE(SaveProfile(p, tmp.dir())) << bad;
        EXPECT_FALSE(LoadProfile(p, tmp.dir())) << bad;
    }
    EXPECT_TRUE(tmp.entries().isEmpty());
}

TEST(ProfileList, FilesRoundTripAndTheLastProfileHasNoLineEnd)
{
    TempFolder tmp;
    EXPECT_THAT(readProfileList(tmp.dir()), ElementsAre("default"));
    ASSERT_TRUE(writeProfileList(tmp.dir(), {"default", "work", "mybox"}));
    EXPECT_EQ(tmp.read("Kestrix.pro"), "default\r\nwork\r\nmybox\r\n");
    EXPECT_THAT(readProfileList(tmp.dir()), ElementsAre("default", "work", "mybox"));
    tmp.write("Kestrix.pro", "");
    EXPECT_THAT(readProfileList(tmp.dir()), ElementsAre("default"));

    EXPECT_FALSE(readLastProfile(tmp.dir()));
    writeLastProfile(tmp.dir(), "work");
    EXPECT_EQ(tmp.read("Kestrix.lpr"), "work");
    EXPECT_EQ(readLastProfile(tmp.dir()), "work");
    tmp.write("Kestrix.lpr", "mybox\r\nignored\r\n");
    EXPECT_EQ(readLastProfile(tmp.dir()), "mybox");
}

TEST(ProfileList, StartUpChoiceMatchesIgnoringCaseAndUsesTheListedSpelling)
{
    TempFolder tmp;
    const std::vector<std::string> list = {"default", "work", "Home", "../x"};
    auto choose = [&](std::optional<std::string> arg) {
        StartProfile c = chooseStartProfile(list, arg, tmp.dir());
        return std::make_pair(c.index, c.name);
    };
    using Choice = std::pair<int, std::string>;
    EXPECT_EQ(choose(std::nullopt), (Choice{0, "default"}));  // no last-profile file
    EXPECT_EQ(choose("Work"), (Choice{1, "work"}));
    EXPECT_EQ(choose("home"), (Choice{2, "Home"}));
    EXPECT_EQ(choose("../X"), (Choice{0, "default"}));  // not a usable file name

    tmp.write("Kestrix.lpr", "WORK");
    EXPECT_EQ(choose(std::nullopt), (Choice{1, "work"}));
    EXPECT_EQ(choose("nobody"), (Choice{0, "default"}));  // the argument wins, unlisted or not
    tmp.write("Kestrix.lpr", "gone");
    EXPECT_EQ(choose(std::nullopt), (Choice{0, "default"}));

    EXPECT_EQ(chooseStartProfile({}, std::nullopt, tmp.dir()).index, -1);
    EXPECT_EQ(normalizeProfileName("My Box "), "mybox");
    EXPECT_EQ(normalizeProfileName("   "), "");
}

TEST(ProfileList, LegacyFilesBecomeTheDefaultProfile)
{
    TempFolder tmp;
    std::vector<std::string> lines = settingsLines(ProfileSettings{});
    lines[1] = "legacy.host";
    tmp.write("spamsetup.lis", joinLinesCrLf(lines));
    tmp.write("accepted.lis", "old@friend\r\n");
    tmp.write("kestrix.log", "old@spam\told offer\r\n");
    migrateLegacyFiles(tmp.dir());
    EXPECT_FALSE(tmp.exists("spamsetup.lis"));
    Profile p;
    ASSERT_TRUE(LoadProfile(p, tmp.dir()));
    EXPECT_EQ(p.settings.Host, "legacy.host");
    EXPECT_TRUE(p.whitelist.contains("old@friend"));
    EXPECT_TRUE(p.log.isKnownBadSender("old@spam"));

    // Not when the new file exists already.
    tmp.write("spamsetup.lis", "old");
    migrateLegacyFiles(tmp.dir());
    EXPECT_EQ(tmp.read("spamsetup.lis"), "old");
    EXPECT_EQ(tmp.read("default.ini"), joinLinesCrLf(lines));
}
