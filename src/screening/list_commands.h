#pragma once
// The whitelist, blacklist and log pages: their commands on the current profile's lists
// (ListCommands), the page texts, the walk over the log rows that the blacklist page's "<" and
// ">" buttons make, and the log grid's column fitting. The commands that act on table rows (the
// senders of the selected rows added to or taken off the whitelist) are the Screener's: they
// join the table and the lists.

#include "profiles/rejected_log.h"

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace kestrix {

class Prompter;
class ScreeningProfile;
class View;

// The window repaints ListBox4, ListBox7 and StringGrid2 from the lists after each call. The
// files are the current profile's; a failed write is reported and the list in memory stays as
// it was.
class ListCommands {
public:
    ListCommands(ScreeningProfile &profile, View &view, Prompter &prompter)
        : m_profile(profile), m_view(view), m_prompter(prompter)
    {
    }

    // button9 / button4: the whitelist file read as it stands / written, also when empty.
    bool loadWhitelist(const QString &whitelistFile);
    bool saveWhitelist(const QString &whitelistFile);
    void TabSheet4Show();          // Label13, Label25: "N trusted addresses"
    void whitelistPageChanged();   // Label25: "N accepted E-MAIL Addresses"
    void showStartPageCounts();    // Label19 (whitelist size), Label21 (DeletedCount)
    // "&Add as new Item" (SpeedButton10, Enter in Edit7): returns the new entry's index.
    size_t addBlacklistWord(const std::string &text);
    // "Delete Item " (SpeedButton9): ListBox7's current entry (-1 for none).
    bool deleteBlacklistWord(int currentIndex);
    // "Clear log file" (SpeedButton8), "Delete Line" (SpeedButton29) on StringGrid2's current
    // row, "Reset count of deleted spam &mails" (button16, Label21): each asks first.
    bool clearLogFile(const QString &logFile);
    bool deleteLogLine(int currentRow);
    bool resetDeletedCount();
    void showLogCount();  // Panel13: "N logged SPAM MAIL addresses"

private:
    ScreeningProfile &m_profile;
    View &m_view;
    Prompter &m_prompter;
};

// The blacklist page's explanation (Label49).
inline constexpr const char *kBlacklistExplanation =
    "An e-mail header will be highlighted as blacklisted for unknown senders, if one of the words "
    "in the list is part of subject or address";

// Questions of the list commands.
inline constexpr const char *kAskSaveEmptyWhitelist = "Save empty list of trusted addresses ?";
inline constexpr const char *kAskEraseLog = "Really erase log file ?";
inline constexpr const char *kAskDeleteLogLine = "Really delete current line ?";
inline constexpr const char *kAskResetSpamCount = "Reset SPAM count?";

// "N trusted addresses" (Label13, Label25 on the whitelist page).
std::string trustedAddressesText(size_t count);
// "N accepted E-MAIL Addresses" (Label25 when the page control itself changes to the page).
std::string acceptedAddressesText(size_t count);
// "N logged SPAM MAIL addresses" (Panel13): the log's rows without the title row, emptied
// entries included.
std::string loggedAddressesText(const RejectedLog &log);

// One step of the walk over the log rows: the row that becomes current and the text for the
// blacklist page's edit field (sender, a blank, subject). A log without entries gives row 0 and
// no text: the edit field is left as it is.
struct LogStep {
    int row = 0;
    std::string text;
};
// ">": the next entry row, from the last back to row 1.
LogStep nextLogRow(const RejectedLog &log, int currentRow);
// "<": the previous entry row, from row 1 (or the title row) round to the last.
LogStep previousLogRow(const RejectedLog &log, int currentRow);

// The log grid's two columns (StringGrid2): their widths at start, and the fitting rule run when
// the window is resized, the mouse moves over the grid or the refresh tick runs.
inline constexpr int kLogSenderColumnStart = 266;
inline constexpr int kLogSubjectColumnStart = 305;
struct LogColumnWidths {
    int sender = kLogSenderColumnStart;
    int subject = kLogSubjectColumnStart;
};
// The sender column is narrowed to tableWidth - 38 when it is wider than tableWidth - 27; the
// subject column takes the rest, less 27. A width never goes below 0.
LogColumnWidths fitLogColumns(int tableWidth, int senderWidth);

}  // namespace kestrix
