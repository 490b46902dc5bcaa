#pragma once
// The text of a command on one message ("TOP 7 0", "UIDL 7"), written digit by digit into a
// string whose storage is reused: a long download writes 300,000 of them, twice each (once
// as sent ahead, once as asked for).

#include <charconv>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>

namespace kestrix {

// line becomes word, the number, then tail: messageCommand(line, "TOP ", 7, " 0").
inline void messageCommand(std::string &line, std::string_view word, std::int32_t n,
                           std::string_view tail = {})
{
    char digits[std::numeric_limits<std::int32_t>::digits10 + 2];
    const char *end = std::to_chars(std::begin(digits), std::end(digits), n).ptr;
    line.assign(word).append(digits, std::size_t(end - digits)).append(tail);
}

inline std::string messageCommand(std::string_view word, std::int32_t n, std::string_view tail = {})
{
    std::string line;
    messageCommand(line, word, n, tail);
    return line;
}

}  // namespace kestrix
