#pragma once
// The tests' Screener with its POP3 client pointed at a throw-away Dovecot, and the get-and-check
// command of the window as one call.
#include "support/dovecot_server.h"
#include "support/screener_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrix::test {

class DovecotScreeningTest : public ScreenerTest, protected NumberedMailbox {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
    }

    void startServer(int count) { startServer(numberedMessages(count)); }
    void startServer(const std::vector<std::string> &messages)
    {
        dovecot = std::make_unique<DovecotServer>(messages);
        pointAt(*dovecot);
    }

    // The window's get-and-check command (download, reclassify, QUIT), queued and run by one
    // tick of the dispatcher as the window runs it.
    void getAndCheck()
    {
        s.pendingCommand = cmdGetAndCheck;
        s.Timer2Timer();
        ASSERT_TRUE(s.sessionError.empty()) << s.sessionError;
        EXPECT_EQ(s.pendingCommand, cmdIdle);
        EXPECT_FALSE(s.sessionOpen());
        prompter.verifyAllAsked();
    }

    std::vector<std::string> numbers() const { return s.ListBox1(); }
    // Message k's sender for each row.
    std::vector<std::string> sendersOf(std::initializer_list<int> ks) const
    {
        std::vector<std::string> out;
        for (int k : ks)
            out.push_back(sender(k));
        return out;
    }

    std::unique_ptr<DovecotServer> dovecot;
};

}  // namespace kestrix::test
