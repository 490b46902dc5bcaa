#include "ui/message_details.h"

#include "text/latin1.h"

namespace kestrix {

DetailsText detailsText(const std::vector<std::string> &stored, const std::string &newestCode,
                        bool diagnosticMode, const std::vector<std::string> &verdicts)
{
    DetailsText out;
    out.lines = stored;
    if (!out.lines.empty()) {
        std::string &first = out.lines.front();
        const auto paren = first.find('(');
        if (paren != std::string::npos)
            first.erase(paren);
        first += "(" + newestCode + ")";
        if (!diagnosticMode)
            out.lines.erase(out.lines.begin());
    }
    for (const std::string &line : out.lines) {
        const std::string lower = lowerAZ(line);
        const auto virus = lower.find("virus");
        if (virus == std::string::npos)
            continue;
        const auto subject = lower.find("subject");
        if (subject == std::string::npos || virus < subject) {
            out.virusHint = true;
            break;
        }
    }
    out.lines.insert(out.lines.begin(), verdicts.begin(), verdicts.end());
    if (out.virusHint)
        out.lines.insert(out.lines.begin(), kVirusHint);
    return out;
}

bool hasNoText(const std::vector<std::string> *stored)
{
    if (!stored)
        return true;
    for (size_t i = stored->size(); i-- > 2;) {
        const std::string lower = lowerAZ((*stored)[i]);
        if (lower.find("content-type") != std::string::npos)
            return lower.find("text") == std::string::npos;
    }
    return true;
}

}  // namespace kestrix
