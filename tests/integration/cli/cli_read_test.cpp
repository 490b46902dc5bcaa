// kestrix-cli read against Dovecot: the text on standard output, the parts stored, the message
// left on the server, and the failures.
#include "cli_fixture.h"
#include "support/mime_messages.h"

#include <QFileInfo>

namespace kestrix::test {
namespace {

class CliReadTest : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
        startServer({singlePartMessage("Plain", "Hello Joe,\r\n.dotted\r\n"),
                     multipartMessage("Report", {textPart("See the file.\r\n"), base64Part("a.pdf", "%PDF-1.4 bytes")}),
                     multipartMessage("Run", {textPart("Run it.\r\n"), base64Part("run.exe", "MZ")}),
                     "From: a@b\r\nSubject: L\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\n"
                     "Gr\xFC\xDF" "e\r\n"});
        makeProfile();
        saveProfile();
    }

    std::string fileBytes(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
    }
};

TEST_F(CliReadTest, PrintsTheTextStoresThePartsAndLeavesTheMessage)
{
    const CliResult plain = run({"read", "1"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "Hello Joe,\n.dotted\n");

    // The data folder's Attachments folder, then a second read beside the first file.
    const CliResult report = run({"read", "2"});
    EXPECT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out, "See the file.\n\nFile \"a.pdf\" extracted\n");
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("Attachments/a.pdf"))), "%PDF-1.4 bytes");
    EXPECT_EQ(run({"read", "2"}).out, "See the file.\n\nFile \"a_1.pdf\" extracted\n");

    // --attachments names another folder, made when missing.
    const QString other = dir.filePath(QStringLiteral("parts/new"));
    const CliResult elsewhere = run({"read", "2", "--attachments", other.toStdString()});
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err;
    EXPECT_EQ(fileBytes(other + QStringLiteral("/a.pdf")), "%PDF-1.4 bytes");

    // A text in Latin-1 is printed in UTF-8, as the reader shows it.
    EXPECT_EQ(run({"read", "4"}).out, "Gr\xC3\xBC\xC3\x9F" "e\n");

    EXPECT_EQ(dovecot->messages().size(), 4u);  // never DELE
}

TEST_F(CliReadTest, WorkingFilesStayOutOfTheFolderAndARunnablePartIsWarnedOf)
{
    const QString mine = dir.filePath(QStringLiteral("mine"));
    ASSERT_TRUE(QDir().mkpath(mine));
    {
        QFile file(mine + QStringLiteral("/Temp1.mme"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's");
    }
    const CliResult run3 = run({"read", "3", "--attachments", mine.toStdString()});
    EXPECT_EQ(run3.exitCode, 0) << run3.err;
    EXPECT_EQ(run3.out, "Run it.\n\nFile \"run.exe\" extracted\n");
    EXPECT_NE(run3.err.find("kestrix-cli: warning: \"run.exe\" is of a type that can run code\n"),
              std::string::npos) << run3.err;
    EXPECT_EQ(fileBytes(mine + QStringLiteral("/Temp1.mme")), "the user's");
    EXPECT_EQ(QDir(mine).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
              (QStringList{QStringLiteral("Temp1.mme"), QStringLiteral("run.exe")}));

    EXPECT_EQ(run({"read", "2", "--attachments", mine.toStdString()}).err.find("can run code"),
              std::string::npos);
}

TEST_F(CliReadTest, ServerFailuresExitOne)
{
    const CliResult missing = run({"read", "9"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("-ERR"), std::string::npos) << missing.err;

    const CliResult refused = run({"read", "1"}, "wrong");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Authentication failed"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace kestrix::test
