#include "screening/provider_verdicts.h"

#include "screening/authentication_results.h"
#include "screening/sender_address.h"
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

// Relaxed alignment: the same domain, or one below the other. A property that names no
// domain, or a From without one, does not stand against the result.
bool aligned(std::string_view property, std::string_view fromDomain)
{
    std::string_view domain = property;
    if (const size_t at = domain.rfind('@'); at != std::string_view::npos)
        domain = domain.substr(at + 1);
    if (domain.empty() || fromDomain.empty())
        return true;
    const std::string a = lowerAZ(domain);
    const std::string b = lowerAZ(fromDomain);
    auto below = [](const std::string &sub, const std::string &parent) {
        return sub.size() > parent.size() && sub.compare(sub.size() - parent.size(), parent.size(), parent) == 0
               && sub[sub.size() - parent.size() - 1] == '.';
    };
    return a == b || below(a, b) || below(b, a);
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
    for (const DownloadedRow &row : rows) {
        if (row.fromLog)
            continue;
        std::string topmost;
        bool found = false;
        forEachHeaderField(row.headerLines, kFirstHeaderLine, {kAuthResults},
                           [&](std::string_view, std::string_view value) {
                               if (!found)
                                   topmost = authservIdOf(value);
                               found = true;
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

void judgeProvider(const std::vector<std::string> &lines, std::string_view fromDomain,
                   std::string_view trustedId, bool trustSpamFlag, RowVerdicts &out)
{
    bool dmarcFail = false;
    bool dkimFail = false;
    bool spfFail = false;
    bool spam = false;
    bool flagSeen = false;
    bool statusSeen = false;
    std::string spamLine;
    forEachHeaderField(lines, kFirstHeaderLine, {kAuthResults, kSpamFlag, kSpamStatus},
                       [&](std::string_view name, std::string_view value) {
        if (name == kAuthResults) {
            if (trustedId.empty())
                return;
            // Cheap test first: most fields of other servers stop here.
            const AuthenticationResults parsed = parseAuthenticationResults(value);
            if (parsed.authservId.empty() || !equalsIgnoreCaseAZ(parsed.authservId, trustedId))
                return;
            // Fail wins: a lower field that claims the trusted id can add a failure about its
            // own message, never take one back.
            for (const AuthResult &r : parsed.results) {
                if (r.result != "fail")
                    continue;
                if (r.method == "dmarc" && aligned(r.property("header.from"), fromDomain))
                    dmarcFail = true;
                else if (r.method == "dkim"
                         && aligned(r.property("header.d").empty() ? r.property("header.i")
                                                                   : r.property("header.d"),
                                    fromDomain))
                    dkimFail = true;
                else if (r.method == "spf" && aligned(r.property("smtp.mailfrom"), fromDomain))
                    spfFail = true;
            }
            return;
        }
        // Only the topmost flag and status: the provider writes above anything a sender wrote.
        bool &seen = name == kSpamFlag ? flagSeen : statusSeen;
        if (seen)
            return;
        seen = true;
        if (trustSpamFlag && !spam && spamFlagSaysYes(name, value)) {
            spam = true;
            spamLine = std::string(name == kSpamFlag ? "X-Spam-Flag: " : "X-Spam-Status: ")
                       + std::string(trimmedBlanks(value).substr(0, 60));
        }
    });

    if (dmarcFail || (dkimFail && spfFail)) {
        std::string why;
        if (dmarcFail)
            why = "dmarc=fail";
        if (dkimFail && spfFail)
            why += std::string(why.empty() ? "" : ", ") + "dkim=fail, spf=fail";
        out.add(Verdict::Forged, "Authentication-Results from " + std::string(trustedId) + ": " + why);
    }
    if (spam)
        out.add(Verdict::ProviderSpam, "Spam by the provider: " + spamLine);
}

}  // namespace kestrix
