#pragma once
// One downloaded message as a row of the message table. The Screener keeps one record per row
// (table row r is record r - 1); the table is rebuilt from the records, so a row's number,
// sender, subject, code and header lines can never drift apart.

#include "screening/provider_fields.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct DownloadedRow {
    int number = 0;       // the message number on the server, renumbered after deletions
    std::string sender;   // as received
    std::string subject;  // as received
    std::string code;     // the message code; "-1" when it could not be fetched
    // "id:" + code, "Size: " + bytes + " byte", then the header lines as received. Empty for a
    // row from the log: no header arrived for it.
    std::vector<std::string> headerLines = {};
    // The row was filled from the rejected-mail log (diagnostic): no server message behind it.
    bool fromLog = false;
    // What people read is decoded from the header as received, not from the bytes above (their
    // "q" words lost their charset): these hold it when it differs from sender and subject.
    std::string shownSender = {};
    std::string shownSubject = {};
    // The learned score's token ids of the header lines (rowTokenIds), read at the first table
    // build that scores the row and kept: a rebuild scores without reading the lines again.
    mutable std::shared_ptr<const std::vector<uint64_t>> learnedTokenIds = {};
    // What the header says about the sender, read at the first table build that checks
    // senders and kept likewise.
    mutable ProviderFields providerFields = {};
    // The sender's verdicts against the whitelist (Impostor, LookAlike), kept under the index
    // that judged them (SenderLikeness::serial): the whitelist changes far less often than the
    // table is built.
    struct KeptLikeness {
        std::uint64_t serial = 0;  // 0: not judged
        std::uint8_t flags = 0;    // Verdict bits
    };
    mutable KeptLikeness likeness = {};

    // The resume mark the row leaves for the next download: its code, "0" for a row from
    // the log.
    std::string markCode() const { return fromLog ? std::string("0") : code; }

    // The size and content text of the table: "1834 / text/plain; charset=iso-8859-1",
    // "1834 /N.A." without a content line, "N.A." without header lines.
    std::string sizeContentText() const;
};

// The first row in row order whose message number is n and whose header arrived; nullptr for
// none and for n < 1.
const DownloadedRow *findRow(const std::vector<DownloadedRow> &rows, int number);

// The message number table row r (r >= 1) shows, read from its record, never from the grid's
// text; 0 (no message) for a row that is not there.
int numberOfRow(const std::vector<DownloadedRow> &rows, int tableRow);

// The size and content text of header lines as a row holds them (see
// DownloadedRow::sizeContentText), for lines that are there.
std::string sizeContentText(const std::vector<std::string> &lines);

}  // namespace kestrix
