#include "text/latin1.h"

#include <charconv>

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
    if (lowerNeedle.empty())
        return 0;
    if (lowerNeedle.size() > text.size())
        return std::string_view::npos;
    const char first = lowerNeedle[0];
    const std::size_t last = text.size() - lowerNeedle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (lowerAZ(text[i]) != first)
            continue;
        std::size_t k = 1;
        while (k < lowerNeedle.size() && lowerAZ(text[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return i;
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
