#include "screening/provider_fields.h"

#include "screening/authentication_results.h"
#include "screening/downloaded_row.h"
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

// "fail" anywhere in text, A-Z case ignored.
bool containsFail(std::string_view text)
{
    for (size_t i = 0; i + 4 <= text.size(); ++i) {
        if ((text[i] | 0x20) == 'f' && (text[i + 1] | 0x20) == 'a' && (text[i + 2] | 0x20) == 'i'
            && (text[i + 3] | 0x20) == 'l')
            return true;
    }
    return false;
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

void readFailures(std::string_view value, std::string_view fromDomain,
                  ProviderFields::AuthResults &field)
{
    // A result is a token of the value: without "fail" in it, none can fail. Most fields
    // pass, and this spares them the full reading.
    if (!containsFail(value))
        return;
    std::vector<AuthResult> results;
    parseAuthenticationResults(value, &results);
    for (const AuthResult &r : results) {
        if (r.is("dmarc", "fail") && aligned(r.property("header.from"), fromDomain))
            field.dmarcFail = true;
        else if (r.is("dkim", "fail")) {
            const std::string_view d = r.property("header.d");
            field.dkimFail |= aligned(d.empty() ? r.property("header.i") : d, fromDomain);
        } else if (r.is("spf", "fail") && aligned(r.property("smtp.mailfrom"), fromDomain))
            field.spfFail = true;
    }
}

}  // namespace

ProviderFields readProviderFields(const std::vector<std::string> &lines, std::string_view fromDomain)
{
    ProviderFields fields;
    bool flagSeen = false;
    bool statusSeen = false;
    std::string buffer;
    forEachHeaderField(lines, kFirstHeaderLine, {kAuthResults, kSpamFlag, kSpamStatus}, buffer,
                       [&](std::string_view name, std::string_view value) {
        if (name == kAuthResults) {
            ProviderFields::AuthResults field;
            field.authservId = parseAuthenticationResults(value);
            readFailures(value, fromDomain, field);
            if (!fields.hasAuthResults) {
                fields.hasAuthResults = true;
                fields.topmost = std::move(field);
            } else if (field.fails()) {
                fields.failingBelow.push_back(std::move(field));
            }
            return false;
        }
        // Only the topmost flag and status: the provider writes above anything a sender wrote.
        bool &seen = name == kSpamFlag ? flagSeen : statusSeen;
        if (seen)
            return false;
        seen = true;
        if (fields.spamReason.empty() && spamFlagSaysYes(name, value)) {
            fields.spamReason = "Spam by the provider: ";
            fields.spamReason += name == kSpamFlag ? "X-Spam-Flag: " : "X-Spam-Status: ";
            fields.spamReason += trimmedBlanks(value).substr(0, 60);
        }
        return false;
    });
    return fields;
}

const ProviderFields &providerFieldsOf(const DownloadedRow &row)
{
    const std::vector<std::string> &lines = row.headerLines;
    if (row.providerFields.readFrom != lines.data() || row.providerFields.readCount != lines.size()) {
        row.providerFields = readProviderFields(lines, splitSender(row.sender).domain);
        row.providerFields.readFrom = lines.data();
        row.providerFields.readCount = lines.size();
    }
    return row.providerFields;
}

}  // namespace kestrix
