#include "screening/header_tokens.h"

#include "screening/downloaded_row.h"
#include "screening/header_token_parts.h"
#include "text/display_text.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {

using namespace header_token_parts;

void addSender(Tokens &tokens, const Field *from)
{
    if (!from) {
        tokens.add("from:", "none");
        return;
    }
    const std::string address = addressOf(from->value);
    const std::string domain = domainOf(address);
    tokens.add("from:", address);
    tokens.add("from-shape:", shapeOf(address.substr(0, address.find('@'))));
    tokens.add("from:@", domain.empty() ? std::string("none") : domain);
    if (!domain.empty())
        tokens.add("from:@@", baseDomain(domain));
    const size_t open = from->value.rfind('<');
    std::string_view name = open == std::string::npos ? std::string_view() : std::string_view(from->value).substr(0, open);
    while (!name.empty() && (isBlank(name.back()) || name.back() == '"'))
        name.remove_suffix(1);
    while (!name.empty() && (isBlank(name.front()) || name.front() == '"'))
        name.remove_prefix(1);
    if (name.empty()) {
        tokens.add("from-name:", "none");
    } else {
        tokens.addWords("from-name:", displayHeaderTextUtf8(name));
        tokens.addCharsets("from-cs:", name);
    }
}

// Reply-To and Return-Path: the same domain as From or another one (and which).
void addOtherAddress(Tokens &tokens, std::string_view prefix, const Field *field,
                     const std::string &fromDomain)
{
    if (!field)
        return;
    const std::string domain = domainOf(addressOf(field->value));
    if (domain.empty())
        tokens.add(prefix, "none");
    else if (domain == fromDomain)
        tokens.add(prefix, "same");
    else
        tokens.add(std::string(prefix) + "@", domain);
}

void addMailer(Tokens &tokens, const std::vector<Field> &fields)
{
    const Field *mailer = find(fields, "x-mailer");
    if (!mailer)
        mailer = find(fields, "user-agent");
    if (!mailer) {
        tokens.add("mailer:", "none");
        return;
    }
    // Lower case, every run of digits as one '#': versions of one program are one token.
    std::string normal;
    for (const char c : mailer->value) {
        const char k = (c >= '0' && c <= '9') ? '#' : lowerAZ(c);
        if (k == '#' && !normal.empty() && normal.back() == '#')
            continue;
        normal += k;
    }
    tokens.add("mailer:", normal);
    tokens.add("mailer-word:", normal.substr(0, normal.find_first_of(" /(")));
}

void addContentType(Tokens &tokens, const Field *contentType)
{
    if (!contentType) {
        tokens.add("ct:", "none");
        return;
    }
    const std::string_view value = contentType->value;
    std::string type = lowerAZ(value.substr(0, value.find_first_of("; \t")));
    tokens.add("ct:", type);
    tokens.add("ct-cs:", lowerAZ(parameter(value, "charset")));
    const std::string boundary = parameter(value, "boundary");
    if (!boundary.empty())
        tokens.add("ct-boundary:", shapeOf(boundary));
}

void addMessageId(Tokens &tokens, const Field *messageId, const std::string &fromDomain)
{
    std::string_view id = messageId ? std::string_view(messageId->value) : std::string_view();
    const size_t open = id.find('<');
    const size_t at = id.rfind('@');
    const size_t close = id.rfind('>');
    if (open == std::string_view::npos || at == std::string_view::npos || close == std::string_view::npos
        || !(open < at && at < close)) {
        tokens.add("msgid:", "invalid");
        return;
    }
    const std::string domain = lowerAZ(id.substr(at + 1, close - at - 1));
    tokens.add("msgid:@", domain);
    if (domain == fromDomain)
        tokens.add("msgid:", "from-domain");
    tokens.add("msgid-shape:", shapeOf(id.substr(open + 1, at - open - 1)));
}

void addSize(Tokens &tokens, long long size)
{
    if (size < 0)
        return;
    int bits = 0;
    while (size > 1 && bits < 40) {
        size >>= 1;
        ++bits;
    }
    tokens.add("size:2^", std::to_string(bits));
}

// The Date line's zone and shape, the recipients, and the priority and encoding lines: bulk
// senders write them their own way.
void addDateAndRecipients(Tokens &tokens, const std::vector<Field> &fields)
{
    // The Date line's time zone, as written ("+0100", "-1600", "EDT").
    if (const Field *date = find(fields, "date")) {
        const std::string &v = date->value;
        const size_t last = v.find_last_of(" \t");
        tokens.add("date-zone:",
                   last == std::string::npos ? std::string("none") : v.substr(last + 1));
        tokens.add("date-shape:", shapeOf(v));
    } else {
        tokens.add("date:", "none");
    }
    // The recipients: how many, and whether the list is hidden.
    if (const Field *to = find(fields, "to")) {
        const long count = std::count(to->value.begin(), to->value.end(), '@');
        tokens.add("to-count:", std::to_string(std::min(count, 5L)));
        const std::string lower = lowerAZ(to->value);
        if (lower.find("undisclosed") != std::string::npos)
            tokens.add("to:", "undisclosed");
        tokens.add("to:@", domainOf(addressOf(to->value)));
    } else {
        tokens.add("to:", "none");
    }
    for (const char *name :
         {"x-priority", "x-msmail-priority", "content-transfer-encoding", "importance"}) {
        if (const Field *f = find(fields, name))
            tokens.add(std::string(name) + ":", lowerAZ(f->value.substr(0, 20)));
    }
}

}  // namespace

std::vector<std::string> headerTokens(const std::vector<std::string> &lines, long long size,
                                      const std::vector<std::string> &verdicts)
{
    std::vector<Field> fields = unfold(lines);
    // What the reader's own mail system adds on delivery (Status, X-Keywords, Delivered-To...)
    // is the same on all of one reader's mail: no clue to what the sender wrote.
    std::erase_if(fields, [](const Field &field) { return isMailboxHeader(field.name); });
    Tokens tokens;
    const std::string list = takeListEnvelope(fields);

    const Field *from = find(fields, "from");
    addSender(tokens, from);
    const std::string fromDomain = from ? domainOf(addressOf(from->value)) : std::string();

    if (const Field *subject = find(fields, "subject"); subject && !subject->value.empty()) {
        const std::string text = displayHeaderTextUtf8(subject->value);
        tokens.addWords("subj:", text);
        tokens.addPairs("subj2:", text);
        tokens.addCharsets("subj-cs:", subject->value);
        addSubjectShape(tokens, text);
    } else {
        tokens.add("subj:", "none");
    }

    addOtherAddress(tokens, "reply-to:", find(fields, "reply-to"), fromDomain);
    addOtherAddress(tokens, "return-path:", find(fields, "return-path"), fromDomain);
    addMessageId(tokens, find(fields, "message-id"), fromDomain);
    addReceived(tokens, fields, fromDomain);
    addMailer(tokens, fields);
    addContentType(tokens, find(fields, "content-type"));
    if (!list.empty()) {
        tokens.add("list:", list);
    } else {
        tokens.add("list-id:", find(fields, "list-id") ? "yes" : "no");
        tokens.add("list-unsubscribe:", find(fields, "list-unsubscribe") ? "yes" : "no");
    }
    addSize(tokens, size);
    addDateAndRecipients(tokens, fields);
    // Which header names are there at all: mail programs and bulk senders each write their own set.
    // The dozen headers a list server adds count as one clue: each alone would vote again for
    // the list and outvote the words of spam sent through it.
    for (const Field &field : fields)
        tokens.add("header:", isListHeader(field.name) ? std::string_view("list-*") : field.name);
    addHeaderOrder(tokens, fields);
    addDateSkew(tokens, fields);
    for (const std::string &verdict : verdicts)
        tokens.add("verdict:", verdict);
    return tokens.take();
}

std::vector<std::string> rowHeaderLines(const DownloadedRow &row)
{
    const auto &lines = row.headerLines;
    size_t first = 0;
    while (first < lines.size() && first < 2
           && (lines[first].compare(0, 3, "id:") == 0 || lines[first].compare(0, 6, "Size: ") == 0))
        ++first;
    return std::vector<std::string>(lines.begin() + long(first), lines.end());
}

std::vector<std::string> rowTokens(const DownloadedRow &row, const std::vector<std::string> &verdicts)
{
    if (row.headerLines.empty())
        return {};
    long long size = -1;
    for (size_t i = 0; i < row.headerLines.size() && i < 2; ++i) {
        const std::string &line = row.headerLines[i];
        if (line.compare(0, 6, "Size: ") == 0) {
            const std::string digits = line.substr(6, line.find(' ', 6) - 6);
            if (const auto value = parseDecimal(digits))
                size = *value;
        }
    }
    return headerTokens(rowHeaderLines(row), size, verdicts);
}

const std::vector<uint64_t> &rowTokenIds(const DownloadedRow &row)
{
    if (!row.learnedTokenIds) {
        auto ids = std::make_shared<std::vector<uint64_t>>();
        for (const std::string &token : rowTokens(row))
            ids->push_back(tokenId(token));
        row.learnedTokenIds = std::move(ids);
    }
    return *row.learnedTokenIds;
}

std::string messageKey(const std::vector<std::string> &lines)
{
    uint64_t hash = 14695981039346656037ull;
    for (const std::string &line : lines) {
        for (const char c : line) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
        hash ^= '\n';
        hash *= 1099511628211ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string key(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        key[size_t(i)] = digits[hash & 15];
    return key;
}

uint64_t tokenId(std::string_view token)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : token) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace kestrix
