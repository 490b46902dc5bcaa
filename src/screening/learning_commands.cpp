// The learned score on the message table: training from the user's own decisions (a deletion,
// "Add to whitelist", "Mark as spam" and "Mark as good"), taking a training off again, and the
// line the details pane shows for a row.
#include "screening/header_tokens.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "screening/view.h"

#include <algorithm>
#include <cstdio>

namespace kestrix {

std::vector<std::string> Screener::verdictNames(int tableRow) const
{
    std::vector<std::string> names;
    const RowVerdicts &verdicts = messages.messageTable.verdicts(tableRow);
    for (const Verdict verdict : kAllVerdicts) {
        if (verdicts.has(verdict))
            names.emplace_back(verdictName(verdict));
    }
    return names;
}

bool Screener::trainRow(int tableRow, Judgement side)
{
    if (tableRow < 1 || size_t(tableRow) > messages.rows.size())
        return false;
    return profile.learning.trainRow(messages.rows[size_t(tableRow) - 1], side,
                                     verdictNames(tableRow));
}

void Screener::saveLearning()
{
    if (const std::string error = profile.learning.save(); !error.empty())
        m_prompter.message(Prompter::Kind::Error, error);
}

void Screener::markSelected(Judgement side)
{
    if (!messages.hasMessages())
        return;
    int marked = 0;
    const int bottom = std::min(grid.selBottom, int(messages.rows.size()));
    for (int r = std::max(grid.selTop, 1); r <= bottom; ++r)
        marked += trainRow(r, side) ? 1 : 0;
    saveLearning();
    m_view.setStatus(std::to_string(marked) + " message(s) marked as "
                     + (side == Judgement::Spam ? "spam" : "good") + "; "
                     + profile.learning.trainingNote());
    // The scores change with the training: the table is built again by the reclassify run.
    dispatcher.pendingCommand = cmdReclassify;
}

bool Screener::unlearnMessage(const std::vector<std::string> &headerLines, long long size,
                              const std::vector<std::string> &verdicts)
{
    const bool taken = profile.learning.unlearn(headerLines, size, verdicts);
    if (taken)
        saveLearning();
    return taken;
}

std::string Screener::learnedDetails(int tableRow)
{
    if (tableRow < 1 || size_t(tableRow) > messages.rows.size())
        return {};
    const DownloadedRow &row = messages.rows[size_t(tableRow) - 1];
    if (row.headerLines.empty())
        return {};
    const LearnedScorer &scorer = profile.learning.scorer();
    if (!scorer.trained())
        return "Learned score: none yet (" + profile.learning.trainingNote() + ")";
    const std::vector<std::string> tokens = rowTokens(row, verdictNames(tableRow));
    const LearnedResult result = scorer.score(tokens);
    char number[16];
    std::snprintf(number, sizeof number, "%.3f", result.score);
    std::string line = std::string("Learned score ") + number + " ("
                       + learnedVerdictName(result.verdict) + ")";
    if (const auto clues = scorer.strongestClues(tokens, 3); !clues.empty())
        line += ": " + describeClues(clues);
    return line;
}

}  // namespace kestrix
