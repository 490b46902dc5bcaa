// The NAME.conf of a profile this version makes: decodeAll on, the security mode when given, a
// left-over file's other keys taken over, an unreadable one left alone.
#include "profiles/new_profile_conf.h"
#include "profiles/profile_conf.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kestrix;
using kestrix::test::TempFolder;

TEST(NewProfileConf, TurnsDecodeAllOnAndTakesAnOldFileOver)
{
    TempFolder tmp;
    ASSERT_TRUE(writeNewProfileConf(tmp.dir(), "fresh"));
    const ProfileConf fresh = ProfileConf::load(ProfileConf::pathFor(tmp.dir(), "fresh"));
    EXPECT_TRUE(fresh.decodeAll());
    EXPECT_EQ(fresh.securityMode(), SecurityMode::Auto);

    ASSERT_TRUE(writeNewProfileConf(tmp.dir(), "secure", SecurityMode::StartTls));
    EXPECT_EQ(ProfileConf::load(ProfileConf::pathFor(tmp.dir(), "secure")).securityMode(),
              SecurityMode::StartTls);

    const QString old = ProfileConf::pathFor(tmp.dir(), "old");
    ProfileConf kept;
    kept.setSecurityMode(SecurityMode::Tls);
    ASSERT_TRUE(kept.setPinnedSha256(std::string(64, 'a')));
    ASSERT_TRUE(kept.save(old));
    ASSERT_TRUE(writeNewProfileConf(tmp.dir(), "old"));
    const ProfileConf reread = ProfileConf::load(old);
    EXPECT_TRUE(reread.decodeAll());
    EXPECT_EQ(reread.securityMode(), SecurityMode::Tls);
    EXPECT_EQ(reread.pinnedSha256(), std::string(64, 'a'));
    // A profile that never got a NAME.conf keeps the switch off.
    EXPECT_FALSE(ProfileConf::load(ProfileConf::pathFor(tmp.dir(), "older")).decodeAll());
}

TEST(NewProfileConf, LeavesAFileItCannotReadAlone)
{
    TempFolder tmp;
    const QString path = ProfileConf::pathFor(tmp.dir(), "locked");
    // A folder where the file should be cannot be read as a file.
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("locked.conf")));
    const FileResult saved = writeNewProfileConf(tmp.dir(), "locked");
    EXPECT_FALSE(saved);
    EXPECT_FALSE(saved.error.empty());
    EXPECT_TRUE(QFileInfo(path).isDir());
}
