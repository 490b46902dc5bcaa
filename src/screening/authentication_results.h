#pragma once
// The Authentication-Results header field (RFC 8601) as a receiving mail server writes it:
//   Authentication-Results: mx.example.net; spf=fail (sender IP is 192.0.2.7)
//       smtp.mailfrom=evil.example; dkim=none; dmarc=fail header.from=bank.example
// Parsing is a pure function over the field's value. The header is hostile input: comments
// (nested, with escapes) and quoted strings are read as such, so a "; dmarc=pass" inside
// either is never taken for a result, and any text at all parses to something without fault.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrix {

struct AuthResult {
    std::string method;  // lower case: "dmarc", "dkim", "spf", ...
    std::string result;  // lower case: "pass", "fail", "none", ...
    // "header.from" -> "bank.example", "smtp.mailfrom" -> "x@evil.example", "reason" -> "...":
    // names lower case, values as written (quotes removed).
    std::vector<std::pair<std::string, std::string>> properties;

    // The value of the first property of that name; empty when there is none.
    std::string_view property(std::string_view name) const;
};

struct AuthenticationResults {
    // The authserv-id, as written (quotes removed). Empty when the field starts with a result
    // instead, as some servers write it: such a field cannot be told apart from one a sender
    // wrote, and is never trusted.
    std::string authservId;
    std::vector<AuthResult> results;
};

AuthenticationResults parseAuthenticationResults(std::string_view value);

// Only the authserv-id of a field's value (empty when it has none); cheaper than a full parse.
std::string authservIdOf(std::string_view value);

// The header fields of stored header lines, in order, continuation lines joined (with the line
// break dropped): calls f(name, value) for each field whose name equals one of `names` ignoring
// A-Z case (names lower case, without the colon). Stops at the first empty line: the header
// ends there.
template <class F>
void forEachHeaderField(const std::vector<std::string> &lines, size_t first,
                        std::initializer_list<std::string_view> names, F &&f);

// The field `name` (lower case) if `line` starts one: the value after the colon, else nullopt
// in the form of a false return.
bool fieldValue(std::string_view line, std::string_view name, std::string_view &value);

template <class F>
void forEachHeaderField(const std::vector<std::string> &lines, size_t first,
                        std::initializer_list<std::string_view> names, F &&f)
{
    std::string joined;
    for (size_t i = first; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            return;
        for (const std::string_view name : names) {
            std::string_view value;
            if (!fieldValue(line, name, value))
                continue;
            joined.assign(value);
            while (i + 1 < lines.size() && !lines[i + 1].empty()
                   && (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t'))
                joined += lines[++i];
            f(name, std::string_view(joined));
            break;
        }
    }
}

}  // namespace kestrix
