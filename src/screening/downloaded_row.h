#pragma once
// One downloaded message as a row of the message table. The Screener keeps one record per row
// (table row r is record r - 1); the table is rebuilt from the records, so a row's number,
// sender, subject and code can never drift apart. The header lines stay in the HeaderStore,
// found by the message number.

#include <string>

namespace kestrix {

struct DownloadedRow {
    std::string number;   // the message number (decimal), renumbered after deletions
    std::string sender;   // as received
    std::string subject;  // as received
    std::string code;     // the message code; "-1" when it could not be fetched
    // The row was filled from the rejected-mail log (diagnostic): no server message behind it.
    bool fromLog = false;

    // The resume mark the row leaves for the next download: its code, "0" for a row from
    // the log.
    std::string markCode() const { return fromLog ? std::string("0") : code; }
};

}  // namespace kestrix
