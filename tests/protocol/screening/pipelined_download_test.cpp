// The header download over a server that lists PIPELINING, beside the same mailbox without it:
// the same rows, codes, sizes, marks and status texts; the download-control question answered
// with fewer messages than there are (only those are asked for); a refusal in the middle of a
// window keeps the rows before it and shows nothing after it; the walk back to a resume mark
// has its listing sent with the login.
#include "support/screener_fixture.h"
#include "text/header_decoding.h"
#include "transport/pop3_batch.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

std::string number(int n) { return std::to_string(n); }

// Message n of the scripted mailbox: its replies to TOP n 0, LIST n and UIDL n.
Strings repliesOf(int n)
{
    return {"+OK\r\nFrom: Sender" + number(n) + " <s" + number(n) + "@example.org>\r\nSubject: Subject "
                + number(n) + "\r\n\r\n.\r\n",
            "+OK " + number(n) + " " + number(200 + n) + "\r\n",
            "+OK " + number(n) + " uid-" + number(n) + "\r\n"};
}
Strings commandsOf(int n)
{
    return {"TOP " + number(n) + " 0\r\n", "LIST " + number(n) + "\r\n", "UIDL " + number(n) + "\r\n"};
}

// What a download leaves behind, for comparing two of them.
struct Outcome {
    Strings numbers, senders, subjects, codes, sizes, statuses;
    std::string startCode, newestCode, stopped;
    bool operator==(const Outcome &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Outcome &o)
{
    for (const std::string &status : o.statuses)
        out << "  status: " << status << "\n";
    for (const std::string &code : o.codes)
        out << "  code: " << code << "\n";
    return out << "  stopped: " << o.stopped << "\n";
}

class PipelinedDownloadTest : public ::testing::Test {
protected:
    // Greeting, CAPA, USER, PASS and STAT, then UIDL of the newest message (the download's
    // first question).
    static void scriptLogin(FakePop3Server &server, bool pipelining, int count)
    {
        scriptCapaLogin(server, pipelining, count);
        server.expect("UIDL " + number(count) + "\r\n");
        server.send(repliesOf(count)[2]);
    }

    // Messages first..last: one command at a time, or every command first and then every reply
    // in one segment.
    static void scriptMessages(FakePop3Server &server, bool pipelining, int first, int last)
    {
        std::string replies;
        for (int n = first; n <= last; ++n) {
            const Strings commands = commandsOf(n);
            const Strings answers = repliesOf(n);
            for (std::size_t k = 0; k < 3; ++k) {
                server.expect(commands[k]);
                if (pipelining)
                    replies += answers[k];
                else
                    server.send(answers[k]);
            }
        }
        if (pipelining)
            server.send(replies);
    }

    // The window's get-headers run against the server: connect, download, QUIT.
    // With a resume mark the walk back to it comes first; a login refused with the expected
    // message is stopped at "no session".
    static Outcome download(FakePop3Server &server, int notifyLimit = 1000,
                            std::optional<int> answer = std::nullopt,
                            const std::string &mark = "-1",
                            std::optional<std::string> refusal = std::nullopt)
    {
        ScreenerFixture f;
        Screener &s = f.s;
        f.pointAt(server.port());
        s.profile.conf.setSecurityMode(SecurityMode::Auto);
        s.profile.settings.NotifyLimit = notifyLimit;
        s.profile.settings.resumeCode = mark;
        if (refusal)
            f.prompter.expectMessage(Prompter::Kind::Error, *refusal);
        if (answer)
            f.prompter.expectDownloadCount(answer);
        Outcome out;
        const bool open = s.connectSession(s.commandsBeforeDownload());
        const std::size_t afterLogin = f.view.statusHistory.size();
        if (open)
            s.downloadHeaders();
        s.closeSession();
        f.prompter.verifyAllAsked();
        out.statuses.assign(f.view.statusHistory.begin() + long(afterLogin), f.view.statusHistory.end());
        out.numbers = s.messages.ListBox1();
        out.senders = s.messages.ListBox2();
        out.subjects = s.messages.ListBox3();
        out.codes = s.messages.ListBox5();
        for (int row = 1; row <= int(s.messages.rows.size()); ++row)
            out.sizes.push_back(s.messages.sizeContentText(row));
        out.startCode = s.messages.startCode;
        out.newestCode = s.messages.newestCode;
        out.stopped = open ? s.session.downloadStopped : std::string("no session");
        return out;
    }

    static void expectScriptPlayed(FakePop3Server &server)
    {
        EXPECT_TRUE(server.waitUntilScriptDone());
        for (const std::string &failure : server.failures())
            ADD_FAILURE() << failure;
    }

    static void scriptQuit(FakePop3Server &server)
    {
        server.expect("QUIT\r\n");
        server.send("+OK bye\r\n");
    }
};

TEST_F(PipelinedDownloadTest, PipelinedAndOneByOneDownloadsLeaveTheSameTable)
{
    // The server reads the commands of this many messages before it answers any of them.
    constexpr int window = 500;
    static_assert(window * 36 < int(Pop3Batch::windowBytes));
    constexpr int count = window + 4;
    Outcome outcomes[2];
    for (const bool pipelining : {false, true}) {
        SCOPED_TRACE(pipelining ? "pipelined" : "one by one");
        FakePop3Server server;
        scriptLogin(server, pipelining, count);
        scriptMessages(server, pipelining, 1, window);
        scriptMessages(server, pipelining, window + 1, count);
        scriptQuit(server);
        outcomes[pipelining] = download(server);
        expectScriptPlayed(server);
    }
    EXPECT_EQ(outcomes[1], outcomes[0]);
    ASSERT_EQ(outcomes[1].numbers.size(), std::size_t(count));
    EXPECT_EQ(outcomes[1].senders[count - 1], "Sender" + number(count) + " <s" + number(count) + "@example.org>");
    EXPECT_EQ(outcomes[1].sizes[0], "201 /N.A.");
}

TEST_F(PipelinedDownloadTest, FewerMessagesThanOfferedAreTheOnlyOnesAskedFor)
{
    // Five new messages, the question allows two: only messages 4 and 5 are asked for.
    FakePop3Server server;
    scriptLogin(server, true, 5);
    server.expect("UIDL 1\r\n");  // the start code of a download that leaves messages out
    server.send(repliesOf(1)[2]);
    scriptMessages(server, true, 4, 5);
    scriptQuit(server);
    const Outcome outcome = download(server, 2, 2);
    expectScriptPlayed(server);
    EXPECT_EQ(outcome.numbers, (Strings{"4", "5"}));
    for (const std::string &line : server.received())
        EXPECT_TRUE(line.find(" 3") == std::string::npos && line.find(" 2") == std::string::npos)
            << line;
}

TEST_F(PipelinedDownloadTest, ARefusalInTheMiddleOfAWindowKeepsTheRowsBeforeIt)
{
    Outcome outcomes[2];
    for (const bool pipelining : {false, true}) {
        SCOPED_TRACE(pipelining ? "pipelined" : "one by one");
        FakePop3Server server;
        scriptLogin(server, pipelining, 4);
        if (pipelining) {
            std::string replies;
            for (int n = 1; n <= 4; ++n) {
                for (const std::string &command : commandsOf(n))
                    server.expect(command);
            }
            const Strings first = repliesOf(1);
            replies = first[0] + first[1] + first[2] + "-ERR no such message\r\n";
            for (int n = 2; n <= 4; ++n) {
                const Strings r = repliesOf(n);
                replies += (n == 2 ? std::string() : r[0]) + r[1] + r[2];
            }
            server.send(replies);
        } else {
            scriptMessages(server, false, 1, 1);
            server.expect("TOP 2 0\r\n");
            server.send("-ERR no such message\r\n");
        }
        // The refusal closes the session: QUIT, after the replies sent ahead were read unseen.
        scriptQuit(server);
        outcomes[pipelining] = download(server);
        expectScriptPlayed(server);
    }
    EXPECT_EQ(outcomes[1], outcomes[0]);
    EXPECT_EQ(outcomes[1].numbers, (Strings{"1"}));
    EXPECT_EQ(outcomes[1].stopped, "-ERR no such message");
}

TEST_F(PipelinedDownloadTest, TheWalksListingGoesWithTheLoginAndChangesNothing)
{
    // A mark on message 2: a server that pipelines gets the walk's UIDL listing in the login's
    // write (it answers nothing before it has read it), one that does not gets it after STAT.
    // An empty mailbox leaves the listing unread, a refused login its "-ERR".
    struct Case {
        const char *name;
        int count;
        bool refused;
    };
    for (const Case &c : {Case{"three messages", 3, false}, Case{"empty", 0, false},
                          Case{"refused", 3, true}}) {
        SCOPED_TRACE(c.name);
        Outcome outcomes[2];
        for (const bool pipelining : {false, true}) {
            SCOPED_TRACE(pipelining ? "pipelined" : "one by one");
            FakePop3Server server;
            std::string listing = "+OK\r\n";
            for (int n = 1; n <= c.count; ++n)
                listing += number(n) + " uid-" + number(n) + "\r\n";
            listing += ".\r\n";
            const std::string pass = c.refused ? "-ERR [AUTH] wrong\r\n" : "+OK\r\n";
            const std::string stat = c.refused ? "-ERR not logged in\r\n"
                                               : "+OK " + number(c.count) + " 1000\r\n";
            server.send("+OK ready\r\n");
            server.expect("CAPA\r\n");
            server.send(pipelining ? "+OK\r\nPIPELINING\r\n.\r\n" : "-ERR unknown\r\n");
            server.expect("USER joe\r\n");
            if (!pipelining)
                server.send("+OK\r\n");
            server.expect("PASS secret\r\n");
            if (!pipelining)
                server.send(pass);
            if (!pipelining && !c.refused) {
                server.expect("STAT\r\n");
                server.send(stat);
            }
            if (pipelining) {
                server.expect("STAT\r\n");
                server.expect("UIDL\r\n");
                server.send("+OK\r\n" + pass + stat + (c.refused ? "-ERR not logged in\r\n" : listing));
            } else if (c.count > 0 && !c.refused) {
                server.expect("UIDL\r\n");
                server.send(listing);
            }
            if (c.count > 0 && !c.refused)
                scriptMessages(server, pipelining, 3, c.count);
            scriptQuit(server);
            const std::string refusal = "Authentication failed: the server did not accept the user "
                                        "name or the password (server: -ERR [AUTH] wrong)";
            outcomes[pipelining] = download(server, 1000, std::nullopt, messageCode("uid-2\r\n"),
                                            c.refused ? std::optional(refusal) : std::nullopt);
            expectScriptPlayed(server);
        }
        EXPECT_EQ(outcomes[1], outcomes[0]);
        EXPECT_EQ(outcomes[1].numbers, c.count > 0 && !c.refused ? Strings{"3"} : Strings{});
        EXPECT_EQ(outcomes[1].stopped.empty(), !c.refused);
    }
}

}  // namespace
}  // namespace kestrix::test
