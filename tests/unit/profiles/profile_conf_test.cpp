// NAME.conf through ProfileConf, on real files: defaults, round trip, bad values, private files.
#include "profiles/profile_conf.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;
using kestrix::test::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const std::string kPin = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

}  // namespace

TEST(ProfileConf, AbsentFileMeansEveryDefaultAndSaveRoundTripsPrivately)
{
    TempFolder tmp;
    const QString path = ProfileConf::pathFor(tmp.dir(), "work");
    EXPECT_TRUE(path.endsWith(QStringLiteral("/work.conf")));

    ProfileConf conf = ProfileConf::load(path);
    EXPECT_EQ(conf.securityMode(), SecurityMode::Auto);
    EXPECT_EQ(conf.pinnedSha256(), "");
    EXPECT_FALSE(conf.keyring());
    EXPECT_FALSE(conf.decodeAll());
    EXPECT_EQ(conf.error(), "");
    EXPECT_FALSE(tmp.exists("work.conf"));  // reading never creates the file

    conf.setSecurityMode(SecurityMode::StartTls);
    // Pasted as a browser shows it: upper case with colons.
    std::string pasted;
    for (size_t i = 0; i < kPin.size(); i += 2)
        pasted += (i ? ":" : "") + kPin.substr(i, 2);
    for (char &c : pasted)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(conf.setPinnedSha256(pasted));
    EXPECT_FALSE(conf.setPinnedSha256("abc"));  // refused, the pin stays
    conf.setKeyring(true);
    conf.setDecodeAll(true);
    ASSERT_TRUE(conf.save(path));

    EXPECT_THAT(tmp.entries(), ElementsAre(QStringLiteral("work.conf")));  // no temporary or lock file left
    EXPECT_EQ(std::filesystem::status(path.toStdString()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string text = tmp.read("work.conf");
    EXPECT_THAT(text, HasSubstr("[security]"));
    EXPECT_THAT(text, HasSubstr("mode=starttls"));
    EXPECT_THAT(text, HasSubstr("pinnedSha256=" + kPin));
    EXPECT_THAT(text, HasSubstr("[password]"));
    EXPECT_THAT(text, HasSubstr("keyring=true"));
    EXPECT_THAT(text, HasSubstr("[headers]"));
    EXPECT_THAT(text, HasSubstr("decodeAll=true"));

    const ProfileConf back = ProfileConf::load(path);
    EXPECT_EQ(back.securityMode(), SecurityMode::StartTls);
    EXPECT_EQ(back.pinnedSha256(), kPin);
    EXPECT_TRUE(back.keyring());
    EXPECT_TRUE(back.decodeAll());

    // Removing the pin removes its key; the other keys stay.
    ProfileConf unpinned = back;
    ASSERT_TRUE(unpinned.setPinnedSha256(""));
    ASSERT_TRUE(unpinned.save(path));
    EXPECT_THAT(tmp.read("work.conf"), ::testing::Not(HasSubstr("pinnedSha256")));
    EXPECT_EQ(ProfileConf::load(path).securityMode(), SecurityMode::StartTls);
}

TEST(ProfileConf, HandWrittenValuesAreReadOrReportedNeverReplaced)
{
    struct Case {
        std::string file;
        SecurityMode mode;
        std::string pin;
        bool decodeAll;
        const char *securityProblem;  // part of securityError(), or "" when sound
        const char *anyProblem;       // part of error()
    };
    const Case cases[] = {
        {"[security]\nmode = TLS\n", SecurityMode::Tls, "", false, "", ""},
        {"[security]\nmode=none\npinnedSha256=\n[headers]\ndecodeAll=1\n", SecurityMode::None, "",
         true, "", ""},
        {"[security]\nmode=ssl\n", SecurityMode::Auto, "", false,
         "Invalid value \"ssl\" for [security] mode in", "[security] mode"},
        {"[security]\npinnedSha256=12:34\n", SecurityMode::Auto, "", false,
         "[security] pinnedSha256", "64 hex digits"},
        {"[security]\npinnedSha256=" + kPin + "0\n", SecurityMode::Auto, "", false,
         "pinnedSha256", "pinnedSha256"},
        {"[headers]\ndecodeAll=maybe\n", SecurityMode::Auto, "", false, "",
         "[headers] decodeAll"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder tmp;
        tmp.write("p.conf", c.file);
        const QString path = tmp.path("p.conf");
        const ProfileConf conf = ProfileConf::load(path);
        EXPECT_EQ(conf.securityMode(), c.mode);
        EXPECT_EQ(conf.pinnedSha256(), c.pin);
        EXPECT_EQ(conf.decodeAll(), c.decodeAll);
        if (*c.securityProblem) {
            EXPECT_THAT(conf.securityError(), HasSubstr(c.securityProblem));
            EXPECT_THAT(conf.securityError(), HasSubstr(path.toStdString()));
        } else {
            EXPECT_EQ(conf.securityError(), "");
        }
        if (*c.anyProblem)
            EXPECT_THAT(conf.error(), HasSubstr(c.anyProblem));
        else
            EXPECT_EQ(conf.error(), "");

        // Saving for another reason keeps the bad text for the user to see and mend.
        ProfileConf other = conf;
        other.setKeyring(true);
        ASSERT_TRUE(other.save(path));
        EXPECT_EQ(ProfileConf::load(path).error(), conf.error());
    }
}

TEST(ProfileConf, SaveKeepsUnknownKeysAndSettingAValueMendsAProblem)
{
    TempFolder tmp;
    tmp.write("p.conf", "[security]\nmode=tsl\n[later]\nfeature=on\n");
    const QString path = tmp.path("p.conf");
    ProfileConf conf = ProfileConf::load(path);
    ASSERT_NE(conf.securityError(), "");
    conf.setSecurityMode(SecurityMode::Tls);
    EXPECT_EQ(conf.securityError(), "");
    ASSERT_TRUE(conf.save(path));
    EXPECT_THAT(tmp.read("p.conf"), HasSubstr("feature=on"));
    EXPECT_EQ(ProfileConf::load(path).securityMode(), SecurityMode::Tls);
}

TEST(ProfileConf, UnreadableFileIsAnErrorAndIsNeverOverwritten)
{
    TempFolder tmp;
    ASSERT_TRUE(QDir(tmp.dir()).mkdir(QStringLiteral("p.conf")));  // a folder where the file belongs
    const QString path = tmp.path("p.conf");
    const ProfileConf conf = ProfileConf::load(path);
    EXPECT_THAT(conf.securityError(), HasSubstr("Cannot read file"));
    EXPECT_THAT(conf.securityError(), HasSubstr("p.conf"));
    EXPECT_FALSE(conf.save(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_THAT(tmp.entries(), ElementsAre(QStringLiteral("p.conf")));
}

TEST(ProfileConf, LearningCutoffsAndSelectSpam)
{
    const struct {
        const char *file;
        double ham, spam;
        bool selectSpam;
        const char *problem;  // part of error(), or ""
    } cases[] = {
        {"", 0.20, 0.90, true, ""},
        {"[learning]\nhamCutoff=0.1\nspamCutoff = 0.95\nselectSpam=off\n", 0.1, 0.95, false, ""},
        {"[learning]\nhamCutoff=low\n", 0.20, 0.90, true, "[learning] hamCutoff"},
        {"[learning]\nspamCutoff=1.5\n", 0.20, 0.90, true, "a number from 0 to 1"},
        {"[learning]\nhamCutoff=0.8\nspamCutoff=0.5\n", 0.20, 0.90, true, "[learning] spamCutoff"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder tmp;
        tmp.write("p.conf", c.file);
        const ProfileConf conf = ProfileConf::load(tmp.path("p.conf"));
        EXPECT_DOUBLE_EQ(conf.hamCutoff(), c.ham);
        EXPECT_DOUBLE_EQ(conf.spamCutoff(), c.spam);
        EXPECT_EQ(conf.selectSpam(), c.selectSpam);
        if (*c.problem)
            EXPECT_THAT(conf.error(), HasSubstr(c.problem));
        else
            EXPECT_EQ(conf.error(), "");
        EXPECT_EQ(conf.securityError(), "");  // the learning keys never stop a connection
    }
}

TEST(ProfileConf, TheSenderChecksAreWrittenOnlyOnceTheyDifferFromTheirDefaults)
{
    TempFolder tmp;
    const QString path = tmp.path("p.conf");
    ProfileConf conf = ProfileConf::load(path);
    EXPECT_EQ(conf.trustedAuthservId(), "");
    EXPECT_TRUE(conf.trustSpamFlag());
    EXPECT_TRUE(conf.forgedIsBad());
    ASSERT_TRUE(conf.save(path));
    EXPECT_THAT(tmp.read("p.conf"), ::testing::Not(HasSubstr("[screening]")));

    conf.setTrustedAuthservId("  mx.example.net ");
    conf.setForgedIsBad(false);
    ASSERT_TRUE(conf.save(path));
    const std::string text = tmp.read("p.conf");
    EXPECT_THAT(text, HasSubstr("trustedAuthservId=mx.example.net"));
    EXPECT_THAT(text, HasSubstr("forgedIsBad=false"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("trustSpamFlag")));
    const ProfileConf back = ProfileConf::load(path);
    EXPECT_EQ(back.trustedAuthservId(), "mx.example.net");
    EXPECT_FALSE(back.forgedIsBad());
    EXPECT_TRUE(back.trustSpamFlag());

    tmp.write("p.conf", "[screening]\ntrustSpamFlag=perhaps\n");
    EXPECT_THAT(ProfileConf::load(path).error(), HasSubstr("[screening] trustSpamFlag"));
}

TEST(ProfileConf, SignInMethodAndTokenCommand)
{
    struct Case {
        std::string file;
        SignInMethod method;
        std::string command;
        bool withToken;
        const char *problem;  // part of securityError(), or "" when sound
    };
    const Case cases[] = {
        {"", SignInMethod::Auto, "", false, ""},
        {"[auth]\ntokenCommand = oama access me@example.org\n", SignInMethod::Auto,
         "oama access me@example.org", true, ""},
        {"[auth]\nmethod=XOAUTH2\n", SignInMethod::XOAuth2, "", true, ""},
        {"[auth]\nmethod=oauthbearer\ntokenCommand=t\n", SignInMethod::OAuthBearer, "t", true, ""},
        {"[auth]\nmethod=password\ntokenCommand=t\n", SignInMethod::Password, "t", false, ""},
        // An unknown method never turns into the password login.
        {"[auth]\nmethod=kerberos\n", SignInMethod::Auto, "", false, "[auth] method"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder tmp;
        tmp.write("p.conf", c.file);
        const QString path = tmp.path("p.conf");
        const ProfileConf conf = ProfileConf::load(path);
        EXPECT_EQ(conf.signInMethod(), c.method);
        EXPECT_EQ(conf.tokenCommand(), c.command);
        EXPECT_EQ(conf.signsInWithToken(), c.withToken);
        if (*c.problem)
            EXPECT_THAT(conf.securityError(), HasSubstr(c.problem));
        else
            EXPECT_EQ(conf.securityError(), "");
    }

    // A profile that never chose keeps a file without [auth]; a choice is written and read back.
    TempFolder tmp;
    const QString path = tmp.path("p.conf");
    ProfileConf conf = ProfileConf::load(path);
    ASSERT_TRUE(conf.save(path));
    EXPECT_THAT(tmp.read("p.conf"), ::testing::Not(HasSubstr("[auth]")));
    conf.setSignInMethod(SignInMethod::XOAuth2);
    conf.setTokenCommand(" python3 '/home/me/mutt oauth2.py' /home/me/token, \"x\" ");
    ASSERT_TRUE(conf.save(path));
    const ProfileConf back = ProfileConf::load(path);
    EXPECT_EQ(back.signInMethod(), SignInMethod::XOAuth2);
    EXPECT_EQ(back.tokenCommand(), "python3 '/home/me/mutt oauth2.py' /home/me/token, \"x\"");
}
