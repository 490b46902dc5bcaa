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

void keepLikeness(SenderLikeness &likeness, const DownloadedRow &row,
                  std::vector<std::string> *reasons)
{
    if (!reasons && row.likeness.serial == likeness.serial())
        return;
    RowVerdicts verdicts;
    likeness.judge(row.sender, verdicts, reasons);
    row.likeness = {likeness.serial(), verdicts.flags};
}

RowVerdicts SenderVerdicts::judge(const DownloadedRow &row, std::vector<std::string> *reasons)
{
    RowVerdicts verdicts;
    m_provider.judge(row, verdicts, reasons);
    keepLikeness(m_likeness, row, reasons);
    verdicts.flags |= row.likeness.flags;
    verdicts.countsAsBad = m_forgedIsBad && verdicts.any();
    return verdicts;
}

}  // namespace kestrix
