#pragma once
// The verdicts the receiving provider already wrote into a message's header: its
// Authentication-Results (only those under the authserv-id the profile trusts) and its spam
// flag. A sender can write any header below the provider's, never above it, so the trusted id
// is either the profile's own ("[screening] trustedAuthservId") or learnt from the topmost
// Authentication-Results of the downloaded messages; and only the topmost spam flag counts.

#include "screening/downloaded_row.h"
#include "screening/row_verdicts.h"

#include <string>
#include <vector>

namespace kestrix {

// The authserv-id of the topmost Authentication-Results field that every row with such a field
// shares (A-Z case ignored; rows from the log and rows without the field do not vote); empty
// when they differ, when one of them has none, or when no row has the field.
std::string learnAuthservId(const std::vector<DownloadedRow> &rows);

class ProviderVerdicts {
public:
    ProviderVerdicts(std::string trustedId, bool trustSpamFlag)
        : m_trustedId(std::move(trustedId)), m_trustSpamFlag(trustSpamFlag)
    {
    }

    // Adds Forged when a trusted Authentication-Results says dmarc=fail, or dkim=fail and
    // spf=fail, for the row's From domain (a result naming another domain does not count; one
    // naming none does), and ProviderSpam when the spam flag is trusted and the topmost
    // X-Spam-Flag says YES (or the topmost X-Spam-Status says Yes). With reasons, appends a
    // line per verdict saying why ("Authentication-Results from mx.example.net: dmarc=fail").
    void judge(const DownloadedRow &row, RowVerdicts &out,
               std::vector<std::string> *reasons = nullptr) const;

    const std::string &trustedId() const { return m_trustedId; }

private:
    std::string m_trustedId;
    bool m_trustSpamFlag;
};

}  // namespace kestrix
