#include "screening/provider_verdicts.h"

#include "screening/provider_fields.h"
#include "text/latin1.h"

namespace kestrix {

std::string learnAuthservId(const std::vector<DownloadedRow> &rows)
{
    const std::string *shared = nullptr;
    for (const DownloadedRow &row : rows) {
        if (row.fromLog || row.headerLines.empty())
            continue;
        const ProviderFields &fields = providerFieldsOf(row);
        if (!fields.hasAuthResults)
            continue;
        // Only the topmost field votes.
        const std::string &topmost = fields.topmost.authservId;
        if (topmost.empty())
            return {};  // an id-less field on top: nothing can be trusted
        if (!shared)
            shared = &topmost;
        else if (!equalsIgnoreCaseAZ(*shared, topmost))
            return {};
    }
    return shared ? *shared : std::string();
}

void ProviderVerdicts::judge(const DownloadedRow &row, RowVerdicts &out,
                             std::vector<std::string> *reasons) const
{
    if (row.headerLines.empty())
        return;
    const ProviderFields &fields = providerFieldsOf(row);
    bool dmarcFail = false;
    bool dkimFail = false;
    bool spfFail = false;
    // Fail wins: a lower field that claims the trusted id can add a failure about its own
    // message, never take one back. The fields of other servers are not read.
    auto count = [&](const ProviderFields::AuthResults &field) {
        if (!field.fails() || !equalsIgnoreCaseAZ(field.authservId, m_trustedId))
            return;
        dmarcFail |= field.dmarcFail;
        dkimFail |= field.dkimFail;
        spfFail |= field.spfFail;
    };
    if (!m_trustedId.empty() && fields.hasAuthResults) {
        count(fields.topmost);
        for (const ProviderFields::AuthResults &field : fields.failingBelow)
            count(field);
    }
    const bool forged = dmarcFail || (dkimFail && spfFail);
    if (forged)
        out.add(Verdict::Forged);
    const bool spam = m_trustSpamFlag && !fields.spamReason.empty();
    if (spam)
        out.add(Verdict::ProviderSpam);
    if (!reasons)
        return;
    if (forged) {
        std::string why = "Authentication-Results from ";
        why += m_trustedId;
        why += ": ";
        if (dmarcFail)
            why += "dmarc=fail";
        if (dmarcFail && dkimFail && spfFail)
            why += ", ";
        if (dkimFail && spfFail)
            why += "dkim=fail, spf=fail";
        reasons->push_back(std::move(why));
    }
    if (spam)
        reasons->push_back(fields.spamReason);
}

}  // namespace kestrix
