#pragma once
// The verdicts the receiving provider already wrote into a message's header: its
// Authentication-Results (only those under the authserv-id the profile trusts) and its spam
// flag. A sender can write any header below the provider's, never above it, so the trusted id
// is either the profile's own ("[screening] trustedAuthservId") or learnt from the topmost
// Authentication-Results of the downloaded messages; and only the topmost spam flag counts.

#include "screening/downloaded_row.h"
#include "screening/row_verdicts.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The authserv-id of the topmost Authentication-Results field that every row with such a field
// shares (A-Z case ignored; rows from the log and rows without the field do not vote); empty
// when they differ or none has one.
std::string learnAuthservId(const std::vector<DownloadedRow> &rows);

// Adds Forged when a trusted Authentication-Results says dmarc=fail, or dkim=fail and spf=fail,
// for fromDomain (a result naming another domain does not count; one naming none does), and
// ProviderSpam when trustSpamFlag is set and the topmost X-Spam-Flag says YES (or the topmost
// X-Spam-Status says Yes). lines: the row's stored lines ("id:", "Size:", then the header).
void judgeProvider(const std::vector<std::string> &lines, std::string_view fromDomain,
                   std::string_view trustedId, bool trustSpamFlag, RowVerdicts &out);

}  // namespace kestrix
