#include "profiles/settings_file.h"

#include "text/latin1.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace kestrix {

namespace {

// A decimal integer that fits an int; anything else is "not a number".
std::optional<int> readInt(std::string_view text)
{
    const std::optional<long long> value = parseDecimal(text);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*value);
}

int intOr(std::string_view text, int fallback)
{
    return readInt(text).value_or(fallback);
}

int clampedOr(std::string_view text, int fallback, int low, int high)
{
    return std::clamp(intOr(text, fallback), low, high);
}

std::string flagText(bool on) { return on ? "1" : "0"; }

template <typename T>
bool assign(T &field, T value)
{
    if (field == value)
        return false;
    field = std::move(value);
    return true;
}

// Applies line `line` of the file; true when its field changed.
bool applyLine(ProfileSettings &s, int line, const std::string &text)
{
    namespace L = SettingsLine;
    switch (line) {
    case L::DeletedCount: return assign(s.DeletedCount, intOr(text, 0));
    case L::Host: return assign(s.Host, text);
    case L::Port: return assign(s.Port, text);
    case L::UserId: return assign(s.UserId, text);
    case L::NotifyLimit: return assign(s.NotifyLimit, clampedOr(text, 1, 1, 10000));
    case L::MailToolPath: return assign(s.MailToolPath, text);
    case L::resumeCode: return assign(s.resumeCode, text);
    case L::Fixed126: return false;
    case L::IncrementalDownload: return assign(s.IncrementalDownload, intOr(text, 0) > 0);
    case L::HideOnMailTool: return assign(s.HideOnMailTool, intOr(text, 0) > 0);
    case L::resumeFallbackCode: return assign(s.resumeFallbackCode, text);
    case L::spareCode1: return assign(s.spareCode1, text);
    case L::spareCode2: return assign(s.spareCode2, text);
    case L::MailToolParams: return assign(s.MailToolParams, text);
    case L::Col1Percent: return assign(s.Col1Percent, intOr(text, 33));
    case L::Col2Percent: return assign(s.Col2Percent, intOr(text, 33));
    case L::TrayAction: return assign(s.TrayAction, clampedOr(text, 0, 0, 1));
    case L::resumeCodeCopy: return assign(s.resumeCodeCopy, text);
    case L::CheckInterval: return assign(s.CheckInterval, clampedOr(text, 0, 0, 60));
    // Older releases wrote these two lines without a meaningful value: presence turns them on.
    case L::LogRejected: return assign(s.LogRejected, true);
    case L::CheckAfterDownload: return assign(s.CheckAfterDownload, true);
    case L::DailyUpdateCheck: return assign(s.DailyUpdateCheck, intOr(text, 0) == 1);
    case L::LastUpdateCheck: return assign(s.LastUpdateCheck, text);
    case L::WindowLeft: return assign(s.WindowLeft, intOr(text, 0));
    case L::WindowTop: return assign(s.WindowTop, intOr(text, 0));
    case L::WindowWidth: return assign(s.WindowWidth, intOr(text, 200));
    case L::WindowHeight: return assign(s.WindowHeight, intOr(text, 200));
    case L::SplitRatio: return assign(s.SplitRatio, readSplitRatio(text));
    case L::RowHeight: return assign(s.RowHeight, clampedOr(text, 20, 5, 50));
    default: return false;
    }
}

}  // namespace

double readSplitRatio(std::string_view text)
{
    std::string normal(text);
    std::replace(normal.begin(), normal.end(), ',', '.');
    double value = 0;
    const char *end = normal.data() + normal.size();
    auto [ptr, ec] = std::from_chars(normal.data(), end, value, std::chars_format::general);
    if (normal.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)
        || value < kMinSplitRatio)
        return kMinSplitRatio;
    return value;
}

std::string formatSplitRatio(double ratio)
{
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, ratio,
                                   std::chars_format::general, 15);
    if (ec != std::errc())
        return "0.4";
    return std::string(buffer, ptr);
}

std::vector<std::string> settingsLines(const ProfileSettings &s)
{
    return {
        std::to_string(s.DeletedCount),
        s.Host,
        s.Port,
        s.UserId,
        std::to_string(s.NotifyLimit),
        s.MailToolPath,
        s.resumeCode,
        "126",
        flagText(s.IncrementalDownload),
        flagText(s.HideOnMailTool),
        s.resumeFallbackCode,
        s.spareCode1,
        s.spareCode2,
        s.MailToolParams,
        std::to_string(s.Col1Percent),
        std::to_string(s.Col2Percent),
        std::to_string(s.TrayAction),
        s.resumeCodeCopy,
        std::to_string(s.CheckInterval),
        flagText(s.LogRejected),
        flagText(s.CheckAfterDownload),
        flagText(s.DailyUpdateCheck),
        s.LastUpdateCheck,
        std::to_string(s.WindowLeft),
        std::to_string(s.WindowTop),
        std::to_string(s.WindowWidth),
        std::to_string(s.WindowHeight),
        formatSplitRatio(s.SplitRatio),
        std::to_string(s.RowHeight),
    };
}

std::vector<int> applySettingsLines(ProfileSettings &settings, const std::vector<std::string> &lines,
                                    const SettingsChangeHandler &onChange)
{
    std::vector<int> changed;
    const int present = int(std::min<size_t>(lines.size(), SettingsLine::Count));
    for (int line = 0; line < present; ++line) {
        if (!applyLine(settings, line, lines[size_t(line)]))
            continue;
        changed.push_back(line);
        if (onChange)
            onChange(line, settings);
    }
    // The bound holds after every read, also when the file stops before line 27.
    if (!(settings.SplitRatio >= kMinSplitRatio)) {
        settings.SplitRatio = kMinSplitRatio;
        changed.push_back(SettingsLine::SplitRatio);
        if (onChange)
            onChange(SettingsLine::SplitRatio, settings);
    }
    return changed;
}

}  // namespace kestrix
