#include "screening/header_token_parts.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix::header_token_parts {

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
        const std::string_view name = std::string_view(line).substr(0, colon);
        fields.push_back({lowerAZ(name), std::string(value)});
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

std::string clean(std::string_view text, size_t limit)
{
    std::string out;
    for (const char c : text.substr(0, limit)) {
        const auto b = static_cast<unsigned char>(c);
        out += (b <= 0x20 || b == 0x7F) ? '_' : c;
    }
    return out;
}

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

std::string_view baseDomain(std::string_view host)
{
    const size_t last = host.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return host;
    const size_t before = host.rfind('.', last - 1);
    return before == std::string_view::npos ? host : host.substr(before + 1);
}

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

bool isMailboxHeader(std::string_view name)
{
    static constexpr std::string_view names[] = {
        "status", "x-status", "x-keywords", "x-uid", "x-uidl", "delivered-to", "x-delivered-to",
        "x-original-to", "envelope-to", "x-envelope-to", "delivery-date", "lines",
        "content-length", "x-delivery-agent", "x-mdaemon-deliver-to", "x-sieve"};
    return std::find(std::begin(names), std::end(names), name) != std::end(names)
           || name.starts_with("x-mozilla-") || name.starts_with("x-spam");
}

void Tokens::add(std::string_view prefix, std::string_view text)
{
    if (!text.empty())
        m_tokens.push_back(std::string(prefix) + clean(text));
}

void Tokens::addWords(std::string_view prefix, std::string_view text)
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

void Tokens::addPairs(std::string_view prefix, std::string_view text)
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

void Tokens::addCharsets(std::string_view prefix, std::string_view raw)
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

std::vector<std::string> Tokens::take()
{
    std::sort(m_tokens.begin(), m_tokens.end());
    m_tokens.erase(std::unique(m_tokens.begin(), m_tokens.end()), m_tokens.end());
    return std::move(m_tokens);
}

}  // namespace kestrix::header_token_parts
