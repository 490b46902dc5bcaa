// kestrix-cli --verdicts against a Dovecot whose messages carry a provider's verdicts: the
// same table as without it plus a last column; the known-bad deletion takes the verdict rows.
#include "cli_fixture.h"

namespace kestrix::test {
namespace {

std::string fromProvider(const std::string &results, const std::string &message)
{
    return "Authentication-Results: mx.kestrix.example;\r\n\t" + results + "\r\n" + message;
}

TEST_F(CliTest, VerdictsAddALastColumnAndJoinTheKnownBadDeletion)
{
    const std::string anna = "Anna Berg <anna@familyberg.example>";
    startServer({fromProvider("dmarc=pass header.from=familyberg.example",
                              DovecotServer::makeMessage(anna, "Sunday lunch")),
                 fromProvider("spf=fail smtp.mailfrom=mailer.example; dmarc=fail (p=reject) "
                              "header.from=familyberg.example",
                              DovecotServer::makeMessage(anna, "Please pay this invoice")),
                 fromProvider("dmarc=pass header.from=farnilyberg.example",
                              DovecotServer::makeMessage("Anna Berg <anna@farnilyberg.example>",
                                                         "New address")),
                 "X-Spam-Flag: YES\r\n" + DovecotServer::makeMessage("deals@shop.example", "Sale"),
                 DovecotServer::makeMessage("tom@garden.example", "Photos")});
    makeProfile().whitelist.add(anna);
    saveProfile();

    const CliResult plain = run({"list", "--all"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const CliResult judged = run({"list", "--all", "--verdicts"});
    ASSERT_EQ(judged.exitCode, 0) << judged.err;

    // The plain table is the judged one without its last field, byte for byte.
    std::string stripped;
    std::vector<std::string> verdicts;
    for (const auto &row : judged.rows()) {
        ASSERT_EQ(row.size(), 7u) << judged.out;
        verdicts.push_back(row.back());
        for (size_t i = 0; i + 1 < row.size(); ++i)
            stripped += row[i] + (i + 2 < row.size() ? "\t" : "\n");
    }
    EXPECT_EQ(stripped, plain.out);
    EXPECT_EQ(verdicts, (std::vector<std::string>{"-", "forged", "impostor,look-alike",
                                                  "provider-spam", "-"}));
    const auto rows = plain.rows();
    EXPECT_EQ(rows[0][1], "KNGA");
    EXPECT_EQ(rows[1][1], "-");  // Anna's name and address, forged: not trusted
    EXPECT_NE(plain.err.find("3 known bad or blacklisted"), std::string::npos) << plain.err;

    const CliResult deleted = run({"delete-known-bad", "--all"});
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(dovecot->senders(), (std::vector<std::string>{anna, "tom@garden.example"}));
}

}  // namespace
}  // namespace kestrix::test
