// FetchMessage against a real Dovecot: messages written by the test, read whole, their parts
// stored in a temp folder by the message content.
#include "mime/message_content.h"
#include "support/dovecot_server.h"
#include "support/mime_messages.h"
#include "transport/pop3_client.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

using namespace kestrix;
using kestrix::test::DovecotServer;

namespace {

const std::string kPdf = [] {
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes.push_back(char((i * 7919) & 0xff));
    return bytes;
}();
const std::string kUuencoded = "begin 644 f.txt\r\n.9F]U<G1E96X@8GET97,`\r\n`\r\nend\r\n";

class Pop3RetrieveDovecotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            return;
        dovecot = new DovecotServer({
            test::singlePartMessage("Plain", "Hello Joe,\r\n.a dot line\r\n"),
            test::multipartMessage("Report", {test::textPart("See the file.\r\n"), test::base64Part("a.pdf", kPdf)}),
            test::multipartMessage("Uu", "plain-b", "plain-b",
                                   {test::textPart("Two\r\n"), test::encodedPart("f.txt", "X-UUENCODE", kUuencoded),
                                    test::encodedPart("g.uue", "x-uuencode", kUuencoded)}),
            test::multipartMessage("Hostile", {test::textPart("x\r\n"), test::base64Part("../../evil.sh", "#!/bin/sh\n")}),
        });
    }
    static void TearDownTestSuite()
    {
        delete dovecot;
        dovecot = nullptr;
    }

    void SetUp() override
    {
        if (!dovecot)
            GTEST_SKIP() << "dovecot is not installed";
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Attachments")));
        folder = root.path().toStdString() + "/Attachments";
        pop.Host = dovecot->host();
        pop.Port = dovecot->port();
        pop.UserID = dovecot->user();
        pop.Password = dovecot->password();
        pop.TimeOut = 20000;
        content.setAttachFilePath(folder);
    }

    const TMailMessage &read(int n)
    {
        pop.Connect();
        TNMPOP3::RetrievedMessage raw = pop.FetchMessage(n);
        pop.Disconnect();
        content.split(std::move(raw.header), std::move(raw.body));
        return content.CurrentMessage;
    }

    std::string fileBytes(const std::string &name) const
    {
        QFile file(QString::fromStdString(folder + "/" + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }

    static DovecotServer *dovecot;
    QTemporaryDir root;
    std::string folder;
    TNMPOP3 pop;
    MessageContent content;
};

DovecotServer *Pop3RetrieveDovecotTest::dovecot = nullptr;

TEST_F(Pop3RetrieveDovecotTest, SinglePartTextIsShownAsSent)
{
    const TMailMessage &message = read(1);
    EXPECT_EQ(message.Body, (std::vector<std::string>{"Hello Joe,", ".a dot line"}));
    EXPECT_TRUE(message.Attachments.empty());
    EXPECT_EQ(message.Subject, " Plain");
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).isEmpty());
}

TEST_F(Pop3RetrieveDovecotTest, Base64PartIsStoredAndASecondReadStoresBesideIt)
{
    EXPECT_EQ(read(2).Attachments, std::vector<std::string>{"a.pdf"});
    EXPECT_EQ(read(2).Attachments, std::vector<std::string>{"a_1.pdf"});
    EXPECT_EQ(content.CurrentMessage.Body.front(), "See the file.");
    EXPECT_EQ(fileBytes("a.pdf"), kPdf);
    EXPECT_EQ(fileBytes("a_1.pdf"), kPdf);
}

TEST_F(Pop3RetrieveDovecotTest, UuencodeInCapitalsIsDecodedInLowerCaseStoredAsSent)
{
    const TMailMessage &message = read(3);
    EXPECT_EQ(message.Attachments, (std::vector<std::string>{"f.txt", "g.uue"}));
    EXPECT_EQ(fileBytes("f.txt"), "fourteen bytes");
    EXPECT_EQ(fileBytes("g.uue"), kUuencoded);
}

TEST_F(Pop3RetrieveDovecotTest, HostileNameAndALinkNamedLikeThePartStayHarmless)
{
    const std::string victim = root.path().toStdString() + "/victim";
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "/evil.sh").c_str()), 0);  // dangling link
    const TMailMessage &message = read(4);
    EXPECT_EQ(message.Attachments, std::vector<std::string>{"evil_1.sh"});
    EXPECT_EQ(fileBytes("evil_1.sh"), "#!/bin/sh\n");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(victim)));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Attachments")});
}

}  // namespace
