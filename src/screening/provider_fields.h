#pragma once
// What a message's header says about its sender, read once per row and kept with it: its
// Authentication-Results fields (authserv-id and the results that fail the From domain) and the
// provider's spam flag. Which authserv-id to trust is decided per table build (it is learnt
// from all rows, or set in the profile); the header itself never changes after the download,
// so a rebuild asks these few facts instead of reading the lines again.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct DownloadedRow;

// Kept inline in the row: a table build asks them of every row, and a pointer to follow per row
// costs more than the whole check.
struct ProviderFields {
    struct AuthResults {
        std::string authservId;  // as written; empty for a field that starts with a result
        // The failures this field reports for the From domain (a result naming another domain
        // does not count; one naming none does).
        bool dmarcFail = false;
        bool dkimFail = false;
        bool spfFail = false;

        bool fails() const { return dmarcFail || dkimFail || spfFail; }
    };
    // The lines these facts were read from (providerFieldsOf): lines added to or taken from a
    // row after a build are read again.
    const std::string *readFrom = nullptr;
    std::size_t readCount = 0;
    bool hasAuthResults = false;  // the header has an Authentication-Results field
    AuthResults topmost;          // the topmost one
    // The fields below it that report a failure, top to bottom (those that report none can
    // add nothing to a verdict).
    std::vector<AuthResults> failingBelow;
    // "Spam by the provider: X-Spam-Flag: YES": the first of the topmost X-Spam-Flag and the
    // topmost X-Spam-Status that says yes; empty when neither does.
    std::string spamReason;
};

// The facts of header lines as a row stores them ("id:", "Size:", then the header), for a
// sender whose address has fromDomain.
ProviderFields readProviderFields(const std::vector<std::string> &lines, std::string_view fromDomain);

// The row's facts: read from its header lines and sender at the first call, then kept.
const ProviderFields &providerFieldsOf(const DownloadedRow &row);

}  // namespace kestrix
