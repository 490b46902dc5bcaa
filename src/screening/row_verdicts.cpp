#include "screening/row_verdicts.h"

#include <cstdio>

namespace kestrix {

Verdict RowVerdicts::first() const
{
    for (const Verdict v : kAllVerdicts) {
        if (has(v))
            return v;
    }
    return Verdict::Forged;
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
    if (verdicts.learned != LearnedVerdict::NotTrained) {
        char score[16];
        std::snprintf(score, sizeof score, " %.3f", verdicts.learnedScore);
        if (!text.empty())
            text += ',';
        text += learnedVerdictName(verdicts.learned);
        text += score;
    }
    return text.empty() ? std::string("-") : text;
}

}  // namespace kestrix
