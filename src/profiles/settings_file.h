#pragma once
// NAME.ini: the 29 positional lines of ProfileSettings. The meaning of a line is its position.

#include "profiles/profile_settings.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Line numbers of the settings file (line 7 is always "126" and is never read).
namespace SettingsLine {
enum : int {
    DeletedCount = 0, Host, Port, UserId, NotifyLimit, MailToolPath, resumeCode, Fixed126,
    IncrementalDownload, HideOnMailTool, resumeFallbackCode, spareCode1, spareCode2,
    MailToolParams, Col1Percent, Col2Percent, TrayAction, resumeCodeCopy, CheckInterval,
    LogRejected, CheckAfterDownload, DailyUpdateCheck, LastUpdateCheck, WindowLeft, WindowTop,
    WindowWidth, WindowHeight, SplitRatio, RowHeight,
    Count
};
}

inline constexpr double kMinSplitRatio = 0.4;

// Called right after a line changed its field, in line order, so the window can run that
// control's change behaviour at that moment; it may change the record (for example reset the
// resume marks when IncrementalDownload turns off), and later lines still apply after it.
using SettingsChangeHandler = std::function<void(int line, ProfileSettings &settings)>;

// The 29 lines as written: flags "1"/"0", line 7 "126", SplitRatio with a '.' decimal point.
std::vector<std::string> settingsLines(const ProfileSettings &settings);

// Applies the lines a file has (0 to 28, missing lines leave their fields as they were), then
// keeps SplitRatio at or above 0.4 even when its line is missing. Returns the lines whose field
// really changed, in the order the changes happened.
std::vector<int> applySettingsLines(ProfileSettings &settings, const std::vector<std::string> &lines,
                                    const SettingsChangeHandler &onChange = {});

// "0.75" and "0,75" both read; anything else, and anything below 0.4, gives 0.4.
double readSplitRatio(std::string_view text);
// General format, up to 15 significant digits, always a '.' (never the locale's separator).
std::string formatSplitRatio(double ratio);

}  // namespace kestrix
