#pragma once
// UTF-8 helpers for the display text: validity, Latin-1 to UTF-8, and case folding.

#include <string>
#include <string_view>

namespace kestrix {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

bool isAscii(std::string_view text);

// Each byte as the Latin-1 character of that code.
void appendLatin1AsUtf8(std::string_view latin1, std::string &out);

// Raw 8-bit header text: as it is when it is valid UTF-8, else read as Latin-1.
void appendRawAsUtf8(std::string_view raw, std::string &out);

// Unicode simple case folding of valid UTF-8 ("GRÜẞE" -> "grüße").
std::string caseFoldedUtf8(std::string_view utf8);
void appendCaseFoldedUtf8(std::string_view utf8, std::string &out);

}  // namespace kestrix
