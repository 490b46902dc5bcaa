#pragma once
// What people read of a header text. The program stores and compares header texts as bytes;
// this turns such a text into Unicode for the grid, the panes, the lists and `kestrix-cli --utf8`:
// encoded words (=?charset?B?...?= and =?charset?Q?...?=) in any charset the system's Qt knows,
// and raw 8-bit text as UTF-8 when it is valid UTF-8, else as Latin-1. It never changes what is
// stored or matched, never throws, and takes time linear in the length of the text.

#include <QString>

#include <string>
#include <string_view>

namespace kestrix {

// The display form of a header text:
// - encoded words are decoded; encoded words separated only by blanks, tabs or line ends are
//   joined without that white space, and adjacent words in one charset are decoded together,
//   so a character split across two words comes out whole;
// - a word that is malformed (bad base64 or escape, unknown charset, bytes its charset cannot
//   decode, no closing "?=") stays exactly as written;
// - the text between words is UTF-8 when it is valid UTF-8, else Latin-1.
QString displayHeaderText(std::string_view text);

// The same, as UTF-8 bytes (for the command line and for matching).
std::string displayHeaderTextUtf8(std::string_view text);
void appendDisplayHeaderTextUtf8(std::string_view text, std::string &out);

// Raw 8-bit text without encoded words: UTF-8 when valid, else Latin-1.
QString rawHeaderText(std::string_view text);

// One past the "?=" of the encoded word that starts with "=?" at pos, as the display decoder
// recognises words (charset, "b" or "q", encoded text; the payload is not checked); npos when
// none starts there. Scans at most to the third "?" after pos.
size_t encodedWordEnd(std::string_view text, size_t pos);

// True when displayHeaderText(text) is text itself read as ASCII: no byte above 0x7F and no "=?".
bool displaysAsIs(std::string_view text);

}  // namespace kestrix
