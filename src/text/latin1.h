#pragma once
// Texts are single-byte Latin-1 strings, as the program keeps them. Case rules map only the
// ASCII letters A to Z; the C locale is never consulted.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

inline char lowerAZ(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string lowerAZ(std::string_view text);
// Where lowerNeedle (in lower case) first occurs in text read lower-cased (A-Z only), as
// lowerAZ(text).find(lowerNeedle) finds it, without making the lower-cased copy; npos for none.
std::size_t findLowerAZ(std::string_view text, std::string_view lowerNeedle);
std::string upperAZ(std::string_view text);

// Whole-text equality ignoring the case of A to Z only.
bool equalsIgnoreCaseAZ(std::string_view a, std::string_view b);

// Strictly decimal integer with an optional sign, no blanks; nothing else is a number.
std::optional<long long> parseDecimal(std::string_view text);

// Removes the blanks (byte 0x20) at the start.
std::string_view trimLeadingBlanks(std::string_view text);

}  // namespace kestrix
