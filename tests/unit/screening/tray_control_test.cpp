// The tray's rules on a recording view and a window made of plain flags: the left click by
// TrayAction, the menu items, the hide-again step, the poller and the new-mail notice.
#include "screening/tray_control.h"
#include "support/screener_fixture.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrix {
namespace {

class TrayControlTest : public test::ScreenerTest, public TrayWindow {
protected:
    TrayControl makeTray() { return TrayControl(s, *this); }

    bool visible() const override { return shown; }
    bool active() const override { return shown && activeWindow; }
    void showNormal() override { shown = true; ++shows; }
    void hide() override { shown = false; ++hides; }
    bool unknownBannerShown() const override { return unknownBanner; }
    void restoreGridColour() override { ++colourRestores; }
    void notify(const std::string &text) override { notices.push_back(text); }

    bool shown = false;
    bool activeWindow = false;
    bool unknownBanner = false;
    int shows = 0;
    int hides = 0;
    int colourRestores = 0;
    std::vector<std::string> notices;
};

TEST_F(TrayControlTest, LeftClickShowsAndQueuesByTrayActionAndPassword)
{
    const struct {
        bool visible;
        std::string password;
        int trayAction;
        bool hideAfterCheck;
        PendingCommand queued;
        bool messagesPage;
        std::optional<bool> panel3, panel12;
    } cases[] = {
        {false, "pw", 1, true, cmdGetHeaders, true, false, false},
        {true, "pw", 1, false, cmdGetHeaders, true, false, false},
        // Without a password the window is only shown: nothing queued, nothing asked.
        {false, "", 1, true, cmdIdle, false, false, std::nullopt},
        {false, "pw", 0, true, cmdIdle, true, std::nullopt, std::nullopt},
        {true, "", 0, false, cmdIdle, false, std::nullopt, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.visible) + " '" + c.password + "' " + std::to_string(c.trayAction));
        view.reset();
        shown = c.visible;
        shows = 0;
        s.session.password = c.password;
        s.profile.settings.TrayAction = c.trayAction;
        s.dispatcher.pendingCommand = cmdIdle;
        TrayControl tray = makeTray();
        tray.leftClick();
        EXPECT_EQ(tray.hideAfterCheck(), c.hideAfterCheck);
        EXPECT_EQ(s.dispatcher.pendingCommand, c.queued);
        EXPECT_TRUE(shown);
        EXPECT_EQ(shows, 1);
        EXPECT_EQ(s.mainButtonMode(), MainButtonMode::GetNew);
        EXPECT_EQ(view.pagesShown, c.messagesPage ? std::vector<Control>{Control::TabSheet3}
                                                  : std::vector<Control>{});
        EXPECT_EQ(view.visible(Control::Panel3), c.panel3);
        EXPECT_EQ(view.visible(Control::Panel12), c.panel12);
    }
}

TEST_F(TrayControlTest, MenuItems)
{
    TrayControl tray = makeTray();
    shown = false;
    EXPECT_FALSE(tray.hideOffered());
    tray.hideItem();  // nothing to hide
    EXPECT_EQ(hides, 0);
    tray.showItem();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(tray.hideOffered());
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);  // "&Show" only shows
    tray.hideItem();
    EXPECT_FALSE(shown);

    // "&Get Messages" queues regardless of TrayAction, but only with a password.
    s.profile.settings.TrayAction = 0;
    tray.getMessagesItem();
    EXPECT_TRUE(tray.hideAfterCheck());
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdIdle);
    s.session.password = "pw";
    shown = false;
    tray.stayShown();
    tray.getMessagesItem();
    EXPECT_TRUE(tray.hideAfterCheck());
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdGetHeaders);
    EXPECT_EQ(view.visible(Control::Panel12), false);

    tray.mailToolItem();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdStartMailTool);
}

TEST_F(TrayControlTest, HideAgainOnlyWhenShownForTheCheckAndNoUnknownSenders)
{
    const struct {
        bool hideAfterCheck;
        bool unknownBanner;
        bool hidden;
    } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}, {false, true, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.hideAfterCheck) + std::to_string(c.unknownBanner));
        // Shown from the tray: hidden before ("&Get Messages" remembers it) or not.
        shown = !c.hideAfterCheck;
        TrayControl tray = makeTray();
        tray.getMessagesItem();
        ASSERT_EQ(tray.hideAfterCheck(), c.hideAfterCheck);
        unknownBanner = c.unknownBanner;
        colourRestores = 0;
        tray.Timer1Timer();
        EXPECT_EQ(shown, !c.hidden);
        EXPECT_FALSE(tray.hideAfterCheck());
        EXPECT_EQ(colourRestores, 1);
    }
}

TEST_F(TrayControlTest, PollerQueuesTheCheckOnlyWhenIdle)
{
    for (PendingCommand busy : {cmdGetHeaders, cmdReclassify, cmdDeleteSelected, cmdStartMailTool,
                                cmdCheckNewMail}) {
        s.dispatcher.pendingCommand = busy;
        s.dispatcher.PollerTimer();
        EXPECT_EQ(s.dispatcher.pendingCommand, busy);  // dropped, not kept for later
    }
    s.dispatcher.pendingCommand = cmdIdle;
    s.dispatcher.PollerTimer();
    EXPECT_EQ(s.dispatcher.pendingCommand, cmdCheckNewMail);

    EXPECT_EQ(TrayControl::pollerIntervalMs(0), std::nullopt);
    EXPECT_EQ(TrayControl::pollerIntervalMs(1), 60000);
    EXPECT_EQ(TrayControl::pollerIntervalMs(60), 3600000);
}

TEST_F(TrayControlTest, NewMailNoticeUnlessTheWindowIsActive)
{
    EXPECT_EQ(TrayControl::newMailNotice(1, 0), "1 new message, from a trusted sender");
    EXPECT_EQ(TrayControl::newMailNotice(3, 0), "3 new messages, all from trusted senders");
    EXPECT_EQ(TrayControl::newMailNotice(3, 2), "3 new messages, 2 from unknown senders");
    TrayControl tray = makeTray();
    shown = true;
    activeWindow = true;
    tray.newMailFound(2, 1);
    EXPECT_TRUE(notices.empty());
    activeWindow = false;
    tray.newMailFound(2, 1);
    shown = false;
    tray.newMailFound(0, 0);
    tray.newMailFound(1, 1);
    EXPECT_EQ(notices, (std::vector<std::string>{"2 new messages, 1 from unknown senders",
                                                 "1 new message, 1 from unknown senders"}));
}

TEST_F(TrayControlTest, DeletionNoticeSaysHowManyWentToDeletedMail)
{
    EXPECT_EQ(TrayControl::deletionNotice(1, 1), "1 message deleted, 1 went to \"Deleted mail\"");
    EXPECT_EQ(TrayControl::deletionNotice(3, 0), "3 messages deleted");
    TrayControl tray = makeTray();
    shown = activeWindow = true;
    s.lastDeletion.deleted = s.lastDeletion.kept = 2;
    tray.deletionSettled();
    EXPECT_TRUE(notices.empty());
    activeWindow = false;
    tray.deletionSettled();
    s.lastDeletion = {};
    tray.deletionSettled();
    EXPECT_EQ(notices, (std::vector<std::string>{"2 messages deleted, 2 went to \"Deleted mail\""}));
}

}  // namespace
}  // namespace kestrix
