// Rebuilding the message table from the downloaded rows: classification of every row,
// scrolling, and the resume marks that tell the next download where new mail begins.
#include "screening/classification.h"
#include "screening/header_tokens.h"
#include "screening/provider_fields.h"
#include "screening/screener.h"
#include "screening/sender_verdicts.h"
#include "screening/view.h"

#include <algorithm>
#include <optional>

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
    messages.allTrusted = true;
    messages.trustedCount = 0;
    messages.leadingTrustedIndex = -1;
    messages.messageTable.clearCells();

    const size_t rowCount = messages.rows.size();
    if (rowCount == 0) {
        messages.messageTable.setRowCount(2);
        m_view.setText(Control::Label52, std::string());
        m_view.setVisible(Control::Shape2, false);
    } else {
        messages.messageTable.setRowCount(int(rowCount) + 1);
    }
    messages.messageTable.writeTitles();

    const Classifier classifier(profile.whitelist, profile.blacklist, profile.rejectedLog,
                                profile.decodeAll);
    std::optional<SenderVerdicts> judge;
    if (profile.checkSenders && rowCount > 0)
        judge.emplace(profile.likenessCache.of(profile.whitelist), messages.rows, profile.senderCheckSettings());
    profile.learning.applyConf(profile.conf);
    const LearnedScorer &scorer = profile.learning.scorer();
    for (size_t i = 0; i < rowCount; ++i) {
        const int r = int(i) + 1;
        const DownloadedRow &row = messages.rows[i];
        const std::string &sender = row.sender;
        const std::string &subject = row.subject;
        RowVerdicts verdicts = judge ? judge->judge(row) : RowVerdicts{};
        if (scorer.trained() && !row.headerLines.empty())
            scoreRow(scorer, row, verdicts);
        const RowMarkers markers = classifier.classify(sender, subject, !verdicts.untrustsWhitelist(),
                                                       row.shownSender, row.shownSubject);
        // A row the whitelist still trusts (a provider's spam flag on a friend's mail) shows
        // its verdict but is never selected as bad.
        if (markers.sender == CellMarker::KNGA)
            verdicts.countsAsBad = false;
        if (verdicts.any() || verdicts.learned != LearnedVerdict::NotTrained)
            messages.messageTable.setVerdicts(r, std::move(verdicts));

        messages.messageTable.setCell(MessageTable::ColNumber, r, std::to_string(row.number));
        messages.messageTable.setCell(MessageTable::ColSender, r, sender, markers.sender,
                                      row.shownSender);
        messages.messageTable.setCell(MessageTable::ColSubject, r, subject, markers.subject, row.shownSubject);
        if (markers.sender == CellMarker::KNGA) {
            ++messages.trustedCount;
            if (messages.allTrusted)
                messages.leadingTrustedIndex = int(i);
        } else {
            messages.allTrusted = false;
        }
        messages.messageTable.setCell(MessageTable::ColSizeContent, r, row.sizeContentText());
    }
    m_view.messageTableChanged();

    const int lastRow = messages.messageTable.lastRow();
    if (scrollToEnd || !(grid.detailsRow > 0 && grid.detailsRow < lastRow))
        scrollTableToEnd();
    grid.detailsRow = -1;

    setResumeMarks();
}

void Screener::scoreRow(const LearnedScorer &scorer, const DownloadedRow &row,
                        RowVerdicts &verdicts) const
{
    // The row's own tokens (read once) and its sender verdicts, as training saw them.
    thread_local std::vector<uint64_t> ids;
    ids = rowTokenIds(row);
    for (const Verdict verdict : kAllVerdicts) {
        if (verdicts.has(verdict))
            ids.push_back(tokenId(std::string("verdict:") + verdictName(verdict)));
    }
    const LearnedResult result = scorer.score(ids);
    verdicts.learned = result.verdict;
    verdicts.learnedScore = result.score;
    if (result.verdict == LearnedVerdict::Spam && profile.learning.selectSpam())
        verdicts.countsAsBad = true;
}

std::vector<std::string> Screener::verdictReasons(int tableRow)
{
    if (!profile.checkSenders || tableRow < 1 || size_t(tableRow) > messages.rows.size()
        || !messages.messageTable.verdicts(tableRow).any())
        return {};
    SenderVerdicts judge(profile.likenessCache.of(profile.whitelist), messages.rows, profile.senderCheckSettings());
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
        topRow = std::clamp(rowCount - clientHeight / rowHeight + 1, 1, messages.messageTable.lastRow());
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
