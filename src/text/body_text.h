#pragma once
// What people read of a message text (the reader, `kestrix-cli read`) and of the release notes:
// the bytes decoded by the charset their part names, else as UTF-8 when they are valid UTF-8,
// else as Latin-1. Like the display of header texts it never changes what is stored.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The text in UTF-8. charset: the part's charset parameter ("" when none). A charset the system
// does not know, one that is not a superset of ASCII (UTF-16, UTF-32), and bytes that are not
// valid in the charset named all fall back to UTF-8 when valid, else Latin-1.
std::string bodyTextUtf8(std::string_view bytes, std::string_view charset);
QString bodyText(std::string_view bytes, std::string_view charset);

// The entries of a message's Body as lines, each ended by LF; a CR LF inside an entry (the line
// break before a "File ... extracted" entry) is a line break too.
std::string bodyLines(const std::vector<std::string> &body);

}  // namespace kestrix
