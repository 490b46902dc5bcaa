// The rejected-mail log page's commands and the deleted-mail counter: clear the log, empty one
// line, reset the count, and the captions and column widths of the log page.
#include "profiles/list_files.h"
#include "screening/list_commands.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"

#include <algorithm>

namespace kestrix {

std::string loggedAddressesText(const RejectedLog &log)
{
    return std::to_string(log.rowCount() - 1) + " logged SPAM MAIL addresses";
}

LogColumnWidths fitLogColumns(int tableWidth, int senderWidth)
{
    LogColumnWidths widths;
    widths.sender = senderWidth > tableWidth - 27 ? tableWidth - 38 : senderWidth;
    widths.sender = std::max(widths.sender, 0);
    widths.subject = std::max(tableWidth - widths.sender - 27, 0);
    return widths;
}

bool ListCommands::clearLogFile(const QString &logFile)
{
    if (!m_prompter.askYesNo(Prompter::Kind::Confirmation, kAskEraseLog))
        return false;
    // The empty file is written first (also while LogRejected is off): when it cannot be
    // written the table keeps its rows, so nothing is lost that the file still holds.
    if (const FileResult written = SaveRejectedLog(logFile, RejectedLog()); !written) {
        m_prompter.message(Prompter::Kind::Error, written.error);
        return false;
    }
    m_profile.rejectedLog.clear();
    return true;
}

bool ListCommands::deleteLogLine(int currentRow)
{
    if (!m_prompter.askYesNo(Prompter::Kind::Confirmation, kAskDeleteLogLine))
        return false;
    if (currentRow < 1 || currentRow >= m_profile.rejectedLog.rowCount())
        return false;
    m_profile.rejectedLog.clearRow(currentRow);
    return true;
}

bool ListCommands::resetDeletedCount()
{
    if (!m_prompter.askYesNo(Prompter::Kind::Confirmation, kAskResetSpamCount))
        return false;
    m_profile.settings.DeletedCount = 0;
    m_view.setText(Control::Label21, "0");
    return true;
}

void ListCommands::showLogCount()
{
    m_view.setText(Control::Panel13, loggedAddressesText(m_profile.rejectedLog));
}

}  // namespace kestrix
