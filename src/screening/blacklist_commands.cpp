// The blacklist page's commands: add the edit field's text, delete the current entry, and the
// "<" / ">" walk over the log rows that fills the edit field.
#include "profiles/case_blind_hash.h"
#include "screening/list_commands.h"
#include "screening/screener.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {

LogStep stepTo(const RejectedLog &log, int row)
{
    // A log without entries leaves the walk on the title row, whose headings are no words of
    // any spam header: the edit field gets nothing from it.
    if (row < 1)
        return LogStep{0, {}};
    const LogRow &r = log.rows()[size_t(row)];
    return LogStep{row, std::string(r.sender) + " " + std::string(r.subject)};
}

// The grid never has a current row outside its rows.
int clampRow(const RejectedLog &log, int row)
{
    return std::clamp(row, 0, log.rowCount() - 1);
}

}  // namespace

LogStep nextLogRow(const RejectedLog &log, int currentRow)
{
    const int last = log.rowCount() - 1;
    int row = clampRow(log, currentRow);
    if (row < last)
        ++row;
    else if (last >= 1)
        row = 1;
    return stepTo(log, row);
}

LogStep previousLogRow(const RejectedLog &log, int currentRow)
{
    const int last = log.rowCount() - 1;
    int row = clampRow(log, currentRow);
    if (row <= 1) {
        if (last >= 1)
            row = last;
    } else {
        --row;
    }
    return stepTo(log, row);
}

size_t ListCommands::addBlacklistWord(const std::string &text)
{
    // Nothing is checked: an empty text or a word already listed is added as well.
    const std::string word = lowerAZ(text);
    const auto &words = m_profile.blacklist.words();
    const size_t at = size_t(std::find_if(words.begin(), words.end(),
                                          [&](const std::string &w) { return caseBlindLess(word, w); })
                             - words.begin());
    m_profile.blacklist.add(word);
    return at;
}

bool ListCommands::deleteBlacklistWord(int currentIndex)
{
    if (currentIndex < 0 || size_t(currentIndex) >= m_profile.blacklist.size())
        return false;
    m_profile.blacklist.removeAt(size_t(currentIndex));
    return true;
}

}  // namespace kestrix
