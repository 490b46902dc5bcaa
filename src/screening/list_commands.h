#pragma once
// Texts and pure rules of the whitelist, blacklist and log pages. The commands themselves are
// Screener members (whitelist_commands.cpp, blacklist_commands.cpp, log_commands.cpp); what
// lives here needs no Screener: the page texts, the walk over the log rows that the blacklist
// page's "<" and ">" buttons make, and the log grid's column fitting.

#include "profiles/rejected_log.h"

#include <cstddef>
#include <string>

namespace kestrix {

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
