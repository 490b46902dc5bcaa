// Splitting a retrieved message into its text and stored parts, on real files in a temp folder:
// the names and collision rule, the transfer encodings, hostile names and symbolic links.
#include "support/mime_messages.h"
#include "support/random_bytes.h"
#include "transport/mime_extractor.h"
#include "transport/uu_processor.h"

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

    // The stored parts (not the temporary files).
    QStringList storedFiles() const
    {
        QStringList names = QDir(QString::fromStdString(folder))
                                .entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
        names.removeIf([](const QString &name) { return name.startsWith(QStringLiteral("Temp")); });
        return names;
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
    // Links named like the part and like the next temporary file, both pointing outside.
    ASSERT_EQ(::symlink(victim.c_str(), (folder + "a.pdf").c_str()), 0);
    const std::string nextTemp = "Temp" + std::to_string(TempCounter + 2) + ".mme";
    ASSERT_EQ(::symlink(victim.c_str(), (folder + nextTemp).c_str()), 0);

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

}  // namespace
}  // namespace kestrix
