#include "screening/header_tokens.h"

#include "screening/downloaded_row.h"
#include "text/display_text.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {

struct Field {
    std::string name;  // lower case
    std::string value;
};

// One field per header, continuation lines joined with a blank.
std::vector<Field> unfold(const std::vector<std::string> &lines)
{
    std::vector<Field> fields;
    for (const std::string &line : lines) {
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (!fields.empty())
                fields.back().value.append(" ").append(trimLeadingBlanks(line));
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            continue;
        std::string_view value = std::string_view(line).substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        fields.push_back({lowerAZ(std::string_view(line).substr(0, colon)), std::string(value)});
    }
    return fields;
}

const Field *find(const std::vector<Field> &fields, std::string_view name)
{
    for (const Field &field : fields) {
        if (field.name == name)
            return &field;
    }
    return nullptr;
}

bool isWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80
           || c == '\'';
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A token never holds a blank or a control byte: the store keeps one per line.
std::string clean(std::string_view text, size_t limit = 60)
{
    std::string out;
    for (const char c : text.substr(0, limit)) {
        const auto b = static_cast<unsigned char>(c);
        out += (b <= 0x20 || b == 0x7F) ? '_' : c;
    }
    return out;
}

// The address of a From/Reply-To/Return-Path value, lower case: inside the last <...>, else the
// word holding "@".
std::string addressOf(std::string_view value)
{
    const size_t open = value.rfind('<');
    if (open != std::string_view::npos) {
        const size_t close = value.find('>', open);
        return lowerAZ(value.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
    }
    const size_t at = value.find('@');
    if (at == std::string_view::npos)
        return lowerAZ(value.substr(0, value.find_first_of(" \t")));
    size_t begin = value.find_last_of(" \t(", at);
    begin = begin == std::string_view::npos ? 0 : begin + 1;
    const size_t end = value.find_first_of(" \t)", at);
    return lowerAZ(value.substr(begin, end == std::string_view::npos ? end : end - begin));
}

std::string domainOf(std::string_view address)
{
    const size_t at = address.rfind('@');
    if (at == std::string_view::npos)
        return {};
    std::string domain(address.substr(at + 1));
    while (!domain.empty() && (domain.back() == '.' || domain.back() == '>'))
        domain.pop_back();
    return domain;
}

// The last two labels of a host name ("mail.cheap.example" -> "cheap.example").
std::string_view baseDomain(std::string_view host)
{
    const size_t last = host.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return host;
    const size_t before = host.rfind('.', last - 1);
    return before == std::string_view::npos ? host : host.substr(before + 1);
}

// Digits as '9', letters as 'a' or 'A', runs of one class as one: the shape of a boundary or id.
std::string shapeOf(std::string_view text)
{
    std::string shape;
    for (const char c : text.substr(0, 80)) {
        char k = c;
        if (c >= '0' && c <= '9')
            k = '9';
        else if (c >= 'a' && c <= 'z')
            k = 'a';
        else if (c >= 'A' && c <= 'Z')
            k = 'A';
        if (shape.empty() || shape.back() != k)
            shape += k;
    }
    return clean(shape);
}

// The value of a "name=value" parameter of a MIME header, without quotes.
std::string parameter(std::string_view value, std::string_view name)
{
    const std::string lower = lowerAZ(value);
    size_t at = 0;
    while ((at = lower.find(name, at)) != std::string::npos) {
        const size_t eq = at + name.size();
        const bool starts = at == 0 || lower[at - 1] == ';' || isBlank(lower[at - 1]);
        if (starts && eq < lower.size() && lower[eq] == '=') {
            std::string_view rest = value.substr(eq + 1);
            if (!rest.empty() && rest.front() == '"') {
                rest.remove_prefix(1);
                return std::string(rest.substr(0, rest.find('"')));
            }
            return std::string(rest.substr(0, rest.find_first_of("; \t")));
        }
        at = eq;
    }
    return {};
}

bool isListHeader(std::string_view name)
{
    return name.starts_with("list-") || name.starts_with("x-mailman") || name == "x-beenthere"
           || name == "precedence" || name == "x-loop" || name.starts_with("mailing-list");
}

class Tokens {
public:
    void add(std::string_view prefix, std::string_view text)
    {
        if (!text.empty())
            m_tokens.push_back(std::string(prefix) + clean(text));
    }
    // Words of a display text as written and folded (A-Z only), runs of punctuation apart.
    void addWords(std::string_view prefix, std::string_view text)
    {
        size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            size_t j = i;
            if (isWordByte(c)) {
                while (j < text.size() && isWordByte(static_cast<unsigned char>(text[j])))
                    ++j;
                const std::string_view word = text.substr(i, j - i);
                if (word.size() >= 2 && word.size() <= 30) {
                    add(prefix, word);
                    const std::string folded = lowerAZ(word);
                    if (folded != word)
                        add(prefix, folded);
                } else if (word.size() > 30) {
                    add(prefix, "long-word");
                }
            } else if (isBlank(char(c))) {
                ++j;
            } else {
                while (j < text.size() && !isWordByte(static_cast<unsigned char>(text[j]))
                       && !isBlank(text[j]))
                    ++j;
                add(std::string(prefix) + "punct:", text.substr(i, std::min<size_t>(j - i, 8)));
            }
            i = j;
        }
    }
    // Pairs of neighbouring words, folded: "free+viagra" says more than either word.
    void addPairs(std::string_view prefix, std::string_view text)
    {
        std::string previous;
        size_t i = 0;
        while (i < text.size()) {
            size_t j = i;
            while (j < text.size() && isWordByte(static_cast<unsigned char>(text[j])))
                ++j;
            if (j == i) {
                ++i;
                continue;
            }
            const std::string word = lowerAZ(text.substr(i, std::min<size_t>(j - i, 30)));
            if (!previous.empty()) {
                std::string pair = previous;
                pair += '+';
                pair += word;
                add(prefix, pair);
            }
            previous = word;
            i = j;
        }
    }
    // The charsets of the encoded words in a raw header text, and a sign of raw 8-bit bytes.
    void addCharsets(std::string_view prefix, std::string_view raw)
    {
        size_t at = 0;
        while ((at = raw.find("=?", at)) != std::string_view::npos) {
            const size_t q = raw.find('?', at + 2);
            if (q == std::string_view::npos)
                break;
            add(prefix, lowerAZ(raw.substr(at + 2, std::min<size_t>(q - at - 2, 30))));
            at = q;
        }
        if (std::any_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
            add(prefix, "8bit");
    }
    std::vector<std::string> take()
    {
        std::sort(m_tokens.begin(), m_tokens.end());
        m_tokens.erase(std::unique(m_tokens.begin(), m_tokens.end()), m_tokens.end());
        return std::move(m_tokens);
    }

private:
    std::vector<std::string> m_tokens;
};

void addSender(Tokens &tokens, const Field *from)
{
    if (!from) {
        tokens.add("from:", "none");
        return;
    }
    const std::string address = addressOf(from->value);
    const std::string domain = domainOf(address);
    tokens.add("from:", address);
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

void addReceived(Tokens &tokens, const std::vector<Field> &fields)
{
    int hops = 0;
    for (const Field &field : fields) {
        if (field.name != "received")
            continue;
        ++hops;
        const std::string lower = lowerAZ(field.value);
        auto hostAfter = [&](std::string_view word) {
            const size_t at = lower.find(word);
            if (at == std::string::npos || (at > 0 && !isBlank(lower[at - 1])))
                return std::string();
            const size_t begin = at + word.size();
            const size_t end = lower.find_first_of(" \t;()[]", begin);
            return lower.substr(begin, end == std::string::npos ? end : end - begin);
        };
        const std::string from = hostAfter("from ");
        const std::string by = hostAfter("by ");
        tokens.add("rcvd-from:", from);
        if (from.find('.') != std::string::npos)
            tokens.add("rcvd-from:@", baseDomain(from));
        tokens.add("rcvd-by:", by);
        tokens.add("rcvd-with:", hostAfter("with "));
        // The /24 of every bracketed address.
        for (size_t open = lower.find('['); open != std::string::npos; open = lower.find('[', open + 1)) {
            const size_t close = lower.find(']', open);
            if (close == std::string::npos)
                break;
            const std::string_view ip = std::string_view(lower).substr(open + 1, close - open - 1);
            const size_t lastDot = ip.rfind('.');
            if (lastDot != std::string_view::npos && std::count(ip.begin(), ip.end(), '.') == 3)
                tokens.add("rcvd-ip:", ip.substr(0, lastDot));
        }
    }
    tokens.add("rcvd-hops:", std::to_string(std::min(hops, 12)));
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
    const std::vector<Field> fields = unfold(lines);
    Tokens tokens;

    const Field *from = find(fields, "from");
    addSender(tokens, from);
    const std::string fromDomain = from ? domainOf(addressOf(from->value)) : std::string();

    if (const Field *subject = find(fields, "subject"); subject && !subject->value.empty()) {
        const std::string text = displayHeaderTextUtf8(subject->value);
        tokens.addWords("subj:", text);
        tokens.addPairs("subj2:", text);
        tokens.addCharsets("subj-cs:", subject->value);
    } else {
        tokens.add("subj:", "none");
    }

    addOtherAddress(tokens, "reply-to:", find(fields, "reply-to"), fromDomain);
    addOtherAddress(tokens, "return-path:", find(fields, "return-path"), fromDomain);
    addMessageId(tokens, find(fields, "message-id"), fromDomain);
    addReceived(tokens, fields);
    addMailer(tokens, fields);
    addContentType(tokens, find(fields, "content-type"));
    tokens.add("list-id:", find(fields, "list-id") ? "yes" : "no");
    tokens.add("list-unsubscribe:", find(fields, "list-unsubscribe") ? "yes" : "no");
    addSize(tokens, size);
    addDateAndRecipients(tokens, fields);
    // Which header names are there at all: mail programs and bulk senders each write their own set.
    // The dozen headers a list server adds count as one clue: each alone would vote again for
    // the list and outvote the words of spam sent through it.
    for (const Field &field : fields)
        tokens.add("header:", isListHeader(field.name) ? std::string_view("list-*") : field.name);
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
