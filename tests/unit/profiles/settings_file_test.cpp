#include "profiles/settings_file.h"
#include "profiles/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

using namespace kestrix;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

ProfileSettings sample()
{
    ProfileSettings s;
    s.DeletedCount = 1234;
    s.Host = "pop.example.org";
    s.Port = "995";
    s.UserId = "joe";
    s.NotifyLimit = 150;
    s.MailToolPath = "/usr/bin/mail tool";
    s.resumeCode = "495051";
    s.IncrementalDownload = true;
    s.HideOnMailTool = true;
    s.resumeFallbackCode = "4849";
    s.MailToolParams = "-mail";
    s.Col1Percent = 41;
    s.Col2Percent = 37;
    s.TrayAction = 0;
    s.resumeCodeCopy = "495051";
    s.CheckInterval = 15;
    s.LogRejected = true;
    s.CheckAfterDownload = true;
    s.DailyUpdateCheck = true;
    s.LastUpdateCheck = "07.12.2026";
    s.WindowLeft = -8;
    s.WindowTop = 12;
    s.WindowWidth = 900;
    s.WindowHeight = 640;
    s.SplitRatio = 0.123456789012345678 + 0.5;
    s.RowHeight = 24;
    return s;
}

// The lines of a written file, with some replaced.
std::vector<std::string> linesWith(std::initializer_list<std::pair<int, std::string>> changes)
{
    std::vector<std::string> lines = settingsLines(ProfileSettings{});
    for (const auto &[line, text] : changes)
        lines[size_t(line)] = text;
    return lines;
}

}  // namespace

TEST(SettingsFile, WritesTwentyNineLinesInTheirPlaces)
{
    const std::string bytes = joinLinesCrLf(settingsLines(sample()));
    EXPECT_EQ(bytes,
              "1234\r\npop.example.org\r\n995\r\njoe\r\n150\r\n/usr/bin/mail tool\r\n495051\r\n"
              "126\r\n1\r\n1\r\n4849\r\n-1\r\n-1\r\n-mail\r\n41\r\n37\r\n0\r\n495051\r\n15\r\n"
              "1\r\n1\r\n1\r\n07.12.2026\r\n-8\r\n12\r\n900\r\n640\r\n0.623456789012346\r\n24\r\n");
    EXPECT_EQ(settingsLines(ProfileSettings{}).size(), 29u);
}

TEST(SettingsFile, ReadsBackWhatItWrote)
{
    const ProfileSettings written = sample();
    ProfileSettings read;
    applySettingsLines(read, settingsLines(written));
    EXPECT_EQ(joinLinesCrLf(settingsLines(read)), joinLinesCrLf(settingsLines(written)));
    EXPECT_DOUBLE_EQ(read.SplitRatio, 0.623456789012346);
}

TEST(SettingsFile, PresenceAloneTurnsLines19And20On)
{
    ProfileSettings s;
    s.LogRejected = false;
    s.CheckAfterDownload = false;
    applySettingsLines(s, linesWith({{19, "0"}, {20, "whatever"}}));
    EXPECT_TRUE(s.LogRejected);
    EXPECT_TRUE(s.CheckAfterDownload);
}

TEST(SettingsFile, FlagsReadByTheirOwnRules)
{
    ProfileSettings s;
    applySettingsLines(s, linesWith({{8, "0"}, {9, "7"}, {21, "2"}}));
    EXPECT_FALSE(s.IncrementalDownload);
    EXPECT_TRUE(s.HideOnMailTool);  // greater than 0
    EXPECT_FALSE(s.DailyUpdateCheck);  // only exactly 1
    applySettingsLines(s, linesWith({{8, "abc"}, {9, "-3"}, {21, "1"}}));
    EXPECT_FALSE(s.IncrementalDownload);
    EXPECT_FALSE(s.HideOnMailTool);
    EXPECT_TRUE(s.DailyUpdateCheck);
}

TEST(SettingsFile, NotANumberGivesTheLineDefault)
{
    ProfileSettings s = sample();
    applySettingsLines(s, linesWith({{0, "abc"}, {4, "abc"}, {14, "x"}, {15, ""}, {16, "one"},
                                     {18, "2.5"}, {23, " 5"}, {24, "5 "}, {25, ""}, {26, "big"},
                                     {28, "99999999999999999999"}}));
    EXPECT_EQ(s.DeletedCount, 0);
    EXPECT_EQ(s.NotifyLimit, 1);
    EXPECT_EQ(s.Col1Percent, 33);
    EXPECT_EQ(s.Col2Percent, 33);
    EXPECT_EQ(s.TrayAction, 0);
    EXPECT_EQ(s.CheckInterval, 0);
    EXPECT_EQ(s.WindowLeft, 0);
    EXPECT_EQ(s.WindowTop, 0);
    EXPECT_EQ(s.WindowWidth, 200);
    EXPECT_EQ(s.WindowHeight, 200);
    EXPECT_EQ(s.RowHeight, 20);
}

TEST(SettingsFile, SpinnerFieldsAreTakenToTheNearestBound)
{
    ProfileSettings s;
    applySettingsLines(s, linesWith({{4, "0"}, {16, "5"}, {18, "61"}, {28, "4"}}));
    EXPECT_EQ(s.NotifyLimit, 1);
    EXPECT_EQ(s.TrayAction, 1);
    EXPECT_EQ(s.CheckInterval, 60);
    EXPECT_EQ(s.RowHeight, 5);
    applySettingsLines(s, linesWith({{4, "10001"}, {16, "-1"}, {18, "-5"}, {28, "51"}}));
    EXPECT_EQ(s.NotifyLimit, 10000);
    EXPECT_EQ(s.TrayAction, 0);
    EXPECT_EQ(s.CheckInterval, 0);
    EXPECT_EQ(s.RowHeight, 50);
}

TEST(SettingsFile, SplitRatioReadsEitherSeparatorAndNeverFallsBelowTheBound)
{
    EXPECT_DOUBLE_EQ(readSplitRatio("0.75"), 0.75);
    EXPECT_DOUBLE_EQ(readSplitRatio("0,75"), 0.75);
    EXPECT_DOUBLE_EQ(readSplitRatio("1"), 1.0);
    for (const char *bad : {"0.1", "x", "", "-2", "nan", "inf", "0.4.1", "1,234.5", "0.39999"})
        EXPECT_DOUBLE_EQ(readSplitRatio(bad), 0.4) << bad;

    // Applied after every read, also when the file stops before line 27.
    ProfileSettings s;
    s.SplitRatio = 0.2;
    std::vector<std::string> shortFile = linesWith({});
    shortFile.resize(19);
    EXPECT_THAT(applySettingsLines(s, shortFile), ElementsAre(SettingsLine::SplitRatio));
    EXPECT_DOUBLE_EQ(s.SplitRatio, 0.4);
}

TEST(SettingsFile, SplitRatioIsWrittenWithAPointWhateverTheLocale)
{
    EXPECT_EQ(formatSplitRatio(0.4), "0.4");
    EXPECT_EQ(formatSplitRatio(0.5), "0.5");
    EXPECT_EQ(formatSplitRatio(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(formatSplitRatio(1.0), "1");
    // A locale whose decimal separator is a comma (scripts/deps.sh generates it).
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    EXPECT_EQ(formatSplitRatio(0.75), "0.75");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(SettingsFile, AShortFileAppliesOnlyTheLinesItHas)
{
    ProfileSettings s;
    s.LogRejected = false;
    s.WindowWidth = 777;
    std::vector<std::string> lines = settingsLines(sample());
    lines.resize(19);
    applySettingsLines(s, lines);
    EXPECT_EQ(s.Host, "pop.example.org");
    EXPECT_EQ(s.CheckInterval, 15);  // line 18 is there
    EXPECT_FALSE(s.LogRejected);     // line 19 is not: left as it was
    EXPECT_EQ(s.WindowWidth, 777);
}

TEST(SettingsFile, ReportsTheLinesThatReallyChangedInLineOrder)
{
    ProfileSettings s;  // CheckInterval 2, like the spinner at start-up
    std::vector<std::string> lines = settingsLines(s);
    lines[3] = "joe";
    lines[8] = "0";
    lines[6] = "4950";
    lines[18] = "2";  // equal: no change
    std::vector<std::pair<int, std::string>> seen;
    auto changed = applySettingsLines(s, lines, [&](int line, ProfileSettings &now) {
        seen.emplace_back(line, now.resumeCode);
        // The window resets the marks when IncrementalDownload turns off; later lines still apply.
        if (line == SettingsLine::IncrementalDownload)
            now.resumeCode = "-1";
    });
    EXPECT_THAT(changed, ElementsAre(SettingsLine::UserId, SettingsLine::resumeCode,
                                     SettingsLine::IncrementalDownload));
    EXPECT_THAT(seen, ElementsAre(std::pair<int, std::string>{3, "-1"},
                                  std::pair<int, std::string>{6, "4950"},
                                  std::pair<int, std::string>{8, "4950"}));
    EXPECT_EQ(s.resumeCode, "-1");
    EXPECT_THAT(applySettingsLines(s, settingsLines(s)), IsEmpty());
}
