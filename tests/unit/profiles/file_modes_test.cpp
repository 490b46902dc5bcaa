// The data folder holds personal data: a file the program creates there is the user's alone
// (0600) whatever the umask; a file that exists keeps its mode. (Folders: data_folder_test.)
#include "profiles/profile_store.h"
#include "profiles/text_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kestrix;
using kestrix::test::TempFolder;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

// The umask a desktop session usually has, for the length of one test.
class UsualUmask : public ::testing::Test {
protected:
    void SetUp() override { m_saved = ::umask(022); }
    void TearDown() override { ::umask(m_saved); }

private:
    mode_t m_saved = 0;
};

using FileModes = UsualUmask;

}  // namespace

TEST_F(FileModes, NewFilesArePrivateAndExistingFilesKeepTheirMode)
{
    TempFolder tmp;
    struct Case {
        const char *name;
        mode_t before;  // 0: the file does not exist yet
        mode_t after;
    };
    const Case cases[] = {{"new.txt", 0, 0600}, {"shared.txt", 0644, 0644},
                          {"group.txt", 0640, 0640}, {"private.txt", 0600, 0600}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before != 0) {
            tmp.write(c.name, "old\r\n");
            ASSERT_EQ(::chmod(QFile::encodeName(tmp.path(c.name)).constData(), c.before), 0);
        }
        ASSERT_TRUE(writeLines(tmp.path(c.name), {"new"}));
        EXPECT_EQ(modeOf(tmp.path(c.name)), c.after);
        EXPECT_EQ(tmp.read(c.name), "new\r\n");
    }
}

TEST_F(FileModes, AProfileSavedAfreshIsPrivate)
{
    TempFolder tmp;
    Profile profile;
    profile.name = "home";
    profile.settings.LogRejected = true;
    profile.whitelist.add("friend@example.org");
    profile.blacklist.add("lottery");
    profile.log.appendRejected("spam@example.org", "win");
    ASSERT_TRUE(SaveProfile(profile, tmp.dir()));
    const QStringList files = tmp.entries();
    ASSERT_GE(files.size(), 4);  // settings, whitelist, log, blacklist and the last-profile file
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(modeOf(tmp.dir() + QLatin1Char('/') + name), mode_t(0600));
    }
}
