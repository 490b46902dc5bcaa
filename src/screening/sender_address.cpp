#include "screening/sender_address.h"

namespace kestrix {

namespace {

std::string_view trimmed(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view domainOf(std::string_view address)
{
    const size_t at = address.rfind('@');
    if (at == std::string_view::npos)
        return {};
    std::string_view domain = address.substr(at + 1);
    while (!domain.empty() && (domain.back() == '.' || domain.back() == '>'))
        domain.remove_suffix(1);
    return domain;
}

bool localChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || c == '.' || c == '_' || c == '%' || c == '+' || c == '-' || c == '!' || c == '#'
           || c == '$' || c == '&' || c == '*' || c == '/' || c == '=' || c == '?' || c == '^'
           || c == '`' || c == '{' || c == '|' || c == '}' || c == '~'
           || static_cast<unsigned char>(c) >= 0x80;
}

bool domainChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
           || c == '-' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

SenderParts splitSender(std::string_view sender)
{
    SenderParts parts;
    const size_t open = sender.rfind('<');
    if (open != std::string_view::npos) {
        const size_t close = sender.find('>', open);
        parts.address = trimmed(sender.substr(open + 1, close == std::string_view::npos
                                                             ? std::string_view::npos
                                                             : close - open - 1));
        parts.name = trimmed(sender.substr(0, open));
    } else {
        // "bob@example.org (Bob Smith)" or a bare address.
        const size_t paren = sender.find('(');
        if (paren != std::string_view::npos) {
            const size_t close = sender.rfind(')');
            const size_t end = close != std::string_view::npos && close > paren ? close : sender.size();
            parts.name = trimmed(sender.substr(paren + 1, end - paren - 1));
            parts.address = trimmed(sender.substr(0, paren));
        } else {
            parts.address = trimmed(sender);
        }
    }
    parts.domain = domainOf(parts.address);
    return parts;
}

std::string_view addressInText(std::string_view text)
{
    for (size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
        size_t begin = at;
        while (begin > 0 && localChar(text[begin - 1]))
            --begin;
        size_t end = at + 1;
        while (end < text.size() && domainChar(text[end]))
            ++end;
        // Trailing dots end a sentence, not the domain.
        while (end > at + 1 && text[end - 1] == '.')
            --end;
        const std::string_view domain = text.substr(at + 1, end - at - 1);
        const size_t dot = domain.find('.');
        if (begin < at && dot != std::string_view::npos && dot > 0 && dot + 1 < domain.size())
            return text.substr(begin, end - begin);
    }
    return {};
}

}  // namespace kestrix
