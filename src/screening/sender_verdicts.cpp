#include "screening/sender_verdicts.h"

#include "screening/provider_verdicts.h"
#include "screening/sender_address.h"

namespace kestrix {

SenderVerdicts::SenderVerdicts(const Whitelist &whitelist, const std::vector<DownloadedRow> &rows,
                               const SenderCheckSettings &settings)
    : m_settings(settings)
    , m_trustedId(settings.trustedAuthservId.empty() ? learnAuthservId(rows)
                                                     : settings.trustedAuthservId)
    , m_likeness(whitelist)
{
}

RowVerdicts SenderVerdicts::judge(const DownloadedRow &row) const
{
    RowVerdicts verdicts;
    if (!row.headerLines.empty()) {
        judgeProvider(row.headerLines, splitSender(row.sender).domain, m_trustedId,
                      m_settings.trustSpamFlag, verdicts);
    }
    m_likeness.judge(row.sender, verdicts);
    verdicts.countsAsBad = m_settings.forgedIsBad && verdicts.any();
    return verdicts;
}

}  // namespace kestrix
