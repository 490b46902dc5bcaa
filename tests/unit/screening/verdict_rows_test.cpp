// Verdicts in the table build: a forged or impostor sender loses the whitelist's trust, a
// verdict row joins the known-bad count and button while "[screening] forgedIsBad" is on, a
// trusted row keeps its trust beside the provider's spam flag, and the checks switched off
// leave the table exactly as the classification alone makes it.
#include "support/screener_fixture.h"

using namespace kestrix;
using kestrix::test::ScreenerTest;

namespace {

const std::string kAlice = "Alice <alice@example.org>";
const std::string kFailed = "Authentication-Results: mx.example.net; dmarc=fail header.from=example.org";
const std::string kPassed = "Authentication-Results: mx.example.net; dmarc=pass header.from=example.org";

class VerdictRows : public ScreenerTest {
protected:
    void SetUp() override
    {
        s.profile.blacklist.assign({});
        s.profile.whitelist.add(kAlice);
        addMessage(1, kAlice, "Hi");                         // the real Alice
        addMessage(2, kAlice, "Invoice");                    // forged Alice
        addMessage(3, "Alice <alice@evil.example>", "Hi");   // impostor
        addMessage(4, kAlice, "Newsletter");                 // flagged by the provider
        addMessage(5, "bob@example.net", "Hello");           // unknown, no verdict
        s.messages.rows[0].headerLines.insert(s.messages.rows[0].headerLines.begin() + 2, kPassed);
        s.messages.rows[1].headerLines.insert(s.messages.rows[1].headerLines.begin() + 2, kFailed);
        s.messages.rows[3].headerLines.insert(s.messages.rows[3].headerLines.begin() + 2, "X-Spam-Flag: YES");
        s.messages.rows[3].headerLines.insert(s.messages.rows[3].headerLines.begin() + 2, kPassed);
    }

    std::vector<std::string> columns() const
    {
        std::vector<std::string> out;
        for (int r = 1; r <= 5; ++r)
            out.push_back(verdictColumnText(s.messages.messageTable.verdicts(r)));
        return out;
    }
};

}  // namespace

TEST_F(VerdictRows, ForgedAndImpostorLoseTrustAndJoinTheKnownBad)
{
    s.reclassify();
    EXPECT_EQ(columns(), (std::vector<std::string>{"-", "forged", "impostor", "provider-spam", "-"}));
    EXPECT_EQ(senderMarker(1), CellMarker::KNGA);
    EXPECT_EQ(senderMarker(2), CellMarker::None);  // on the whitelist, but forged
    EXPECT_EQ(senderMarker(4), CellMarker::KNGA);  // the user's list beats a spam filter
    EXPECT_FALSE(s.messages.messageTable.verdicts(4).countsAsBad);
    EXPECT_EQ(s.verdictReasons(2),
              (std::vector<std::string>{"Authentication-Results from mx.example.net: dmarc=fail"}));
    EXPECT_EQ(s.countKnownBad(), 2);
    EXPECT_EQ(s.messages.trustedNumbers, (std::vector<int>{4, 1}));
    EXPECT_EQ(view.enabled(Control::SpeedButton27), true);
    EXPECT_EQ(s.messages.trustedCount, 2);

    // Shown but never selected as bad.
    s.profile.conf.setForgedIsBad(false);
    s.reclassify();
    EXPECT_EQ(columns()[1], "forged");
    EXPECT_EQ(s.countKnownBad(), 0);
    EXPECT_EQ(view.enabled(Control::SpeedButton27), false);

    // A configured authserv-id other than the provider's reads none of its fields.
    s.profile.conf.setForgedIsBad(true);
    s.profile.conf.setTrustedAuthservId("mx.other.example");
    s.reclassify();
    EXPECT_EQ(columns(), (std::vector<std::string>{"-", "-", "impostor", "provider-spam", "-"}));
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);

    s.profile.checkSenders = false;
    s.reclassify();
    EXPECT_EQ(columns(), (std::vector<std::string>(5, "-")));
    EXPECT_EQ(senderMarker(2), CellMarker::KNGA);
    EXPECT_EQ(s.countKnownBad(), 0);
}

TEST_F(VerdictRows, AnEmptyWhitelistStillOffersTheVerdictRows)
{
    s.profile.whitelist.clear();
    s.reclassify();
    EXPECT_EQ(columns(), (std::vector<std::string>{"-", "forged", "-", "provider-spam", "-"}));
    EXPECT_EQ(s.countKnownBad(), 2);
    EXPECT_EQ(view.enabled(Control::SpeedButton27), true);
}

// Verdicts read as the rows arrived are kept only while the whitelist they were judged against
// stays as it was: every kind of change judges the rows again at the next build.
TEST_F(VerdictRows, KeptVerdictsFollowEveryWhitelistChange)
{
    for (const DownloadedRow &row : s.messages.rows)
        s.readArrivedRow(row);
    s.reclassify();
    EXPECT_EQ(columns()[2], "impostor");
    s.profile.whitelist.removeOne(kAlice);
    s.reclassify();
    EXPECT_EQ(columns()[2], "-");
    s.profile.whitelist.add(kAlice);
    s.reclassify();
    EXPECT_EQ(columns()[2], "impostor");
    s.profile.whitelist.assign({"Bob <bob@example.net>"});
    s.reclassify();
    EXPECT_EQ(columns()[2], "-");
    s.profile.whitelist.removeAt(0);
    s.profile.whitelist.add(kAlice);
    s.reclassify();
    EXPECT_EQ(columns()[2], "impostor");
}
