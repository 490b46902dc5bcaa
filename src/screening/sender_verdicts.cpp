#include "screening/sender_verdicts.h"

#include "screening/sender_address.h"

namespace kestrix {

SenderVerdicts::SenderVerdicts(SenderLikeness &likeness, const std::vector<DownloadedRow> &rows,
                               const SenderCheckSettings &settings)
    : m_forgedIsBad(settings.forgedIsBad)
    , m_provider(settings.trustedAuthservId.empty() ? learnAuthservId(rows)
                                                    : settings.trustedAuthservId,
                 settings.trustSpamFlag)
    , m_likeness(likeness)
{
}

RowVerdicts SenderVerdicts::judge(const DownloadedRow &row)
{
    RowVerdicts verdicts;
    if (!row.headerLines.empty())
        m_provider.judge(row.headerLines, splitSender(row.sender).domain, verdicts);
    m_likeness.judge(row.sender, verdicts);
    verdicts.countsAsBad = m_forgedIsBad && verdicts.any();
    return verdicts;
}

}  // namespace kestrix
