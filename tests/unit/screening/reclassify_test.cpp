// The reclassify run: trusted rows, banners, captions and buttons as the view sees them.
#include "support/screener_fixture.h"

#include <functional>

using namespace kestrix;
using kestrix::test::ScreenerTest;

namespace {

class Reclassify : public ScreenerTest {
protected:
    void SetUp() override
    {
        s.profile.blacklist.assign({"offer"});
        s.profile.settings.CheckInterval = 2;
        s.setMainButtonMode(MainButtonMode::Process);
    }
};

}  // namespace

TEST_F(Reclassify, UnknownSendersShowTheirBannerAndTheKnownBadButton)
{
    s.profile.whitelist.add("friend@example.org");
    s.grid.allowDeleteAccepted = true;
    addMessage(1, "friend@example.org", "Hi", "c1", 10, "");
    addMessage(2, "stranger@example.org", "An offer");
    addMessage(3, "friend@example.org", "Again", "c3", 30, "");
    s.reclassify();

    EXPECT_EQ(view.visible(Control::Panel3), true);
    EXPECT_EQ(view.visible(Control::Panel1), true);
    EXPECT_EQ(view.visible(Control::Panel12), false);
    EXPECT_EQ(view.enabled(Control::SpeedButton27), true);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
    EXPECT_EQ(s.mainButtonMode(), MainButtonMode::GetNew);
    EXPECT_EQ(view.checked(Control::CheckBox1), false);
    EXPECT_FALSE(s.grid.allowDeleteAccepted);
    EXPECT_EQ(view.enabled(Control::Timer1), true);
    EXPECT_EQ(view.enabled(Control::Poller), true);
    EXPECT_EQ(view.enabled(Control::Button66), true);
    EXPECT_FALSE(view.busyCursor);
    ASSERT_FALSE(view.pagesShown.empty());
    EXPECT_EQ(view.pagesShown.back(), Control::TabSheet3);
    EXPECT_GE(view.detailsCalls, 1);
    EXPECT_TRUE(view.details.empty());

    // Trusted rows are collected from the bottom up.
    EXPECT_EQ(s.messages.trustedNumbers, (std::vector<int>{3, 1}));
    EXPECT_EQ(s.messages.trustedSenders, (std::vector<std::string>{"friend@example.org", "friend@example.org"}));
    EXPECT_EQ(s.messages.trustedSizes, (std::vector<std::string>{"30 /N.A.", "10 /N.A."}));
    EXPECT_EQ(senderMarker(1), CellMarker::KNGA);
    EXPECT_EQ(subjectMarker(2), CellMarker::KNBP);
    // The marks come from the new table: a leading run of one row.
    EXPECT_EQ(s.profile.settings.resumeCode, "c1");

    // A second run collects the same rows again, not twice.
    s.reclassify();
    EXPECT_EQ(s.messages.trustedNumbers.size(), 2u);
}

TEST_F(Reclassify, TheKnownBadButtonStaysOffForTrustedRowsOnly)
{
    s.profile.whitelist.add("friend@example.org");
    addMessage(1, "friend@example.org", "An offer");
    addMessage(2, "stranger@example.org", "Hello");
    s.reclassify();
    EXPECT_EQ(view.enabled(Control::SpeedButton27), false);

    // With an empty whitelist every sender is unknown: the blacklisted row is offered.
    s.profile.whitelist.clear();
    s.reclassify();
    EXPECT_EQ(view.enabled(Control::SpeedButton27), true);
    EXPECT_EQ(view.visible(Control::Panel3), true);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
}

TEST_F(Reclassify, AllTrustedShowsTheTrustedBanner)
{
    s.profile.whitelist.add("friend@example.org");
    s.profile.settings.CheckInterval = 0;
    addMessage(1, "friend@example.org", "Hi");
    s.reclassify();
    EXPECT_EQ(view.visible(Control::Panel3), false);
    EXPECT_EQ(view.visible(Control::Panel12), true);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
    EXPECT_FALSE(view.enabled(Control::Poller).has_value());
}

TEST_F(Reclassify, AnEmptyTableWithTrustedRowsCountsThem)
{
    s.messages.trustedNumbers = {4, 2};
    s.reclassify();
    EXPECT_EQ(view.visible(Control::Panel3), false);
    EXPECT_EQ(view.visible(Control::Panel12), true);
    EXPECT_EQ(view.text(Control::Label24), "2 messages from trusted e-mail addresses");
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
    // Nothing of the non-empty branch runs but the hide-again step of a check from the tray.
    EXPECT_EQ(view.enabled(Control::Timer1), true);
    EXPECT_FALSE(view.enabled(Control::Button66).has_value());
}

TEST_F(Reclassify, AnEmptyTableWithoutTrustedRowsHasNoNewMessages)
{
    s.messages.messageTable.setRowCount(5);
    s.reclassify();
    EXPECT_EQ(view.text(Control::Label24), "No new messages on server");
    EXPECT_EQ(s.messages.messageTable.rowCount(), 2);
    EXPECT_EQ(view.visible(Control::Panel12), true);
    EXPECT_EQ(view.visible(Control::Panel3), false);
    EXPECT_EQ(view.enabled(Control::SpeedButton27), false);
    EXPECT_EQ(view.mainButtonMode, MainButtonMode::GetNew);
}

// The reclassify right after a build takes the table as that build left it, and classifies
// again where the table was written to since: either way it ends as a full rebuild would.
TEST_F(Reclassify, AfterABuildTheTableIsTakenAsBuiltUnlessWrittenSince)
{
    s.profile.whitelist.add("friend@example.org");
    addMessage(1, "friend@example.org", "Hi", "c1");
    addMessage(2, "stranger@example.org", "An offer", "c2");
    const struct {
        const char *name;
        std::function<void(MessageTable &)> write;
    } cases[] = {
        {"nothing written", [](MessageTable &) {}},
        {"a cell written", [](MessageTable &t) { t.setCell(MessageTable::ColSender, 1, "x@y.org"); }},
        {"a marker written", [](MessageTable &t) { t.setMarker(MessageTable::ColSubject, 2, CellMarker::None); }},
        {"rows cut", [](MessageTable &t) { t.setRowCount(2); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        s.buildMessageTable(true);
        c.write(s.messages.messageTable);
        s.reclassify(Screener::TableState::JustBuilt);
        EXPECT_EQ(s.messages.messageTable.text(MessageTable::ColSender, 1), "friend@example.org");
        EXPECT_EQ(senderMarker(1), CellMarker::KNGA);
        EXPECT_EQ(subjectMarker(2), CellMarker::KNBP);
        EXPECT_EQ(s.messages.trustedNumbers, (std::vector<int>{1}));
        EXPECT_EQ(s.profile.settings.resumeCode, "c1");
        EXPECT_EQ(view.enabled(Control::SpeedButton27), true);
    }
}
