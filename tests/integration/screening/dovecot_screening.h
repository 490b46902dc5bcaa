#pragma once
// A Screener on a recording view and a scripted prompter, with its POP3 client pointed at a
// throw-away Dovecot, and the get-and-check command of the window as one call.
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "support/recording_view.h"
#include "support/scripted_prompter.h"
#include "transport/pop3_client.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kestrix::test {

class DovecotScreeningTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!DovecotServer::available())
            GTEST_SKIP() << "dovecot is not installed";
    }

    void TearDown() override
    {
        pop.OnStatus = nullptr;
        pop.OnDisconnect = nullptr;
    }

    // Starts the server with messages from the senders "Sender<k> <s<k>@example.org>" and the
    // subjects "Subject <k>", k = 1..count.
    void startServer(int count)
    {
        std::vector<std::string> messages;
        for (int k = 1; k <= count; ++k)
            messages.push_back(DovecotServer::makeMessage(sender(k), subject(k)));
        startServer(messages);
    }

    void startServer(const std::vector<std::string> &messages)
    {
        dovecot = std::make_unique<DovecotServer>(messages);
        s.settings.Host = dovecot->host();
        s.settings.Port = std::to_string(dovecot->port());
        s.settings.UserId = dovecot->user();
        s.password = dovecot->password();
        attached = s.attachPop3(pop);
    }

    static std::string sender(int k)
    {
        return "Sender" + std::to_string(k) + " <s" + std::to_string(k) + "@example.org>";
    }
    static std::string subject(int k) { return "Subject " + std::to_string(k); }

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
    TNMPOP3 pop;
    RecordingView view;
    ScriptedPrompter prompter;
    Screener s{view, prompter};
    Pop3Attachment attached;
};

}  // namespace kestrix::test
