// The automatic security against scripted servers: a server that refuses CAPA is logged into in
// plain text as before; a server that wants TLS for the login gets the offer to switch Security.
// (STLS offered, remembered, then stripped: cli_tls_test, on Dovecot and the fake server.)
#include "support/screener_fixture.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace kestrix::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

class AutomaticSecurityTest : public ScreenerDialogueTest {
protected:
    void SetUp() override
    {
        ScreenerDialogueTest::SetUp();
        s.profile.conf.setSecurityMode(SecurityMode::Auto);
    }

    // Runs the main button's download through the dispatcher, as a click would.
    void getHeaders()
    {
        s.dispatcher.pendingCommand = cmdGetHeaders;
        s.dispatcher.Timer2Timer();
        std::string statuses = "status texts:\n";
        for (const std::string &text : view.statusHistory)
            statuses += "  " + text + "\n";
        finishDialogue(statuses);
        EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
    }
};

TEST_F(AutomaticSecurityTest, ARefusedCapaMeansNoCapabilitiesAndTheLoginGoesOn)
{
    server("+OK ready\r\n");
    expectClient("CAPA\r\n");
    server("-ERR unknown command\r\n");
    scriptUserPassStat();
    server("+OK 0 0\r\n");
    scriptQuit();

    getHeaders();

    EXPECT_THAT(view.statusHistory, Contains("-ERR unknown command"));  // shown, as every reply
    EXPECT_THAT(view.statusHistory, Contains("Password sent without encryption"));
    EXPECT_FALSE(s.session.lastRefusal);
    EXPECT_TRUE(s.session.commandFailure.empty()) << s.session.commandFailure;
    EXPECT_TRUE(s.session.quitConfirmed);
    EXPECT_EQ(view.visible(Control::Panel12), true);  // the all-clear of an empty mailbox
}

TEST_F(AutomaticSecurityTest, AServerThatWantsTlsForTheLoginOffersToSwitchSecurity)
{
    s.profile.conf.setSecurityMode(SecurityMode::None);
    struct ShownMode : WindowSide {
        void securityModeShown(SecurityMode mode) override { shown = mode; }
        SecurityMode shown = SecurityMode::None;
    } window;
    s.setWindowSide(window);
    const SecurityMode &shown = window.shown;
    server("+OK ready\r\n");
    scriptNoCapa();
    expectClient("USER joe\r\n");
    server("-ERR [AUTH] Plaintext authentication disallowed on non-secure (SSL/TLS) connections.\r\n");
    scriptQuit();
    prompter.expectMessage(Prompter::Kind::Error,
                           "Authentication failed: the server takes the password only over an "
                           "encrypted connection; choose \"Automatic\" or \"TLS\" in Security "
                           "(server: -ERR [AUTH] Plaintext authentication disallowed on non-secure "
                           "(SSL/TLS) connections.)");
    prompter.expectYesNo(Prompter::Kind::Confirmation,
                         "Switch Security to \"Automatic\" for this profile?", true);

    getHeaders();

    ASSERT_TRUE(s.session.lastRefusal);
    EXPECT_EQ(s.session.lastRefusal->reason(), Pop3RefusalReason::TlsRequired);
    EXPECT_EQ(ProfileConf::load(s.profile.confFile).securityMode(), SecurityMode::Auto);
    EXPECT_EQ(shown, SecurityMode::Auto);
}

}  // namespace
}  // namespace kestrix::test
