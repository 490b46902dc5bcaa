// KESTRIX_WIRE_LOG: a whole POP3 login written to the log in both directions, the password
// masked, the file private. Its own program: the log is chosen once per process, at the first
// session.
#include "support/pop3_dialogue.h"
#include "transport/pop3_client.h"

#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class WireLogTest : public ::testing::Test, public kestrix::test::Pop3Dialogue {};

std::string readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

}  // namespace

TEST_F(WireLogTest, BothDirectionsOfADialogueWithThePasswordMasked)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("wire.log"));
    ASSERT_TRUE(qputenv("KESTRIX_WIRE_LOG", log.toLocal8Bit()));
    {
        scriptLogin(2);
        expectClient("UIDL 1\r\n");
        server("+OK 1 \x01uid-one\r\n");  // a control byte stays on its line
        scriptQuit();
        TNMPOP3 pop;
        pop.Host = "127.0.0.1";
        pop.Port = fake.port();
        pop.TimeOut = 10000;
        pop.UserID = "joe";
        pop.Password = "secret";
        pop.Connect();
        EXPECT_EQ(pop.FetchUniqueId(1), "\x01uid-one\r\n");
        pop.Disconnect();
        finishDialogue();
    }
    const std::string text = readAll(log);
    const std::string peer = " 127.0.0.1:" + std::to_string(fake.port());
    for (const std::string line : {"S: +OK POP3 ready\n", "C: USER joe\n", "C: PASS ****\n",
                                   "S: +OK logged in\n", "C: STAT\n", "S: +OK 2 1000\n",
                                   "S: +OK 1 \\x01uid-one\n", "C: QUIT\n", "S: +OK bye\n",
                                   "-- closed\n"}) {
        EXPECT_THAT(text, HasSubstr(peer + " " + line));
    }
    EXPECT_THAT(text, Not(HasSubstr("secret")));
    EXPECT_EQ(std::filesystem::status(log.toStdString()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    EXPECT_EQ(maskWireLine("pass hunter2"), "pass ****");
    EXPECT_EQ(maskWireLine("Authorization: Basic am9lOnNlY3JldA=="), "Authorization: ****");
    EXPECT_EQ(maskWireLine("PASSWORD"), "PASSWORD");
}
