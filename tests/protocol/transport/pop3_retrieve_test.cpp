// FetchMessage against the fake server, its lines split by the message content as the reader
// does: dot-unstuffing, a header without its empty line, a connection that drops in the middle
// of the body, a refused RETR, and the events and texts.
#include "mime/message_content.h"
#include "pop3_client_fixture.h"
#include "support/mime_messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace kestrix;
using kestrix::test::failureOf;

namespace {

class Pop3RetrieveTest : public kestrix::test::Pop3ClientFixture {
protected:
    void SetUp() override
    {
        Pop3ClientFixture::SetUp();
        ASSERT_TRUE(attachments.isValid());
        content.setAttachFilePath(attachments.path().toStdString());
        content.OnStatus = [this](const std::string &status) { statusTexts.push_back(status); };
        pop.OnRetrieveStart = [this](TPowersock *) { ++starts; };
        pop.OnRetrieveEnd = [this](TPowersock *) { ++ends; };
    }

    void TearDown() override
    {
        pop.OnRetrieveStart = nullptr;
        pop.OnRetrieveEnd = nullptr;
        Pop3ClientFixture::TearDown();
    }

    // RETR n, its lines split into CurrentMessage and the folder.
    void fetch(std::int32_t n)
    {
        TNMPOP3::RetrievedMessage raw = pop.FetchMessage(n);
        content.split(std::move(raw.header), std::move(raw.body));
    }

    void scriptRetr(const std::string &reply)
    {
        scriptLogin(1);
        expectClient("RETR 1\r\n");
        server(reply);
    }

    std::string fileBytes(const std::string &name) const
    {
        QFile file(attachments.filePath(QString::fromStdString(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }

    QStringList files() const { return QDir(attachments.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir attachments;
    MessageContent content;
    int starts = 0;
    int ends = 0;
};

TEST_F(Pop3RetrieveTest, DoubledLeadingDotsAreUnstuffedInTextAndInUuencodedLines)
{
    // A 14-byte uuencoded line starts with its length character ".", which the server doubles.
    const std::string uuencoded = "begin 644 f.txt\r\n.9F]U<G1E96X@8GET97,`\r\n`\r\nend\r\n";
    const std::string message = test::multipartMessage(
        "Dots", {test::textPart(".leading dot\r\n..two dots\r\n"),
                 test::encodedPart("f.txt", "X-UUENCODE", uuencoded)});
    scriptRetr("+OK message follows\r\n" + test::dotStuffed(message));
    scriptQuit();

    pop.Connect();
    fetch(1);
    EXPECT_EQ(content.CurrentMessage.Body,
              (std::vector<std::string>{".leading dot", "..two dots", "\r\nFile \"f.txt\" extracted"}));
    EXPECT_EQ(fileBytes("f.txt"), "fourteen bytes");
    pop.Disconnect();
    finishDialogue();
}

TEST_F(Pop3RetrieveTest, AHeaderWithoutItsEmptyLineEndsAtTheFinalDot)
{
    pop.TimeOut = 60000;  // a wait for the time-out would fail the test's own deadline
    scriptRetr("+OK\r\nFrom: Ann <ann@example.org>\r\nSubject: No body\r\n.\r\n");
    scriptQuit();

    pop.Connect();
    fetch(1);
    EXPECT_EQ(content.CurrentMessage.Head.Lines(),
              (std::vector<std::string>{"From: Ann <ann@example.org>", "Subject: No body"}));
    EXPECT_TRUE(content.CurrentMessage.Body.empty());
    EXPECT_EQ(content.CurrentMessage.Subject, " No body");
    EXPECT_TRUE(sawStatus("Message Retrieved"));
    pop.Disconnect();
    finishDialogue();
}

TEST_F(Pop3RetrieveTest, ADropInTheMiddleOfTheBodyFailsAndNamesNoFile)
{
    const std::string message =
        test::multipartMessage("Drop", {test::textPart("Text\r\n"), test::base64Part("a.pdf", std::string(3000, 'x'))});
    scriptRetr("+OK\r\n" + message.substr(0, message.size() / 2));
    fake.closeConnection();

    pop.Connect();
    EXPECT_EQ(failureOf([&] { fetch(1); }), "Connection closed by server");
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(pop.Busy());
    EXPECT_FALSE(files().contains(QStringLiteral("a.pdf")));
    finishDialogue();
}

TEST_F(Pop3RetrieveTest, ARefusedRetrRaisesTheReplyAndStillEnds)
{
    scriptRetr("-ERR no such message\r\n");
    scriptQuit();

    pop.Connect();
    EXPECT_EQ(failureOf([&] { fetch(1); }), "-ERR no such message\r\n");
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(files().isEmpty());
    pop.Disconnect();
    finishDialogue();
}

TEST_F(Pop3RetrieveTest, EventsAndStatusTextsOfAStoredPart)
{
    const std::string message = test::multipartMessage(
        "Events", {test::textPart("Text\r\n"), test::base64Part("a.pdf", "abcdef")});
    scriptRetr("+OK\r\n" + test::dotStuffed(message));
    scriptQuit();
    int packets = 0;
    content.OnPartLine = [&] { ++packets; };
    content.OnDecodeStart = [](std::string &name) { name = "renamed.pdf"; };

    pop.Connect();
    fetch(1);
    EXPECT_EQ(content.CurrentMessage.Attachments, std::vector<std::string>{"renamed.pdf"});
    EXPECT_EQ(fileBytes("renamed.pdf"), "abcdef");
    EXPECT_EQ(packets, 2);  // the text line and the one base64 line
    for (const char *text : {"Extracting file", "Decoding file", "Message Retrieved"})
        EXPECT_TRUE(sawStatus(text)) << text;
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    pop.Disconnect();
    finishDialogue();
}

}  // namespace
