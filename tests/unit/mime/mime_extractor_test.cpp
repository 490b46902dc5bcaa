// Splitting a retrieved message into its text and stored parts, on real files in a temp folder:
// the names and collision rule, the transfer encodings, hostile names and symbolic links.
#include "mime/message_content.h"
#include "mime/mime_extractor.h"
#include "mime/uu_processor.h"
#include "support/mime_messages.h"
#include "support/random_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace kestrix {
namespace {

using test::MimePart;
using test::randomBytes;

class MimeExtractorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Attachments")));
        folder = root.path().toStdString() + "/Attachments/";
    }

    // The message as FetchMessage hands it over: the header line by line, then the body lines.
    TMailMessage extract(const std::string &raw, bool parse = false)
    {
        TMailMessage message;
        TNMUUProcessor coder;
        TMimeExtractor mime(message, coder);
        mime.AttachFilePath = folder;
        mime.Reset();
        std::size_t start = 0;
        bool inHeader = true;
        while (start < raw.size()) {
            std::size_t end = raw.find("\r\n", start);
            if (end == std::string::npos)
                end = raw.size();
            std::string line = raw.substr(start, end - start);
            start = end + 2;
            if (inHeader) {
                inHeader = !mime.ParseHeaderLine(line, message);
                continue;
            }
            message.RawLines.push_back(line);
        }
        mime.EndMessageHeader();
        mime.ExtractBody(parse);
        return message;
    }

    std::string fileBytes(const std::string &name) const
    {
        QFile file(QString::fromStdString(folder + name));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll().toStdString();
    }

    // Every file in the folder, hidden ones and links included.
    QStringList storedFiles() const
    {
        return QDir(QString::fromStdString(folder))
            .entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    }

    void writeFile(const std::string &name, const std::string &bytes) const
    {
        QFile file(QString::fromStdString(folder + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), qint64(bytes.size()));
    }

    QTemporaryDir root;
    std::string folder;
};

TEST_F(MimeExtractorTest, SinglePartTextIsShownAsReceived)
{
    const TMailMessage message =
        extract(test::singlePartMessage("Plain", "Hello Joe,\r\n\r\n..not a dot line\r\nBye\r\n"));
    EXPECT_EQ(message.Body, message.RawLines);
    EXPECT_EQ(message.Body, (std::vector<std::string>{"Hello Joe,", "", "..not a dot line", "Bye"}));
    EXPECT_TRUE(message.Attachments.empty());
    EXPECT_EQ(message.Subject, " Plain");
    EXPECT_EQ(message.From, "Ann <ann@example.org>");
    EXPECT_EQ(message.MessageId, "<1@example.org>");
    EXPECT_EQ(message.Head.Count(), 5u);  // four fields and the empty separator line
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).isEmpty());
}

TEST_F(MimeExtractorTest, TextPartIsTheBodyAndABase64PartIsStoredDecoded)
{
    const std::string pdf = randomBytes(5000, 1);
    const std::string raw = test::multipartMessage(
        "Report", {test::textPart("Hello Joe,\r\nsee the file.\r\n"), test::base64Part("a.pdf", pdf)});

    const TMailMessage first = extract(raw);
    EXPECT_EQ(first.Body, (std::vector<std::string>{"Hello Joe,", "see the file.",
                                                    "\r\nFile \"a.pdf\" extracted"}));
    EXPECT_EQ(first.Attachments, std::vector<std::string>{"a.pdf"});
    EXPECT_EQ(fileBytes("a.pdf"), pdf);

    // A second read keeps the first file and stores the part beside it.
    const TMailMessage second = extract(raw);
    EXPECT_EQ(second.Attachments, std::vector<std::string>{"a_1.pdf"});
    EXPECT_EQ(second.Body.back(), "\r\nFile \"a_1.pdf\" extracted");
    EXPECT_EQ(fileBytes("a_1.pdf"), pdf);
    EXPECT_EQ(fileBytes("a.pdf"), pdf);
}

TEST_F(MimeExtractorTest, BoundaryQuotedOrNotIsFound)
{
    const std::vector<std::string> parameters = {"\"=_b1\"", "=_b1", "\"=_b1\"; type=text/plain",
                                                 "=_b1; type=text/plain", "=_b1 "};
    for (const std::string &parameter : parameters) {
        SCOPED_TRACE(parameter);
        const TMailMessage message = extract(test::multipartMessage(
            "B", "=_b1", parameter, {test::textPart("Text\r\n"), test::base64Part("b.bin", "xyz")}));
        EXPECT_EQ(message.Boundary, "=_b1");
        ASSERT_EQ(message.Attachments.size(), 1u);
        EXPECT_EQ(fileBytes(message.Attachments[0]), "xyz");
    }
}

TEST_F(MimeExtractorTest, TransferEncodingsDecideWhatIsDecoded)
{
    const std::string uuCat = "begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n";
    struct Case {
        std::string encoding;
        std::string body;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"quoted-printable", "caf=E9 =3D ok\r\n", "caf=E9 =3D ok\r\n"},
        {"7bit", "plain text\r\n", "plain text\r\n"},
        {"x-uuencode", uuCat, uuCat},  // lower case: stored as received
        {"X-UUENCODE", uuCat, "Cat"},
        {"BASE64", "Q2F0\r\n", "Cat"},
        {"base64", "Q2F0\r\n", "Cat"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.encoding);
        const std::string name = "part" + std::to_string(++n) + ".dat";
        const TMailMessage message = extract(
            test::multipartMessage("E", {test::textPart("Text\r\n"), test::encodedPart(name, c.encoding, c.body)}));
        EXPECT_EQ(message.Attachments, std::vector<std::string>{name});
        EXPECT_EQ(fileBytes(name), c.stored);
    }
}

TEST_F(MimeExtractorTest, HostileNamesStayInTheFolder)
{
    const std::string longBase(300, 'x');
    const std::vector<std::pair<std::string, std::string>> names = {
        {"../x.txt", "x.txt"},
        {"/abs/path.txt", "path.txt"},
        {"a/b.txt", "b.txt"},
        {"..\\..\\win.ini", "win.ini"},
        {"..", "text.tmp"},
        {".", "text_1.tmp"},
        {"", "text_2.tmp"},
        {std::string("nul\0byte.txt", 12), "nul_byte.txt"},
        {"bell\x07\x7f.txt", "bell__.txt"},
        {longBase + ".pdf", std::string(196, 'x') + ".pdf"},
    };
    for (const auto &[raw, expected] : names) {
        SCOPED_TRACE(expected);
        const TMailMessage message =
            extract(test::multipartMessage("H", {test::textPart("Text\r\n"), test::base64Part(raw, "data")}));
        ASSERT_EQ(message.Attachments, std::vector<std::string>{expected});
        EXPECT_EQ(fileBytes(expected), "data");
    }
    // Nothing was created beside the folder.
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("Attachments")});
}

TEST_F(MimeExtractorTest, NamesThatDifferOnlyInCaseReplaceNothing)
{
    const TMailMessage message = extract(test::multipartMessage(
        "C", {test::textPart("Text\r\n"), test::base64Part("Report.PDF", "upper"),
              test::base64Part("report.pdf", "lower")}));
    ASSERT_EQ(message.Attachments.size(), 2u);
    EXPECT_EQ(fileBytes(message.Attachments[0]), "upper");
    EXPECT_EQ(fileBytes(message.Attachments[1]), "lower");
}

TEST_F(MimeExtractorTest, SymbolicLinksInTheFolderAreNeverFollowed)
{
    const std::string victim = root.path().toStdString() + "/victim";
    {
        QFile file(QString::fromStdString(victim));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    // Links named like the part and like an old working file, both pointing outside.
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "a.pdf").c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "Temp2.mme").c_str()), 0);

    const TMailMessage message = extract(test::multipartMessage(
        "L", {test::textPart("Text\r\n"), test::base64Part("a.pdf", "new"), test::base64Part("b.pdf", "bee")}));
    EXPECT_EQ(message.Attachments, (std::vector<std::string>{"a_1.pdf", "b.pdf"}));
    EXPECT_EQ(fileBytes("a_1.pdf"), "new");
    EXPECT_EQ(fileBytes("b.pdf"), "bee");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder + "a.pdf")).isSymLink());
    QFile file(QString::fromStdString(victim));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "keep");
}

TEST_F(MimeExtractorTest, MultipartWithoutItsBoundaryLineIsAnError)
{
    const std::string raw = "From: a@b\r\nContent-Type: multipart/mixed; boundary=\"zz\"\r\n\r\nno parts\r\n";
    try {
        extract(raw);
        FAIL() << "no error";
    } catch (const std::exception &error) {
        EXPECT_EQ(std::string(error.what()), "Multipart message without its boundary line \"zz\"");
    }
    EXPECT_TRUE(storedFiles().isEmpty());
}

TEST_F(MimeExtractorTest, ParsedSinglePartBase64ShowsTheDecodedLines)
{
    const std::string raw = "From: a@b\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                            + test::base64Body("line one\r\nline two\r\n");
    const TMailMessage message = extract(raw, true);
    EXPECT_EQ(message.Body, (std::vector<std::string>{"line one", "line two"}));
    EXPECT_EQ(message.Attachments, std::vector<std::string>{"text.tmp"});
}

TEST_F(MimeExtractorTest, FilesThatWereThereAndPartsNamedLikeWorkingFilesStay)
{
    writeFile("Temp1.mme", "the user's");
    writeFile("Temp2.mme", "also the user's");
    const TMailMessage message = extract(test::multipartMessage(
        "W", {test::textPart("Text\r\n"), test::base64Part("Temp3.mme", "sender 3"),
              test::base64Part("Temp4.mme", "sender 4"), test::encodedPart("Temp5.mme", "7bit", "five\r\n"),
              test::base64Part("Temp2.mme", "sender 2")}));
    EXPECT_EQ(message.Attachments,
              (std::vector<std::string>{"Temp3.mme", "Temp4.mme", "Temp5.mme", "Temp2_1.mme"}));
    EXPECT_EQ(fileBytes("Temp1.mme"), "the user's");
    EXPECT_EQ(fileBytes("Temp2.mme"), "also the user's");
    EXPECT_EQ(fileBytes("Temp3.mme"), "sender 3");
    EXPECT_EQ(fileBytes("Temp4.mme"), "sender 4");
    EXPECT_EQ(fileBytes("Temp2_1.mme"), "sender 2");
    // No working file is left behind: the folder holds what was there and the stored parts.
    EXPECT_EQ(storedFiles(), (QStringList{QStringLiteral("Temp1.mme"), QStringLiteral("Temp2.mme"),
                                          QStringLiteral("Temp2_1.mme"), QStringLiteral("Temp3.mme"),
                                          QStringLiteral("Temp4.mme"), QStringLiteral("Temp5.mme")}));
}

// Boundaries of any allowed length, and lines that hold the boundary without being a delimiter
// line, keep every part.
TEST_F(MimeExtractorTest, OnlyWholeDelimiterLinesEndAPart)
{
    struct Case {
        const char *what;
        std::string boundary;
        std::string textBody;
    };
    const std::vector<Case> cases = {
        {"one character", "a", "a line with an a\r\n--a-- is not alone\r\n"},
        {"two characters", "ab", "abab\r\n-ab\r\n"},
        {"a closing line of a longer boundary", "=_b1", "--=_b1inner--\r\n"},
        {"the boundary with more after it", "=_b1", "--=_b1--x\r\n--=_b1 x\r\n"},
        {"the boundary inside a line", "=_b1", "see --=_b1--\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TMailMessage message = extract(test::multipartMessage(
            "D", c.boundary, "\"" + c.boundary + "\"",
            {test::textPart(c.textBody), test::base64Part("one.bin", "1"), test::base64Part("two.bin", "2")}));
        EXPECT_EQ(message.Attachments.size(), 2u);
        EXPECT_EQ(message.Body.size(), test::splitLines(c.textBody).size() + 2);
        QDir(QString::fromStdString(folder)).removeRecursively();
        QDir().mkpath(QString::fromStdString(folder));
    }
    // Blanks after a delimiter line are allowed.
    const TMailMessage padded = extract(
        "From: a@b\r\nContent-Type: multipart/mixed; boundary=x\r\n\r\n--x \r\n\r\ntext\r\n--x\t\r\n"
        "Content-Disposition: attachment; filename=\"p.txt\"\r\n\r\npart\r\n--x-- \r\nafter\r\n");
    EXPECT_EQ(padded.Body, (std::vector<std::string>{"text", "\r\nFile \"p.txt\" extracted"}));
    EXPECT_EQ(fileBytes("p.txt"), "part\r\n");
}

TEST_F(MimeExtractorTest, PartsBeyondTheBoundsAreLeftOutAndNamed)
{
    struct Case {
        const char *what;
        std::size_t maxParts;
        std::uint64_t maxBytes;
        std::vector<std::string> stored;
        std::string leftOut;
    };
    // Parts of 6, 6, 2054 and 6 bytes as received (base64 lines of 76 characters and CR LF).
    const std::vector<Case> cases = {
        {"two parts", 2, 1 << 20, {"p1.bin", "p2.bin"},
         "2 parts (2060 bytes) not stored: a message stores at most 2 parts and 1 MB"},
        {"bytes", 10, 100, {"p1.bin", "p2.bin", "p4.bin"},
         "1 part (2054 bytes) not stored: a message stores at most 10 parts and 100 bytes"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TMailMessage message;
        TNMUUProcessor coder;
        TMimeExtractor mime(message, coder);
        mime.AttachFilePath = folder;
        mime.MaxStoredParts = c.maxParts;
        mime.MaxStoredBytes = c.maxBytes;
        mime.Reset();
        ASSERT_FALSE(mime.ParseHeaderLine("Content-Type: multipart/mixed; boundary=b", message));
        std::string body = "--b\r\n\r\ntext\r\n";
        for (const std::string name : {"p1.bin", "p2.bin", "p3.bin", "p4.bin"}) {
            const std::string content = name == std::string("p3.bin") ? randomBytes(1500, 3) : "abc";
            body += "--b\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\""
                    + name + "\"\r\n\r\n" + test::base64Body(content);
        }
        message.RawLines = test::splitLines(body + "--b--\r\n");
        mime.EndMessageHeader();
        mime.ExtractBody(false);
        EXPECT_EQ(message.Attachments, c.stored);
        EXPECT_EQ(message.Body.back(), "\r\n" + c.leftOut);
        QStringList expected;
        for (const std::string &name : c.stored)
            expected << QString::fromStdString(name);
        EXPECT_EQ(storedFiles(), expected);
        QDir(QString::fromStdString(folder)).removeRecursively();
        QDir().mkpath(QString::fromStdString(folder));
    }
}

TEST_F(MimeExtractorTest, TheCharsetOfTheTextShownIsKept)
{
    const std::string text = "Content-Type: text/plain; charset=";
    struct Case {
        const char *what;
        std::string raw;
        std::string charset;
    };
    const std::vector<Case> cases = {
        {"single part", "From: a@b\r\n" + text + "utf-8\r\n\r\nx\r\n", "utf-8"},
        {"quoted, more parameters", "From: a@b\r\n" + text + "\"ISO-8859-1\"; format=flowed\r\n\r\nx\r\n",
         "ISO-8859-1"},
        {"continuation line", "From: a@b\r\nContent-Type: text/plain;\r\n\tcharset=koi8-r\r\n\r\nx\r\n", "koi8-r"},
        {"none", "From: a@b\r\n\r\nx\r\n", ""},
        {"not on a content type", "From: a@b\r\nX-Note: charset=utf-8\r\n\r\nx\r\n", ""},
        {"multipart: the first part's",
         test::multipartMessage("M", {{text + "windows-1252\r\n", "x\r\n"}, {text + "utf-8\r\n", "y\r\n"}}),
         "windows-1252"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(extract(c.raw).BodyCharset, c.charset);
    }
}

TEST(MessageContentSettings, AttachFilePathEndsWithTheSeparator)
{
    MessageContent content;
    EXPECT_EQ(content.AttachFilePath(), "");
    content.setAttachFilePath("/home/ann/Attachments");
    EXPECT_EQ(content.AttachFilePath(), "/home/ann/Attachments/");
    content.setAttachFilePath("/tmp/");
    EXPECT_EQ(content.AttachFilePath(), "/tmp/");
}

}  // namespace
}  // namespace kestrix
