#pragma once
// A POP3 client talking to the scripted fake server (support/pop3_dialogue.h). A failed
// dialogue also prints the client's status texts, which carry every reply it read.
#include "support/pop3_dialogue.h"
#include "transport/pop3_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrix::test {

class Pop3ClientFixture : public ::testing::Test, protected Pop3Dialogue {
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

    void finishDialogue()
    {
        std::string texts = "status texts:\n";
        for (const std::string &text : statusTexts)
            texts += "  " + text + (text.empty() || text.back() != '\n' ? "\n" : "");
        Pop3Dialogue::finishDialogue(texts);
    }

    bool sawStatus(const std::string &text) const
    {
        return std::find(statusTexts.begin(), statusTexts.end(), text) != statusTexts.end();
    }

    std::vector<std::string> statusTexts;
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
