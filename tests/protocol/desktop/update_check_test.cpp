// The daily and the manual update check with the real HTTP client against a fake web server;
// the date comes from a clock the test sets, the dialog answers from the test.
#include "desktop/update_check.h"
#include "support/fake_http_server.h"
#include "support/screener_fixture.h"
#include "text/version.h"
#include "transport/http_client.h"

#include <string>
#include <vector>

namespace kestrix::test {
namespace {

const std::string kNewRelease = "<html>\r\n<b>3.0.3 - May 2004</b>\r\n<pre>\r\nfaster\r\n";
const std::string kSameRelease = "<html>\r\n<b>3.0.2 - October 2003</b>\r\n<pre>\r\nnone\r\n";

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        http.RequestTimeOut = 2000;
        check.releaseUrl = web.url("/release.txt");
        check.downloadUrl = "http://download.example/";
        check.readPage = [this](const std::string &url) { return fetchReleasePage(http, url); };
        check.today = [this] { return date; };
        check.showDialog = [this](UpdateDialogTexts &texts) {
            shown.push_back(texts);
            texts.dontCheck = tickDontCheck;
            return answerYes;
        };
        check.openUrl = [this](const std::string &url) { opened.push_back(url); };
    }

    bool noticeShown() const { return view.visible(Control::StaticText2).value_or(false); }

    FakeHttpServer web;
    TNMHTTP http;
    RecordingView view;
    ProfileSettings settings;
    UpdateCheck check{view, settings};
    std::string date = "07.12.26";
    std::vector<UpdateDialogTexts> shown;
    bool answerYes = false;
    bool tickDontCheck = false;
    std::vector<std::string> opened;
};

TEST_F(UpdateCheckTest, DailyCheckAnnouncesOnlyAnotherVersion)
{
    struct Case {
        const char *name;
        std::string page;
        bool notice;
    };
    const std::vector<Case> cases = {
        {"newer release", kNewRelease, true},
        {"the installed release", kSameRelease, false},
        {"fewer than two lines", "only a line\r\n", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        view.reset();
        settings.DailyUpdateCheck = true;
        settings.LastUpdateCheck.clear();
        web.on("/release.txt", FakeHttpServer::reply(200, "OK", c.page));
        check.dailyCheck();
        EXPECT_EQ(noticeShown(), c.notice);
        EXPECT_EQ(view.beeps, c.notice ? 1 : 0);
        EXPECT_EQ(settings.LastUpdateCheck, date);
    }
    EXPECT_TRUE(shown.empty()) << "the daily check showed the dialog";
}

TEST_F(UpdateCheckTest, DailyCheckReadsThePageOnceADay)
{
    settings.DailyUpdateCheck = true;
    web.on("/release.txt", FakeHttpServer::reply(200, "OK", kSameRelease));
    check.dailyCheck();
    check.dailyCheck();
    EXPECT_EQ(web.requestCount(), 1u);
    date = "08.12.26";  // after midnight
    check.dailyCheck();
    EXPECT_EQ(web.requestCount(), 2u);
}

TEST_F(UpdateCheckTest, TurningTheDailyCheckOffAndOnReadsAgainTheSameDay)
{
    settings.DailyUpdateCheck = false;
    web.on("/release.txt", FakeHttpServer::reply(200, "OK", kNewRelease));
    check.dailyCheck();  // off: the day counts, nothing is read
    EXPECT_EQ(settings.LastUpdateCheck, date);
    EXPECT_EQ(web.requestCount(), 0u);

    check.dailyCheckClicked(true);
    check.dailyCheck();  // still the same day
    EXPECT_EQ(web.requestCount(), 0u);

    check.dailyCheckClicked(false);  // unchecking forgets the day
    EXPECT_EQ(settings.LastUpdateCheck, "");
    check.dailyCheckClicked(true);
    check.dailyCheck();
    EXPECT_EQ(web.requestCount(), 1u);
    EXPECT_TRUE(noticeShown());

    check.dailyCheckClicked(false);  // and hides the notice
    EXPECT_FALSE(noticeShown());
    EXPECT_FALSE(settings.DailyUpdateCheck);
}

TEST_F(UpdateCheckTest, FailedReadsStaySilent)
{
    web.on("/missing.txt", FakeHttpServer::reply(404, "Not Found", "<html>\r\ngone\r\n"));
    web.closeOn("/closed.txt");
    web.silentOn("/silent.txt");
    http.RequestTimeOut = 300;
    for (const std::string path : {"/missing.txt", "/closed.txt", "/silent.txt", "/nowhere"}) {
        SCOPED_TRACE(path);
        view.reset();
        settings.DailyUpdateCheck = true;
        settings.LastUpdateCheck.clear();
        check.releaseUrl = web.url(path);
        check.dailyCheck();
        EXPECT_FALSE(noticeShown());
        EXPECT_EQ(view.beeps, 0);
        EXPECT_EQ(settings.LastUpdateCheck, date) << "a failed read is repeated the same day";
    }
}

TEST_F(UpdateCheckTest, ManualCheckShowsTheReleaseAndOpensTheDownloadPageOnYes)
{
    settings.DailyUpdateCheck = true;
    web.on("/release.txt", FakeHttpServer::reply(200, "OK", kNewRelease));
    view.setVisible(Control::StaticText2, true);
    answerYes = true;

    check.manualCheck();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].newVersion, "Kestrix 3.0.3 - May 2004");
    EXPECT_EQ(shown[0].installedVersion, kVersionText);
    EXPECT_EQ(shown[0].notes, std::vector<std::string>{"faster"});
    EXPECT_FALSE(shown[0].dontCheck);
    EXPECT_EQ(opened, std::vector<std::string>{"http://download.example/"});
    EXPECT_FALSE(noticeShown());
    EXPECT_TRUE(settings.DailyUpdateCheck);
}

TEST_F(UpdateCheckTest, ManualCheckWithoutNetworkSaysSoAndKeepsTheLabels)
{
    check.releaseUrl = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/release.txt";
    settings.DailyUpdateCheck = true;
    check.texts.newVersion = "Kestrix 3.0.3";
    tickDontCheck = true;  // "Don't automatically check for updates  !"
    answerYes = true;

    check.manualCheck();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].notes, std::vector<std::string>{kNoNetworkText});
    EXPECT_EQ(shown[0].newVersion, "Kestrix 3.0.3");
    EXPECT_EQ(shown[0].installedVersion, kVersionText);
    EXPECT_EQ(opened.size(), 1u) << "Yes opens the download page also without network";
    EXPECT_FALSE(settings.DailyUpdateCheck);
    EXPECT_EQ(view.checked(Control::CheckBox6), false);

    // Clearing the box does not turn the daily check on again.
    tickDontCheck = false;
    check.manualCheck();
    EXPECT_TRUE(shown[1].dontCheck);
    EXPECT_FALSE(settings.DailyUpdateCheck);
}

// The daily check is the first step of connecting for a server command; a web server that
// never answers delays the mail check by the request's time-out only.
class DailyCheckOnConnectTest : public UpdateCheckTest, protected Pop3Dialogue {};

TEST_F(DailyCheckOnConnectTest, SilentWebServerDoesNotStopTheMailCheck)
{
    ScreenerFixture screener;
    Screener &s = screener.s;
    screener.pointAt(fake.port());
    UpdateCheck daily(view, s.profile.settings);
    daily.readPage = check.readPage;
    daily.today = check.today;
    daily.releaseUrl = web.url("/silent.txt");
    web.silentOn("/silent.txt");
    http.RequestTimeOut = 300;
    s.profile.settings.DailyUpdateCheck = true;
    // The window runs the daily check as a connection starts.
    struct DailyCheckOnConnect : WindowSide {
        explicit DailyCheckOnConnect(UpdateCheck &check) : check(check) {}
        void connectionStarting(const std::string &) override { check.dailyCheck(); }
        UpdateCheck &check;
    } window(daily);
    s.setWindowSide(window);
    scriptLogin(0);
    scriptQuit();

    EXPECT_TRUE(s.connectSession());
    EXPECT_EQ(web.requestCount(), 1u);
    EXPECT_EQ(s.profile.settings.LastUpdateCheck, date);
    EXPECT_FALSE(noticeShown());
    s.closeSession();
    finishDialogue();
}

}  // namespace
}  // namespace kestrix::test
