#include "screening/row_verdicts.h"

namespace kestrix {

Verdict RowVerdicts::first() const
{
    for (const Verdict v : kAllVerdicts) {
        if (has(v))
            return v;
    }
    return Verdict::Forged;
}

void RowVerdicts::add(Verdict v, std::string reason)
{
    flags |= std::uint8_t(v);
    reasons.push_back(std::move(reason));
}

const char *verdictName(Verdict v)
{
    switch (v) {
    case Verdict::Forged: return "forged";
    case Verdict::Impostor: return "impostor";
    case Verdict::LookAlike: return "look-alike";
    case Verdict::ProviderSpam: return "provider-spam";
    }
    return "";
}

std::string verdictColumnText(const RowVerdicts &verdicts)
{
    std::string text;
    for (const Verdict v : kAllVerdicts) {
        if (!verdicts.has(v))
            continue;
        if (!text.empty())
            text += ',';
        text += verdictName(v);
    }
    return text.empty() ? std::string("-") : text;
}

}  // namespace kestrix
