// One screening session as a user runs it in the window (list, delete the known-bad rows, delete
// a selected row, read a message, list again), on each real POP3 server, in plain text, with
// STLS under Automatic security and over implicit TLS. What is left on the server is read by
// Python's poplib, a client that shares no code with the program.
#include "dovecot_screening.h"
#include "support/mailutils_server.h"
#include "support/poplib_client.h"
#include "support/test_certificates.h"
#include "mime/mail_message.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

template <class S, SecurityMode M>
struct On {
    using Server = S;
    static constexpr SecurityMode mode = M;
};

// Made once per test program: the servers only read them.
const TestCertificates &sharedCertificates()
{
    static QTemporaryDir folder;
    static const TestCertificates certificates(folder.path().toStdString());
    return certificates;
}

template <class Case>
class RealServerScreeningTest : public ScreeningRunTest {
protected:
    using Server = typename Case::Server;

    void SetUp() override
    {
        if constexpr (requires { Server::whyUnavailable(); }) {
            if (!Server::available())
                GTEST_SKIP() << Server::whyUnavailable();
        }
        if (!Server::available())
            GTEST_SKIP() << "this POP3 server is not installed (see scripts/deps.sh)";
        const TestCertificates &certificates = sharedCertificates();
        ::setenv("SSL_CERT_FILE", certificates.caFile.c_str(), 1);
        typename Server::Options options;
        options.tlsCertificate = certificates.serverCertificate;
        options.tlsKey = certificates.serverKey;
        server = std::make_unique<Server>(mailbox(), options);
        pointAt(*server);
        s.profile.conf.setSecurityMode(Case::mode);
        if (Case::mode == SecurityMode::Tls)
            s.profile.settings.Port = std::to_string(server->tlsPort());
    }
    void TearDown() override { ::unsetenv("SSL_CERT_FILE"); }

    // Message 1 comes from a whitelisted sender, 2 has a blacklist word in its subject, 4's
    // sender is in the rejected-mail log; 3 has a line that starts with a dot.
    std::vector<std::string> mailbox() const
    {
        return {DovecotServer::makeMessage(friendSender, "Quick cash for the party"),
                DovecotServer::makeMessage("Promo <promo@example.net>", "Easy cash now"),
                DovecotServer::makeMessage(sender(3), subject(3), "Hello Joe,\r\n.dotted\r\n"),
                DovecotServer::makeMessage(oldSender, "Hello again"),
                DovecotServer::makeMessage(sender(5), subject(5)),
                DovecotServer::makeMessage(sender(6), subject(6))};
    }

    Strings uidsOnServer() const
    {
        return uidlsByPoplib(server->host(), server->port(), server->user(), server->password());
    }

    const std::string friendSender = "Friend <friend@example.org>";
    const std::string oldSender = "Old <old@spam.example>";
    std::unique_ptr<Server> server;
};

struct CaseNames {
    template <class Case>
    static std::string GetName(int)
    {
        const std::string server =
            std::is_same_v<typename Case::Server, DovecotServer> ? "Dovecot" : "Mailutils";
        switch (Case::mode) {
        case SecurityMode::None: return server + "Plain";
        case SecurityMode::Auto: return server + "AutomaticStls";
        default: return server + "ImplicitTls";
        }
    }
};

using Cases = ::testing::Types<
    On<DovecotServer, SecurityMode::None>, On<DovecotServer, SecurityMode::Auto>,
    On<DovecotServer, SecurityMode::Tls>, On<MailutilsServer, SecurityMode::None>,
    On<MailutilsServer, SecurityMode::Auto>, On<MailutilsServer, SecurityMode::Tls>>;
TYPED_TEST_SUITE(RealServerScreeningTest, Cases, CaseNames);

TYPED_TEST(RealServerScreeningTest, ListDeleteReadAndListAgainLeaveTheRightMessagesOnTheServer)
{
    auto &s = this->s;
    auto &prompter = this->prompter;
    const Strings uids = this->uidsOnServer();
    ASSERT_EQ(uids.size(), 6u);
    ASSERT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), 6u);
    s.profile.whitelist.add(this->friendSender);
    s.profile.rejectedLog.appendRejected(this->oldSender, "something else");

    this->getAndCheck();
    ASSERT_EQ(this->numbers(), (Strings{"1", "2", "3", "4", "5", "6"}));
    const std::string connected = TypeParam::mode == SecurityMode::None
                                      ? "Connected (no encryption)"
                                      : "Connected (TLS 1.3)";
    const auto &history = this->view.statusHistory;
    EXPECT_NE(std::find(history.begin(), history.end(), connected), history.end());
    EXPECT_EQ(s.countKnownBad(), 2);

    prompter.expectYesNo(Prompter::Kind::Confirmation,
                         "Really DELETE 2 blacklisted or known bad message(s) (No Recovery !) ?",
                         true);
    s.grid.knownBadSelectMode = true;
    this->runCommand(cmdDeleteKnownBad);
    EXPECT_EQ(s.lastDeletion.deleted, 2);
    EXPECT_EQ(this->numbers(), (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(s.messages.ListBox2(), (Strings{this->friendSender, this->sender(3), this->sender(5),
                                     this->sender(6)}));

    // Row 3 shows message 5 now.
    prompter.expectYesNo(Prompter::Kind::Confirmation,
                         "Really DELETE selected 1 Message(s) (No Recovery) ?", true);
    s.grid.selTop = s.grid.selBottom = 3;
    this->runCommand(cmdDeleteSelected);
    EXPECT_EQ(s.lastDeletion.deleted, 1);
    EXPECT_EQ(s.messages.ListBox2(), (Strings{this->friendSender, this->sender(3), this->sender(6)}));

    // The reader's text, as the window's side receives it.
    struct Reader : WindowSide {
        Strings text;
        void fillReader(const TMailMessage &message) override { text = message.Body; }
    } reader;
    s.setWindowSide(reader);
    const Strings &text = reader.text;
    s.grid.selTop = s.grid.selBottom = 2;
    this->runCommand(cmdReadMessage);
    EXPECT_EQ(text, (Strings{"Hello Joe,", ".dotted"}));

    this->getAndCheck();
    // A trusted run of one row at message 1 is no resume mark: the whole mailbox again, as the
    // server numbers it now.
    EXPECT_EQ(s.messages.ListBox2(), (Strings{this->friendSender, this->sender(3), this->sender(6)}));
    EXPECT_EQ(this->numbers(), (Strings{"1", "2", "3"}));
    EXPECT_EQ(s.profile.settings.DeletedCount, 3);
    EXPECT_EQ(this->uidsOnServer(), (Strings{uids[0], uids[2], uids[5]}));
}

}  // namespace
}  // namespace kestrix::test
