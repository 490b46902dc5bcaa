// Classifying what was downloaded: every row against the profile's whitelist, rejected-mail log
// and blacklist words, the sender checks and the learned score, written into the message table
// with the counts of trusted rows. No server, no files and no screen.
#include "screening/classification.h"
#include "screening/downloaded_messages.h"
#include "screening/header_tokens.h"
#include "screening/screening_profile.h"
#include "screening/sender_verdicts.h"

#include <optional>

namespace kestrix {

namespace {

// The row's own tokens (read once) and its sender verdicts, as training saw them.
void scoreRow(const LearnedScorer &scorer, bool selectSpam, const DownloadedRow &row,
              RowVerdicts &verdicts)
{
    thread_local std::vector<uint64_t> ids;
    ids = rowTokenIds(row);
    for (const Verdict verdict : kAllVerdicts) {
        if (verdicts.has(verdict))
            ids.push_back(tokenId(std::string("verdict:") + verdictName(verdict)));
    }
    const LearnedResult result = scorer.score(ids);
    verdicts.learned = result.verdict;
    verdicts.learnedScore = result.score;
    if (result.verdict == LearnedVerdict::Spam && selectSpam)
        verdicts.countsAsBad = true;
}

}  // namespace

void DownloadedMessages::classify(ScreeningProfile &profile)
{
    allTrusted = true;
    trustedCount = 0;
    leadingTrustedIndex = -1;
    messageTable.clearCells();
    const size_t rowCount = rows.size();
    messageTable.setRowCount(rowCount == 0 ? 2 : int(rowCount) + 1);
    messageTable.writeTitles();

    const Classifier classifier(profile.whitelist, profile.blacklist, profile.rejectedLog,
                                profile.decodeAll);
    std::optional<SenderVerdicts> judge;
    if (profile.checkSenders && rowCount > 0)
        judge.emplace(profile.likenessCache.of(profile.whitelist), rows,
                      profile.senderCheckSettings());
    profile.learning.applyConf(profile.conf);
    const LearnedScorer &scorer = profile.learning.scorer();
    const bool selectSpam = profile.learning.selectSpam();
    for (size_t i = 0; i < rowCount; ++i) {
        const int r = int(i) + 1;
        const DownloadedRow &row = rows[i];
        RowVerdicts verdicts = judge ? judge->judge(row) : RowVerdicts{};
        if (scorer.trained() && !row.headerLines.empty())
            scoreRow(scorer, selectSpam, row, verdicts);
        const RowMarkers markers = classifier.classify(row.sender, row.subject,
                                                       !verdicts.untrustsWhitelist(),
                                                       row.shownSender, row.shownSubject);
        // A row the whitelist still trusts (a provider's spam flag on a friend's mail) shows
        // its verdict but is never selected as bad.
        if (markers.sender == CellMarker::KNGA)
            verdicts.countsAsBad = false;
        if (verdicts.any() || verdicts.learned != LearnedVerdict::NotTrained)
            messageTable.setVerdicts(r, std::move(verdicts));

        messageTable.setCell(MessageTable::ColNumber, r, std::to_string(row.number));
        messageTable.setCell(MessageTable::ColSender, r, row.sender, markers.sender,
                             row.shownSender);
        messageTable.setCell(MessageTable::ColSubject, r, row.subject, markers.subject,
                             row.shownSubject);
        if (markers.sender == CellMarker::KNGA) {
            ++trustedCount;
            if (allTrusted)
                leadingTrustedIndex = int(i);
        } else {
            allTrusted = false;
        }
        messageTable.setCell(MessageTable::ColSizeContent, r, row.sizeContentText());
    }
    messageTable.markClassified();
}

}  // namespace kestrix
