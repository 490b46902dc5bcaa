#pragma once
// Every verdict of a row, for one build of the message table: the provider's (under the trusted
// authserv-id, set in the profile or learnt from the rows) and those of the sender text
// against the whitelist. Built once per table build, then asked row by row.

#include "screening/downloaded_row.h"
#include "screening/provider_verdicts.h"
#include "screening/row_verdicts.h"
#include "screening/sender_likeness.h"

#include <string>
#include <vector>

namespace kestrix {

// The profile's "[screening]" keys of NAME.conf.
struct SenderCheckSettings {
    std::string trustedAuthservId;  // empty: learnt from the downloaded rows
    bool trustSpamFlag = true;      // the provider's X-Spam-Flag makes a verdict
    bool forgedIsBad = true;        // verdict rows join the known-bad selection
};

// Judges the row's sender against the likeness unless the row already holds its verdicts under
// it; reasons: one line per verdict, and the row is judged again to give them.
void keepLikeness(SenderLikeness &likeness, const DownloadedRow &row,
                  std::vector<std::string> *reasons = nullptr);

class SenderVerdicts {
public:
    // likeness: the whitelist's (SenderLikenessCache::of); it must outlive this object.
    SenderVerdicts(SenderLikeness &likeness, const std::vector<DownloadedRow> &rows,
                   const SenderCheckSettings &settings);

    // The row's verdicts; countsAsBad is set for any verdict when forgedIsBad is on (the table
    // build takes it back for a row the whitelist still trusts). With reasons, one line per
    // verdict saying why, for the details pane.
    RowVerdicts judge(const DownloadedRow &row, std::vector<std::string> *reasons = nullptr);

    // The authserv-id whose Authentication-Results are read ("" when none is trusted).
    const std::string &trustedAuthservId() const { return m_provider.trustedId(); }

private:
    bool m_forgedIsBad;
    ProviderVerdicts m_provider;
    SenderLikeness &m_likeness;
};

}  // namespace kestrix
