#include "text/latin1.h"

#include <charconv>
#include <cstring>

namespace kestrix {

std::string lowerAZ(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = lowerAZ(c);
    return out;
}

std::size_t findLowerAZ(std::string_view text, std::string_view lowerNeedle)
{
    const std::size_t n = lowerNeedle.size();
    if (n == 0)
        return 0;
    if (n > text.size())
        return std::string_view::npos;
    const auto matchesAt = [&](std::size_t start) {
        for (std::size_t k = 0; k < n; ++k) {
            if (lowerAZ(text[start + k]) != lowerNeedle[k])
                return false;
        }
        return true;
    };
    // A byte of the needle that case folding leaves alone (the colon of "from:") is looked for
    // with memchr: every match holds it at the same distance from its start, so the first
    // match is found at the first of its places that matches.
    std::size_t anchor = 0;
    while (anchor < n && lowerNeedle[anchor] >= 'a' && lowerNeedle[anchor] <= 'z')
        ++anchor;
    const std::size_t lastStart = text.size() - n;
    if (anchor == n) {
        for (std::size_t start = 0; start <= lastStart; ++start) {
            if (matchesAt(start))
                return start;
        }
        return std::string_view::npos;
    }
    for (std::size_t at = anchor; at <= lastStart + anchor;) {
        const void *hit = std::memchr(text.data() + at, lowerNeedle[anchor], lastStart + anchor + 1 - at);
        if (!hit)
            break;
        at = std::size_t(static_cast<const char *>(hit) - text.data());
        if (matchesAt(at - anchor))
            return at - anchor;
        ++at;
    }
    return std::string_view::npos;
}

std::string upperAZ(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return out;
}

bool equalsIgnoreCaseAZ(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAZ(a[i]) != lowerAZ(b[i]))
            return false;
    }
    return true;
}

std::optional<long long> parseDecimal(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const char *end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::string_view trimLeadingBlanks(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    return text.substr(i);
}

}  // namespace kestrix
