// How many rows the two deletion runs will delete; the confirmation questions state these counts.
#include "screening/screener.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

int Screener::countKnownBad() const
{
    int count = 0;
    for (int r = 0; r < messageTable.rowCount(); ++r) {
        if (messageTable.isKnownBadOrBlacklisted(r) && !messageTable.isTrusted(r))
            ++count;
    }
    return count;
}

int Screener::mySelCount() const
{
    const int top = std::max(selTop, 1);
    const int bottom = std::min(selBottom, messageTable.lastRow());
    int count = 0;
    for (int r = top; r <= bottom; ++r) {
        // Rows without a message number (the blank row of an empty table) are never deleted.
        const auto number = parseDecimal(messageTable.text(MessageTable::ColNumber, r));
        if (!number || *number <= 0)
            continue;
        if (!messageTable.isTrusted(r) || allowDeleteAccepted)
            ++count;
    }
    return count;
}

}  // namespace kestrix
