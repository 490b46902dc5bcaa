#pragma once
// The Authentication-Results header field (RFC 8601) as a receiving mail server writes it:
//   Authentication-Results: mx.example.net; spf=fail (sender IP is 192.0.2.7)
//       smtp.mailfrom=evil.example; dkim=none; dmarc=fail header.from=bank.example
// Parsing is a pure function over the field's value that copies nothing: the results are views
// into the value. The header is hostile input: comments (nested, with escapes) and quoted
// strings are read as such, so a "; dmarc=pass" inside either is never taken for a result, and
// any text at all parses to something without fault.

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct AuthResult {
    std::string_view method;  // "dmarc", "dkim", "spf", ... as written (compare ignoring case)
    std::string_view result;  // "pass", "fail", "none", ... as written
    std::string_view rest;    // the reason and the properties, up to the next ';'

    bool is(std::string_view method, std::string_view result) const;
    // The value of a property ("header.from", "smtp.mailfrom", "reason"; name in lower case),
    // blanks and comments around the dot and the sign allowed; empty when there is none. A
    // quoted value comes without its quotes.
    std::string_view property(std::string_view name) const;
};

// Reads a field's value: returns its authserv-id (empty when the field starts with a result
// instead, as some servers write it: such a field cannot be told apart from one a sender wrote,
// and is never trusted) and fills results (emptied first). Without results only the id is read.
std::string_view parseAuthenticationResults(std::string_view value,
                                            std::vector<AuthResult> *results = nullptr);

// The header fields of stored header lines, in order: calls f(name, value) for each field whose
// name equals one of `names` ignoring A-Z case (names lower case, without the colon), until f
// returns true. A folded field is joined into buffer (its continuation lines appended, line
// breaks dropped); one on a single line is passed as it stands. Stops at the first empty line:
// the header ends there.
template <class F>
void forEachHeaderField(const std::vector<std::string> &lines, size_t first,
                        std::initializer_list<std::string_view> names, std::string &buffer, F &&f);

// True when line starts the field `name` (lower case): value is then the text after the colon.
bool fieldValue(std::string_view line, std::string_view name, std::string_view &value);

template <class F>
void forEachHeaderField(const std::vector<std::string> &lines, size_t first,
                        std::initializer_list<std::string_view> names, std::string &buffer, F &&f)
{
    auto continues = [&lines](size_t i) {
        return i < lines.size() && !lines[i].empty() && (lines[i][0] == ' ' || lines[i][0] == '\t');
    };
    for (size_t i = first; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (line.empty())
            return;
        const char initial = char(line[0] | 0x20);  // A-Z to a-z; the names start with letters
        for (const std::string_view name : names) {
            std::string_view value;
            if (name[0] != initial || !fieldValue(line, name, value))
                continue;
            if (continues(i + 1)) {
                buffer.assign(value);
                while (continues(i + 1))
                    buffer += lines[++i];
                value = buffer;
            }
            if (f(name, value))
                return;
            break;
        }
    }
}

}  // namespace kestrix
