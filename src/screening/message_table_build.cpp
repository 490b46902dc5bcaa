// The table build as the window sees it: the rows classified (message_classification.cpp), the
// grid scrolled, and the resume marks that tell the next download where new mail begins.
#include "screening/provider_fields.h"
#include "screening/screener.h"
#include "screening/sender_verdicts.h"
#include "screening/view.h"

#include <algorithm>

namespace kestrix {

void Screener::readArrivedRow(const DownloadedRow &row)
{
    if (!profile.checkSenders)
        return;
    providerFieldsOf(row);
    keepLikeness(profile.likenessCache.of(profile.whitelist), row);
}

void Screener::buildMessageTable(bool scrollToEnd)
{
    messages.classify(profile);
    showBuiltTable(scrollToEnd);
}

void Screener::showBuiltTable(bool scrollToEnd)
{
    if (!messages.hasMessages()) {
        m_view.setText(Control::Label52, std::string());
        m_view.setVisible(Control::Shape2, false);
    }
    m_view.messageTableChanged();

    const int lastRow = messages.messageTable.lastRow();
    if (scrollToEnd || !(grid.detailsRow > 0 && grid.detailsRow < lastRow))
        scrollTableToEnd();
    grid.detailsRow = -1;

    setResumeMarks();
}

std::vector<std::string> Screener::verdictReasons(int tableRow)
{
    if (!profile.checkSenders || tableRow < 1 || size_t(tableRow) > messages.rows.size()
        || !messages.messageTable.verdicts(tableRow).any())
        return {};
    SenderVerdicts judge(profile.likenessCache.of(profile.whitelist), messages.rows,
                         profile.senderCheckSettings());
    std::vector<std::string> reasons;
    judge.judge(messages.rows[size_t(tableRow) - 1], &reasons);
    return reasons;
}

void Screener::scrollTableToEnd()
{
    const int rowHeight = profile.settings.RowHeight > 0 ? profile.settings.RowHeight : 1;
    const int clientHeight = m_view.messageTableClientHeight();
    const int rowCount = messages.messageTable.rowCount();
    int topRow = -1;
    if (clientHeight < rowHeight * rowCount) {
        // A grid lower than one row would put the top row past the end: keep it on a row.
        topRow = std::clamp(rowCount - clientHeight / rowHeight + 1, 1,
                            messages.messageTable.lastRow());
    }
    m_view.scrollMessageTable(topRow, messages.messageTable.lastRow());
}

void Screener::setResumeMarks()
{
    const int last = messages.leadingTrustedIndex;
    profile.settings.resumeCode = "-1";
    profile.settings.resumeFallbackCode = "-1";
    if (last >= 0 && messages.rows.size() > size_t(last))
        profile.settings.resumeCode = messages.rows[size_t(last)].markCode();
    profile.settings.resumeCodeCopy = profile.settings.resumeCode;
    // The row before the last trusted one (the first row is never a fallback).
    if (last > 1 && messages.rows.size() >= size_t(last))
        profile.settings.resumeFallbackCode = messages.rows[size_t(last) - 1].markCode();
    if (profile.settings.resumeCode == "-1")
        profile.settings.resumeCode = messages.foundCode;
}

}  // namespace kestrix
