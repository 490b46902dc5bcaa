// How many rows the two deletion runs will delete; the confirmation questions state these counts.
#include "screening/screener.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

int Screener::countKnownBad() const
{
    int count = 0;
    for (int r = 0; r < messages.messageTable.rowCount(); ++r) {
        if (messages.messageTable.isKnownBadOrBlacklisted(r) && !messages.messageTable.isTrusted(r))
            ++count;
    }
    return count;
}

int Screener::mySelCount() const
{
    const int top = std::max(grid.selTop, 1);
    const int bottom = std::min(grid.selBottom, messages.messageTable.lastRow());
    int count = 0;
    for (int r = top; r <= bottom; ++r) {
        // Rows without a message number (the blank row of an empty table) are never deleted.
        const auto number = parseDecimal(messages.messageTable.text(MessageTable::ColNumber, r));
        if (!number || *number <= 0)
            continue;
        if (!messages.messageTable.isTrusted(r) || grid.allowDeleteAccepted)
            ++count;
    }
    return count;
}

}  // namespace kestrix
