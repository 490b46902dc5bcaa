#pragma once
// A POP3 client talking to the fake server, written as a dialogue:
//   server("+OK ready\r\n"); expectClient("USER joe\r\n"); server("+OK\r\n"); ...
// finishDialogue() checks that the server heard exactly what the script expected and prints
// the whole exchange (client lines and status texts) when it did not.
#include "support/fake_pop3_server.h"
#include "transport/pop3_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrix::test {

class Pop3DialogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pop.Host = "127.0.0.1";
        pop.Port = fake.port();
        pop.TimeOut = 10000;
        pop.ReportLevel = 2;
        pop.UserID = "joe";
        pop.Password = "secret";
        pop.OnStatus = [this](TPowersock *, const std::string &status) { statusTexts.push_back(status); };
    }

    // Handlers may capture a test's locals: none may run while the client is destroyed.
    void TearDown() override { pop.OnStatus = nullptr; }

    void server(const std::string &bytes) { fake.send(bytes); }
    void expectClient(const std::string &line) { fake.expect(line); }

    // Greeting, USER, PASS and STAT answered with "+OK count 1000".
    void scriptLogin(int count)
    {
        server("+OK POP3 ready\r\n");
        expectClient("USER joe\r\n");
        server("+OK\r\n");
        expectClient("PASS secret\r\n");
        server("+OK logged in\r\n");
        expectClient("STAT\r\n");
        server("+OK " + std::to_string(count) + " 1000\r\n");
    }

    void scriptQuit()
    {
        expectClient("QUIT\r\n");
        server("+OK bye\r\n");
    }

    void finishDialogue()
    {
        SCOPED_TRACE("dialogue with the fake server");
        std::string exchange = "client sent:\n";
        for (const std::string &line : fake.received())
            exchange += "  " + line;
        exchange += "status texts:\n";
        for (const std::string &text : statusTexts)
            exchange += "  " + text + (text.empty() || text.back() != '\n' ? "\n" : "");
        EXPECT_TRUE(fake.waitUntilScriptDone()) << exchange;
        for (const std::string &failure : fake.failures())
            ADD_FAILURE() << failure << "\n" << exchange;
    }

    bool sawStatus(const std::string &text) const
    {
        return std::find(statusTexts.begin(), statusTexts.end(), text) != statusTexts.end();
    }

    std::vector<std::string> statusTexts;
    FakePop3Server fake;
    TNMPOP3 pop;
};

// The message of the exception f raises, or "" when it raises none.
template <typename F>
std::string failureOf(F f)
{
    try {
        f();
    } catch (const std::exception &e) {
        return e.what();
    }
    return {};
}

}  // namespace kestrix::test
