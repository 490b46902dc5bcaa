#pragma once
// The server's side of a POP3 dialogue with the fake server, written as a script:
//   server("+OK ready\r\n"); expectClient("USER joe\r\n"); server("+OK\r\n"); ...
// A test fixture derives from Pop3Dialogue (beside ::testing::Test) and points its client at
// 127.0.0.1:fake.port(). finishDialogue() checks that the server heard exactly what the script
// expected and prints the whole exchange when it did not.
#include "support/fake_pop3_server.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix::test {

class Pop3Dialogue {
protected:
    void server(const std::string &bytes) { fake.send(bytes); }
    void expectClient(const std::string &line) { fake.expect(line); }

    // USER joe and PASS secret accepted, then STAT expected; its answer is the test's.
    void scriptUserPassStat()
    {
        expectClient("USER joe\r\n");
        server("+OK\r\n");
        expectClient("PASS secret\r\n");
        server("+OK logged in\r\n");
        expectClient("STAT\r\n");
    }

    // CAPA refused, as by a server of the first POP3 standard: no capabilities, the login goes
    // on one command at a time.
    void scriptNoCapa()
    {
        expectClient("CAPA\r\n");
        server("-ERR unknown command\r\n");
    }

    // Greeting, CAPA refused, USER joe, PASS secret and STAT answered with "+OK count 1000".
    void scriptLogin(int count)
    {
        server("+OK POP3 ready\r\n");
        scriptNoCapa();
        scriptUserPassStat();
        server("+OK " + std::to_string(count) + " 1000\r\n");
    }

    void scriptUidl(int n, const std::string &uid)
    {
        expectClient("UIDL " + std::to_string(n) + "\r\n");
        server("+OK " + std::to_string(n) + " " + uid + "\r\n");
    }

    // TOP n 0 answered with a From and a Subject line, then LIST n with the size.
    void scriptSummary(int n, const std::string &from, const std::string &subject, int size = 100)
    {
        expectClient("TOP " + std::to_string(n) + " 0\r\n");
        server("+OK\r\nFrom: " + from + "\r\nSubject: " + subject + "\r\n\r\n.\r\n");
        expectClient("LIST " + std::to_string(n) + "\r\n");
        server("+OK " + std::to_string(n) + " " + std::to_string(size) + "\r\n");
    }

    void scriptQuit()
    {
        expectClient("QUIT\r\n");
        server("+OK bye\r\n");
    }

    // moreContext: printed after the client's lines on a failure (status texts, for example).
    void finishDialogue(const std::string &moreContext = {})
    {
        SCOPED_TRACE("dialogue with the fake server");
        std::string exchange = "client sent:\n";
        for (const std::string &line : fake.received())
            exchange += "  " + line;
        exchange += moreContext;
        EXPECT_TRUE(fake.waitUntilScriptDone()) << exchange;
        for (const std::string &failure : fake.failures())
            ADD_FAILURE() << failure << "\n" << exchange;
    }

    // Declared before the fixture's own members, so it outlives the client that talks to it.
    FakePop3Server fake;
};

// Greeting, CAPA (PIPELINING listed or not), USER joe, PASS secret, and STAT answered with
// "+OK count 1000": a login under the automatic security against a server without STLS.
inline void scriptCapaLogin(FakePop3Server &server, bool pipelining, int count)
{
    server.send("+OK ready\r\n");
    server.expect("CAPA\r\n");
    server.send(std::string("+OK\r\nTOP\r\nUSER\r\nUIDL\r\n") + (pipelining ? "PIPELINING\r\n" : "")
                + ".\r\n");
    server.expect("USER joe\r\n");
    server.send("+OK\r\n");
    server.expect("PASS secret\r\n");
    server.send("+OK\r\n");
    server.expect("STAT\r\n");
    server.send("+OK " + std::to_string(count) + " 1000\r\n");
}

}  // namespace kestrix::test
