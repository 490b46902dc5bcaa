// The header download's batch against the fake server, with and without PIPELINING in CAPA:
// the same replies, status texts and failures message by message, whether the replies come one
// by one, merged into one segment after the server read the commands of 500 messages, split
// into small pieces, or in windows of 3,000 messages through a socket too small for the commands
// waiting; "-ERR" for one TOP in the middle of a window; a close in the middle of a window; the
// login's USER, PASS and STAT in one write; the Busy rule.
#include "pop3_client_fixture.h"
#include "support/pop3_dialogue.h"
#include "transport/pop3_batch.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <utility>

using namespace kestrix;
using kestrix::test::FakePop3Server;

namespace {

using Strings = std::vector<std::string>;

std::string number(int n) { return std::to_string(n); }
std::string topReply(int n)
{
    return "+OK\r\nFrom: s" + number(n) + "@example.org\r\nSubject: m" + number(n) + "\r\n\r\n.\r\n";
}
std::string listReply(int n) { return "+OK " + number(n) + " " + number(100 + n) + "\r\n"; }
std::string uidlReply(int n) { return "+OK " + number(n) + " uid" + number(n) + "\r\n"; }
Strings commandsOf(int n)
{
    return {"TOP " + number(n) + " 0\r\n", "LIST " + number(n) + "\r\n", "UIDL " + number(n) + "\r\n"};
}

// What a run through one batch gave, message by message.
struct Fetched {
    Strings results;  // "subject|size|uid" or "failed: why"
    Strings statuses;  // the status texts after the login
    bool operator==(const Fetched &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Fetched &f)
{
    for (const std::string &r : f.results)
        out << "  " << r << "\n";
    for (const std::string &s : f.statuses)
        out << "  status: " << s;
    return out;
}

class Pop3PipeliningTest : public ::testing::Test {
protected:
    static void scriptLogin(FakePop3Server &server, bool pipelining, int count)
    {
        kestrix::test::scriptCapaLogin(server, pipelining, count);
    }

    // Each command answered before the next is read.
    static void scriptInTurn(FakePop3Server &server, int first, int last)
    {
        for (int n = first; n <= last; ++n) {
            const Strings commands = commandsOf(n);
            const Strings replies = {topReply(n), listReply(n), uidlReply(n)};
            for (std::size_t k = 0; k < 3; ++k) {
                server.expect(commands[k]);
                server.send(replies[k]);
            }
        }
    }

    static void scriptQuit(FakePop3Server &server)
    {
        server.expect("QUIT\r\n");
        server.send("+OK bye\r\n");
    }

    // Login, then every message 1..count through one batch as the download does it, then QUIT.
    static Fetched fetchAll(FakePop3Server &server, int count)
    {
        TNMPOP3 pop;
        pop.Host = "127.0.0.1";
        pop.Port = server.port();
        pop.TimeOut = 10000;
        pop.ReportLevel = 2;
        pop.UserID = "joe";
        pop.Password = "secret";
        pop.Security = Pop3Security::Auto;
        Fetched out;
        bool loggedIn = false;
        pop.OnStatus = [&](TPowersock *, const std::string &text) {
            if (loggedIn)
                out.statuses.push_back(text);
        };
        pop.Connect();
        loggedIn = true;
        {
            Pop3Batch batch(pop, 1, count);
            for (int n = 1; n <= count && pop.Connected(); ++n) {
                try {
                    batch.fetchSummary(n);
                    const std::string summary = pop.Summary.Subject + "|" + number(pop.Summary.Bytes);
                    out.results.push_back(summary + "|" + batch.fetchUniqueId(n));
                } catch (const std::exception &error) {
                    out.results.push_back(std::string("failed: ") + error.what());
                }
            }
        }
        pop.Disconnect();
        pop.OnStatus = nullptr;
        return out;
    }

    static void expectScriptPlayed(FakePop3Server &server)
    {
        EXPECT_TRUE(server.waitUntilScriptDone());
        for (const std::string &failure : server.failures())
            ADD_FAILURE() << failure;
    }
};

TEST_F(Pop3PipeliningTest, PipelinedOrNotTheBatchGivesTheSameRepliesAndStatusTexts)
{
    constexpr int count = 509;
    FakePop3Server oneByOne;
    scriptLogin(oneByOne, false, count);
    scriptInTurn(oneByOne, 1, count);
    scriptQuit(oneByOne);
    const Fetched yardstick = fetchAll(oneByOne, count);
    expectScriptPlayed(oneByOne);
    ASSERT_EQ(yardstick.results.size(), std::size_t(count));
    EXPECT_EQ(yardstick.results[1], " m2|102|uid2\r\n");

    const auto inOneSegment = [](FakePop3Server &s, const std::string &replies) { s.send(replies); };
    struct Case {
        const char *name;
        // The server reads the commands of this many messages before it answers any of them,
        // and reads nothing while it writes.
        int window;
        int count;
        int receiveBuffer;  // the server's socket's, in bytes; 0: as the system sets it
        std::function<void(FakePop3Server &, const std::string &)> reply;
    };
    const Case cases[] = {
        {"in one segment after the window arrived", 500, count, 0, inOneSegment},
        {"split into pieces of 7 bytes", 500, count, 0,
         [](FakePop3Server &s, const std::string &replies) {
             s.sendInPieces(replies, 7, std::chrono::milliseconds(0));
         }},
        // More commands than the socket between us holds: they wait queued while the replies
        // are read, and go out as the server reads on.
        {"windows of 3,000 through a small socket", 3000, 12000, 4096, inOneSegment},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LT(c.window * 36, int(Pop3Batch::windowBytes));
        FakePop3Server server;
        if (c.receiveBuffer > 0)
            server.shrinkReceiveBuffer(c.receiveBuffer);
        scriptLogin(server, true, c.count);
        for (int first = 1; first <= c.count; first += c.window) {
            std::string replies;
            for (int n = first; n <= std::min(c.count, first + c.window - 1); ++n) {
                for (const std::string &command : commandsOf(n))
                    server.expect(command);
                replies += topReply(n) + listReply(n) + uidlReply(n);
            }
            c.reply(server, replies);
        }
        scriptQuit(server);
        const Fetched fetched = fetchAll(server, c.count);
        if (c.count == count) {
            EXPECT_EQ(fetched, yardstick);
        } else {
            ASSERT_EQ(fetched.results.size(), std::size_t(c.count));
            for (const int n : {1, c.window, c.window + 1, c.count})
                EXPECT_EQ(fetched.results[std::size_t(n - 1)],
                          " m" + number(n) + "|" + number(100 + n) + "|uid" + number(n) + "\r\n");
        }
        expectScriptPlayed(server);
    }
}

TEST_F(Pop3PipeliningTest, ARefusedTopInTheMiddleOfAWindowFailsThatMessageOnly)
{
    // Message 2 is refused; the replies to its LIST and UIDL, sent ahead, are read unseen.
    Fetched runs[2];
    for (const bool pipelining : {false, true}) {
        SCOPED_TRACE(pipelining ? "pipelined" : "one by one");
        FakePop3Server server;
        scriptLogin(server, pipelining, 3);
        if (pipelining) {
            for (int n = 1; n <= 3; ++n)
                for (const std::string &command : commandsOf(n))
                    server.expect(command);
            server.send(topReply(1) + listReply(1) + uidlReply(1) + "-ERR no such message\r\n"
                        + listReply(2) + uidlReply(2) + topReply(3) + listReply(3) + uidlReply(3));
        } else {
            scriptInTurn(server, 1, 1);
            server.expect("TOP 2 0\r\n");
            server.send("-ERR no such message\r\n");
            scriptInTurn(server, 3, 3);
        }
        scriptQuit(server);
        runs[pipelining] = fetchAll(server, 3);
        expectScriptPlayed(server);
    }
    EXPECT_EQ(runs[1], runs[0]);
    EXPECT_EQ(runs[1].results,
              (Strings{" m1|101|uid1\r\n", "failed: -ERR no such message\r\n", " m3|103|uid3\r\n"}));
}

TEST_F(Pop3PipeliningTest, ACloseInTheMiddleOfAWindowEndsTheBatchAndNothingMoreIsSent)
{
    FakePop3Server server;
    scriptLogin(server, true, 3);
    for (int n = 1; n <= 3; ++n)
        for (const std::string &command : commandsOf(n))
            server.expect(command);
    server.send(topReply(1) + listReply(1) + uidlReply(1) + "+OK\r\nFrom: s2@exam");
    server.closeConnection();
    const Fetched fetched = fetchAll(server, 3);
    expectScriptPlayed(server);
    ASSERT_EQ(fetched.results.size(), 2u);
    EXPECT_EQ(fetched.results[0], " m1|101|uid1\r\n");
    EXPECT_EQ(fetched.results[1].rfind("failed: ", 0), 0u);
    // The nine commands of the window, then nothing (no QUIT on a closed connection).
    EXPECT_EQ(server.received().size(), 4u + 9u);
}

TEST_F(Pop3PipeliningTest, APipeliningServerGetsUserPassAndStatInOneWriteWithTheSameOutcomes)
{
    // Security "None" asks CAPA too. A server that lists PIPELINING reads USER, PASS and STAT
    // before it answers any of them, and with the CAPA too where the client remembers that it
    // pipelines (also when it no longer does); one that refuses CAPA gets them one at a time.
    // Either way a refusal means the same, and the replies that came after it are read unseen.
    struct Case {
        const char *name;
        std::string user, pass, stat;  // the replies
        std::string failure;           // "" when the login passes
    };
    const Case cases[] = {
        {"accepted", "+OK\r\n", "+OK logged in\r\n", "+OK 2 300\r\n", ""},
        {"user refused", "-ERR unknown user\r\n", "-ERR no USER\r\n", "-ERR not logged in\r\n",
         "Authentication failed"},
        {"mailbox in use", "+OK\r\n", "-ERR [IN-USE] locked\r\n", "-ERR not logged in\r\n",
         "Authentication failed"},
        {"stat refused", "+OK\r\n", "+OK\r\n", "-ERR [SYS/TEMP] try later\r\n",
         "-ERR [SYS/TEMP] try later\r\n"},
    };
    struct Mode {
        const char *name;
        bool listed, remembered;
    };
    const Mode modes[] = {{"one by one", false, false},
                          {"learnt", true, false},
                          {"remembered", true, true},
                          {"remembered, no longer listed", false, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        struct Outcome {
            std::string failure, command, code;
            int count = -1;
            Strings statuses;  // from the reply to USER on
            bool operator==(const Outcome &) const = default;
        } outcomes[std::size(modes)];
        for (std::size_t m = 0; m < std::size(modes); ++m) {
            const Mode &mode = modes[m];
            SCOPED_TRACE(mode.name);
            FakePop3Server server;
            server.send("+OK ready\r\n");
            server.expect("CAPA\r\n");
            const std::string capa
                = mode.listed ? "+OK\r\nUSER\r\nPIPELINING\r\n.\r\n" : "-ERR unknown command\r\n";
            if (!mode.remembered)
                server.send(capa);
            // Sent ahead, the login is read whole before anything is answered.
            const bool ahead = mode.listed || mode.remembered;
            const std::string replies[] = {c.user, c.pass, c.stat};
            const std::string commands[] = {"USER joe\r\n", "PASS secret\r\n", "STAT\r\n"};
            for (int k = 0; k < 3; ++k) {
                server.expect(commands[k]);
                if (!ahead)
                    server.send(replies[k]);
                if (!ahead && replies[k][0] == '-')
                    break;
            }
            if (ahead)
                server.send((mode.remembered ? capa : std::string()) + c.user + c.pass + c.stat);
            scriptQuit(server);
            TNMPOP3 pop;
            pop.Host = "127.0.0.1";
            pop.Port = server.port();
            pop.TimeOut = 10000;
            pop.UserID = "joe";
            pop.Password = "secret";
            pop.PipeliningRemembered = mode.remembered;
            Outcome &out = outcomes[m];
            pop.OnStatus = [&](TPowersock *, const std::string &text) {
                if (!out.statuses.empty() || text == c.user)
                    out.statuses.push_back(text);
            };
            try {
                pop.Connect();
                out.count = pop.MessageCount();
                pop.Disconnect();
            } catch (const EPop3Refusal &refusal) {
                out.failure = refusal.what();
                out.command = refusal.command();
                out.code = refusal.responseCode();
            } catch (const std::exception &error) {
                out.failure = error.what();
            }
            pop.OnStatus = nullptr;
            EXPECT_EQ(pop.Pipelining(), mode.listed);
            EXPECT_EQ(pop.PipeliningListed(), std::optional<bool>(mode.listed));
            EXPECT_EQ(out.failure, c.failure);
            expectScriptPlayed(server);
            EXPECT_EQ(outcomes[m], outcomes[0]);
        }
    }
}

TEST_F(Pop3PipeliningTest, ABatchIsOneOperationForTheBusyRule)
{
    TNMPOP3 pop;
    {
        Pop3Batch batch(pop, 1, 3);
        EXPECT_TRUE(pop.Busy());
        pop.FetchSummary(1);  // from an event handler meanwhile: nothing happens
        EXPECT_THROW(Pop3Batch(pop, 1, 3), EBusyError);
    }
    EXPECT_FALSE(pop.Busy());
}

}  // namespace
