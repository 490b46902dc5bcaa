#include "screening/sender_verdicts.h"

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

RowVerdicts SenderVerdicts::judge(const DownloadedRow &row, std::vector<std::string> *reasons)
{
    RowVerdicts verdicts;
    m_provider.judge(row, verdicts, reasons);
    if (reasons || row.likeness.serial != m_likeness.serial()) {
        RowVerdicts likeness;
        m_likeness.judge(row.sender, likeness, reasons);
        row.likeness = {m_likeness.serial(), likeness.flags};
    }
    verdicts.flags |= row.likeness.flags;
    verdicts.countsAsBad = m_forgedIsBad && verdicts.any();
    return verdicts;
}

}  // namespace kestrix
