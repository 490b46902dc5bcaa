#pragma once
// The tests' Screener run as the window runs it against a real server: the get-and-check
// command as one call and the rows it leaves; DovecotScreeningTest points it at a throw-away
// Dovecot.
#include "support/dovecot_server.h"
#include "support/screener_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrix::test {

class ScreeningRunTest : public ScreenerTest, protected NumberedMailbox {
protected:
    // A command queued and run by one tick of the dispatcher, as the window runs it; it must
    // go through and leave no session open.
    void runCommand(PendingCommand code)
    {
        s.dispatcher.pendingCommand = code;
        s.dispatcher.Timer2Timer();
        ASSERT_TRUE(s.session.sessionError.empty()) << s.session.sessionError;
        EXPECT_TRUE(s.session.commandFailure.empty()) << s.session.commandFailure;
        EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
        EXPECT_FALSE(s.session.isOpen());
        prompter.verifyAllAsked();
    }
    // The window's get-and-check command (download, reclassify, QUIT).
    void getAndCheck() { runCommand(cmdGetAndCheck); }

    std::vector<std::string> numbers() const { return s.messages.ListBox1(); }
    // Message k's sender for each row.
    std::vector<std::string> sendersOf(std::initializer_list<int> ks) const
    {
        std::vector<std::string> out;
        for (int k : ks)
            out.push_back(sender(k));
        return out;
    }
};

class DovecotScreeningTest : public ScreeningRunTest {
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

    std::unique_ptr<DovecotServer> dovecot;
};

}  // namespace kestrix::test
