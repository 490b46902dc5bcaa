#include "screening/provider_verdicts.h"

#include "text/latin1.h"

namespace kestrix {

namespace {

// The stored lines start with "id:" and "Size:"; the header follows.
constexpr size_t kFirstHeaderLine = 2;

constexpr std::string_view kAuthResults = "authentication-results";
constexpr std::string_view kSpamFlag = "x-spam-flag";
constexpr std::string_view kSpamStatus = "x-spam-status";

std::string_view trimmedBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool endsWithLabel(std::string_view sub, std::string_view parent)
{
    return sub.size() > parent.size()
           && equalsIgnoreCaseAZ(sub.substr(sub.size() - parent.size()), parent)
           && sub[sub.size() - parent.size() - 1] == '.';
}

// Relaxed alignment: the same domain, or one below the other. A property that names no
// domain, or a From without one, does not stand against the result.
bool aligned(std::string_view property, std::string_view fromDomain)
{
    std::string_view domain = property;
    if (const size_t at = domain.rfind('@'); at != std::string_view::npos)
        domain = domain.substr(at + 1);
    if (domain.empty() || fromDomain.empty())
        return true;
    return equalsIgnoreCaseAZ(domain, fromDomain) || endsWithLabel(domain, fromDomain)
           || endsWithLabel(fromDomain, domain);
}

bool spamFlagSaysYes(std::string_view name, std::string_view value)
{
    value = trimmedBlanks(value);
    if (name == kSpamFlag)
        return equalsIgnoreCaseAZ(value, "yes");
    // "Yes, score=7.1 required=5.0 ..."
    return value.size() >= 3 && equalsIgnoreCaseAZ(value.substr(0, 3), "yes")
           && (value.size() == 3 || value[3] == ',' || value[3] == ' ' || value[3] == ';');
}

}  // namespace

std::string learnAuthservId(const std::vector<DownloadedRow> &rows)
{
    std::string shared;
    std::string buffer;
    std::string topmost;  // kept outside the loop: its room is reused row after row
    for (const DownloadedRow &row : rows) {
        if (row.fromLog)
            continue;
        bool found = false;
        forEachHeaderField(row.headerLines, kFirstHeaderLine, {kAuthResults}, buffer,
                           [&](std::string_view, std::string_view value) {
                               topmost.assign(parseAuthenticationResults(value));
                               found = true;
                               return true;  // only the topmost field votes
                           });
        if (!found)
            continue;
        if (topmost.empty())
            return {};  // an id-less field on top: nothing can be trusted
        if (shared.empty())
            shared = topmost;
        else if (!equalsIgnoreCaseAZ(shared, topmost))
            return {};
    }
    return shared;
}

void ProviderVerdicts::judge(const std::vector<std::string> &lines, std::string_view fromDomain,
                             RowVerdicts &out)
{
    bool dmarcFail = false;
    bool dkimFail = false;
    bool spfFail = false;
    bool flagSeen = false;
    bool statusSeen = false;
    std::string spamLine;
    forEachHeaderField(lines, kFirstHeaderLine, {kAuthResults, kSpamFlag, kSpamStatus}, m_buffer,
                       [&](std::string_view name, std::string_view value) {
        if (name == kAuthResults) {
            // The id first: the fields of other servers are not read further.
            if (m_trustedId.empty()
                || !equalsIgnoreCaseAZ(parseAuthenticationResults(value), m_trustedId))
                return false;
            parseAuthenticationResults(value, &m_results);
            // Fail wins: a lower field that claims the trusted id can add a failure about its
            // own message, never take one back.
            for (const AuthResult &r : m_results) {
                if (r.is("dmarc", "fail") && aligned(r.property("header.from"), fromDomain))
                    dmarcFail = true;
                else if (r.is("dkim", "fail")) {
                    const std::string_view d = r.property("header.d");
                    dkimFail |= aligned(d.empty() ? r.property("header.i") : d, fromDomain);
                } else if (r.is("spf", "fail") && aligned(r.property("smtp.mailfrom"), fromDomain))
                    spfFail = true;
            }
            return false;
        }
        // Only the topmost flag and status: the provider writes above anything a sender wrote.
        bool &seen = name == kSpamFlag ? flagSeen : statusSeen;
        if (seen)
            return false;
        seen = true;
        if (m_trustSpamFlag && spamLine.empty() && spamFlagSaysYes(name, value)) {
            spamLine = std::string(name == kSpamFlag ? "X-Spam-Flag: " : "X-Spam-Status: ")
                       + std::string(trimmedBlanks(value).substr(0, 60));
        }
        return false;
    });

    if (dmarcFail || (dkimFail && spfFail)) {
        std::string why;
        if (dmarcFail)
            why = "dmarc=fail";
        if (dkimFail && spfFail)
            why += std::string(why.empty() ? "" : ", ") + "dkim=fail, spf=fail";
        out.add(Verdict::Forged, "Authentication-Results from " + m_trustedId + ": " + why);
    }
    if (!spamLine.empty())
        out.add(Verdict::ProviderSpam, "Spam by the provider: " + spamLine);
}

}  // namespace kestrix
