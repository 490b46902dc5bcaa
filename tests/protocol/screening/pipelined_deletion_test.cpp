// A deletion against a server that lists PIPELINING, beside the same one without it: each check
// goes out with its DELE in one batch; where a check does not hold or is refused, the batch is
// undone (RSET) and the deletion goes on check by check, so the same messages are deleted, left
// alone, logged and counted, with the same failure, as one command at a time.
#include "profiles/quarantine_store.h"
#include "support/screener_fixture.h"
#include "transport/pop3_refusal.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::test {
namespace {

using Strings = std::vector<std::string>;

std::string number(int n) { return std::to_string(n); }

struct Case {
    const char *what;
    std::string uidl2;  // the server's answer to UIDL 2 (message 2's id was uid-2)
    bool undone;        // the one batch is undone
};

struct Outcome {
    Strings numbers, log, statuses;
    int deleted = 0, leftAlone = 0, counted = 0;
    std::string failure;
    bool operator==(const Outcome &) const = default;
};

// Rows 1..3 show messages 1..3 (ids uid-1..uid-3); all three are deleted.
Outcome deleteAll(const Case &c, bool pipelining, Strings &wire)
{
    FakePop3Server server;
    const auto answer = [&](int n) {
        return n == 2 ? c.uidl2 : "+OK " + number(n) + " uid-" + number(n) + "\r\n";
    };
    // The checks one by one up to a refused one, then the DELEs of the messages that held.
    const auto checksThenDeles = [&](bool ahead) {
        std::vector<int> held;
        for (int n = 3; n >= 1; --n) {
            server.expect("UIDL " + number(n) + "\r\n");
            server.send(answer(n));
            if (answer(n).rfind("-ERR", 0) == 0) {
                if (ahead) {  // the checks after it went out in the same batch
                    for (int m = n - 1; m >= 1; --m) {
                        server.expect("UIDL " + number(m) + "\r\n");
                        server.send(answer(m));
                    }
                }
                break;
            }
            if (answer(n).find("uid-" + number(n)) != std::string::npos)
                held.push_back(n);
        }
        for (const int n : held) {
            server.expect("DELE " + number(n) + "\r\n");
            server.send("+OK\r\n");
        }
    };
    scriptCapaLogin(server, pipelining, 3);
    if (pipelining) {
        for (int n = 3; n >= 1; --n) {
            server.expect("UIDL " + number(n) + "\r\n");
            server.expect("DELE " + number(n) + "\r\n");
        }
        std::string replies;
        for (int n = 3; n >= 1; --n)
            replies += answer(n) + "+OK\r\n";
        server.send(replies);
        if (c.undone) {
            server.expect("RSET\r\n");
            server.send("+OK\r\n");
            checksThenDeles(true);
        }
    } else {
        checksThenDeles(false);
    }
    server.expect("QUIT\r\n");
    server.send("+OK bye\r\n");

    ScreenerFixture f;
    f.pointAt(server.port());
    f.s.profile.conf.setSecurityMode(SecurityMode::Auto);
    for (int n = 1; n <= 3; ++n)
        f.addMessage(n, "spam" + number(n) + "@example.net", "offer " + number(n),
                     ScreenerFixture::codeOf("uid-" + number(n)));
    f.s.buildMessageTable(false);
    EXPECT_TRUE(f.s.connectSession()) << f.s.session.sessionError;
    const std::size_t before = f.view.statusHistory.size();
    try {
        f.s.deleteRows({1, 2, 3});
    } catch (const std::exception &) {
    }
    f.s.closeSession();
    EXPECT_TRUE(server.waitUntilScriptDone());
    for (const std::string &failure : server.failures())
        ADD_FAILURE() << failure;
    wire = server.received();

    Outcome out;
    out.numbers = f.s.messages.ListBox1();
    for (const auto &row : f.s.profile.rejectedLog.rows())
        out.log.push_back(std::string(row.sender));
    out.statuses.assign(f.view.statusHistory.begin() + long(before), f.view.statusHistory.end());
    out.deleted = f.s.lastDeletion.deleted;
    out.leftAlone = f.s.lastDeletion.leftAlone;
    out.counted = f.s.profile.settings.DeletedCount;
    out.failure = f.s.lastDeletion.failure;
    return out;
}

TEST(PipelinedDeletionTest, OneBatchOrCheckByCheckTheSameMessagesGo)
{
    const Case cases[] = {
        {"every check holds", "+OK 2 uid-2\r\n", false},
        {"message 2 is another message now", "+OK 2 uid-x\r\n", true},
        {"the check of message 2 is refused", "-ERR no such message\r\n", true},
    };
    const Strings left[] = {{}, {"1"}, {"1", "2"}};  // the rows left, renumbered
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case &c = cases[k];
        SCOPED_TRACE(c.what);
        Strings wire;
        const Outcome oneByOne = deleteAll(c, false, wire);
        Outcome pipelined = deleteAll(c, true, wire);
        EXPECT_EQ(pipelined.numbers, left[k]);
        EXPECT_EQ(std::count(wire.begin(), wire.end(), "RSET\r\n"), c.undone ? 1 : 0);
        if (!c.undone) {
            // The same texts, each check's beside its DELE's instead of all checks first.
            std::sort(pipelined.statuses.begin(), pipelined.statuses.end());
            Outcome sorted = oneByOne;
            std::sort(sorted.statuses.begin(), sorted.statuses.end());
            EXPECT_EQ(pipelined, sorted);
        } else {
            EXPECT_EQ(pipelined, oneByOne);
        }
    }
}

// A server that refuses the DELE of some messages. Where the DELEs went out together, those
// written ahead of the refusal are carried out at QUIT when the server acknowledged them: the
// messages gone from the server, the rows gone from the table, the log and the count agree, and
// the run fails with the refusal's text as one command at a time. So with Deleted mail on, where
// the RETRs follow the checks and the QUIT goes out with the DELEs.
TEST(PipelinedDeletionTest, ARefusedDeleLeavesServerTableLogAndCountAlike)
{
    struct Refusals {
        const char *what;
        std::vector<int> numbers;  // the messages whose DELE the server refuses
    };
    const Refusals cases[] = {
        {"the first DELE", {4}},
        {"a DELE in the middle", {2}},
        {"the last DELE", {1}},
        {"two DELEs", {3, 2}},
    };
    const std::string refusal = "-ERR message is locked\r\n";
    for (const Refusals &c : cases) {
        SCOPED_TRACE(c.what);
        const auto refused = [&](int n) {
            return std::find(c.numbers.begin(), c.numbers.end(), n) != c.numbers.end();
        };
        std::string oneByOneFailure;
        for (const auto &[pipelining, copies] : {std::pair{false, false}, {true, false},
                                                {false, true}, {true, true}}) {
            SCOPED_TRACE(pipelining ? "pipelined" : "one at a time");
            SCOPED_TRACE(copies ? "Deleted mail on" : "Deleted mail off");
            FakePop3Server server;
            scriptCapaLogin(server, pipelining, 4);
            Strings gone;  // the senders of the messages the server acknowledged a DELE of
            if (pipelining && !copies) {
                // Each check with its DELE: refused, so undone; then the checks, then the DELEs.
                std::string replies;
                for (int n = 4; n >= 1; --n) {
                    server.expect("UIDL " + number(n) + "\r\n");
                    server.expect("DELE " + number(n) + "\r\n");
                    replies += "+OK " + number(n) + " uid-" + number(n) + "\r\n"
                               + (refused(n) ? refusal : "+OK\r\n");
                }
                server.send(replies);
                server.expect("RSET\r\n");
                server.send("+OK\r\n");
            }
            for (int n = 4; n >= 1; --n) {
                server.expect("UIDL " + number(n) + "\r\n");
                server.send("+OK " + number(n) + " uid-" + number(n) + "\r\n");
            }
            for (int n = 4; copies && n >= 1; --n) {
                server.expect("RETR " + number(n) + "\r\n");
                server.send("+OK\r\nSubject: offer " + number(n) + "\r\n\r\nHi\r\n.\r\n");
            }
            for (int n = 4; n >= 1; --n) {
                server.expect("DELE " + number(n) + "\r\n");
                server.send(refused(n) ? refusal : "+OK\r\n");
                if (refused(n) && !pipelining)
                    break;  // nothing follows a refusal when each command waits
                if (!refused(n))
                    gone.push_back("spam" + number(n) + "@example.net");
            }
            server.expect("QUIT\r\n");
            server.send("+OK bye\r\n");

            ScreenerFixture f;
            f.pointAt(server.port());
            f.s.profile.conf.setSecurityMode(SecurityMode::Auto);
            if (copies) {
                f.s.profile.quarantine.emplace(
                    QuarantineStore::folderFor(f.folder.dir(), "default"), QuarantineLimits{});
                ASSERT_EQ(f.s.profile.quarantine->open(), "");
            }
            for (int n = 1; n <= 4; ++n)
                f.addMessage(n, "spam" + number(n) + "@example.net", "offer " + number(n),
                             ScreenerFixture::codeOf("uid-" + number(n)));
            f.s.buildMessageTable(false);
            ASSERT_TRUE(f.s.connectSession()) << f.s.session.sessionError;
            EXPECT_THROW(f.s.deleteRows({1, 2, 3, 4}), EPop3Refusal);
            f.s.closeSession();
            EXPECT_TRUE(server.waitUntilScriptDone());
            for (const std::string &failure : server.failures())
                ADD_FAILURE() << failure;

            Strings logged, kept;
            for (const auto &row : f.s.profile.rejectedLog.rows())
                logged.push_back(std::string(row.sender));
            logged.erase(logged.begin());  // the title row
            for (const auto &row : f.s.messages.rows)
                kept.push_back(row.sender);
            EXPECT_EQ(logged, gone);
            EXPECT_EQ(f.s.profile.settings.DeletedCount, int(gone.size()));
            EXPECT_EQ(f.s.lastDeletion.deleted, int(gone.size()));
            EXPECT_EQ(kept.size() + gone.size(), 4u);
            // Every copy was on the disk before the first DELE, refused or not.
            if (copies) {
                EXPECT_EQ(f.s.profile.quarantine->entries().size(), 4u);
            }
            for (const std::string &sender : gone)
                EXPECT_EQ(std::count(kept.begin(), kept.end(), sender), 0) << sender;
            if (!pipelining)
                oneByOneFailure = f.s.lastDeletion.failure;
            EXPECT_EQ(f.s.lastDeletion.failure, oneByOneFailure);
            EXPECT_NE(oneByOneFailure.find("locked"), std::string::npos) << oneByOneFailure;
        }
    }
}

}  // namespace
}  // namespace kestrix::test
