// kestrix-cli --utf8: senders and subjects as people read them, in UTF-8, still one escaped
// TAB-separated line per row; without it the bytes as received.
#include "cli_fixture.h"

#include "profiles/profile_conf.h"

namespace kestrix::test {
namespace {

TEST_F(CliTest, Utf8PrintsDisplayTextsAndTheDefaultStaysBytes)
{
    startServer({DovecotServer::makeMessage("=?utf-8?B?SsO2cmc=?= <joerg@example.de>",
                                            "=?utf-8?b?SGVsbG8gV29ybGQ=?="),
                 DovecotServer::makeMessage("Ren\xE9 <rene@example.fr>", "Caf\xE9 =?koi8-r?B?8NLJ18XU?="),
                 DovecotServer::makeMessage("a@example.org", "=?utf-8?q?one=09two?= \\ x"),
                 DovecotServer::makeMessage("=?koi8-r?q?=F0=D2=C9=D7=C5=D4?= <p@example.ru>",
                                            "=?UTF-8?Q?Gr=C3=BC=C3=9Fe?= =?koi8-r?B?8NLJ18XU?=")});
    makeProfile();
    saveProfile();

    const CliResult bytes = run({"list", "--all"});
    ASSERT_EQ(bytes.exitCode, 0) << bytes.err;
    const auto raw = bytes.rows();
    ASSERT_EQ(raw.size(), 4u) << bytes.out;
    EXPECT_EQ(raw[0][2], "=?utf-8?B?SsO2cmc=?= <joerg@example.de>");
    EXPECT_EQ(raw[0][4], "=?utf-8?b?SGVsbG8gV29ybGQ=?=");
    EXPECT_EQ(raw[1][2], "Ren\xE9 <rene@example.fr>");

    const CliResult utf8 = run({"--utf8", "list", "--all"});
    ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
    const auto shown = utf8.rows();
    ASSERT_EQ(shown.size(), 4u) << utf8.out;
    for (const auto &row : shown)
        EXPECT_EQ(row.size(), 6u);
    EXPECT_EQ(shown[0][2], "Jörg <joerg@example.de>");
    EXPECT_EQ(shown[0][4], "Hello World");
    EXPECT_EQ(shown[1][2], "René <rene@example.fr>");
    EXPECT_EQ(shown[1][4], "Café Привет");
    // Decoded from the header as received, as the grid shows it: a decoded control is a blank.
    EXPECT_EQ(shown[2][4], "one two \\\\ x");
    // The charset of a "q" word, and encoded words joined without the blank between them.
    EXPECT_EQ(shown[3][2], "Привет <p@example.ru>");
    EXPECT_EQ(shown[3][4], "GrüßeПривет");
    EXPECT_EQ(shown[0][0], raw[0][0]);
    EXPECT_EQ(shown[0][5], raw[0][5]);
}

TEST_F(CliTest, TheProfilesDecodeAllLetsTheBlacklistSeeEncodedSubjects)
{
    startServer({DovecotServer::makeMessage("a@example.org", "=?utf-8?B?RlJFRSBtb25leQ==?=")});
    makeProfile();
    saveProfile();

    const CliResult off = run({"list", "--all"});
    ASSERT_EQ(off.exitCode, 0) << off.err;
    EXPECT_EQ(off.rows().at(0).at(3), "-");

    ProfileConf conf;
    conf.setDecodeAll(true);
    ASSERT_TRUE(conf.save(ProfileConf::pathFor(dir.path(), "default")));
    const CliResult on = run({"list", "--all"});
    ASSERT_EQ(on.exitCode, 0) << on.err;
    EXPECT_EQ(on.rows().at(0).at(3), "KNBP");
    // The text printed stays the bytes as received.
    EXPECT_EQ(on.rows().at(0).at(4), "=?utf-8?B?RlJFRSBtb25leQ==?=");
}

}  // namespace
}  // namespace kestrix::test
