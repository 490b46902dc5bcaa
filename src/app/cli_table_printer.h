#pragma once
// The message table as kestrix-cli prints it: one line per message row, six TAB-separated
// fields (number, sender marker, sender, subject marker, subject, size and content). Texts are
// the raw single-byte bytes (or, on request, the display text in UTF-8); a backslash, TAB, CR or LF inside a text is written as \\, \t, \r
// or \n, so every line has exactly six fields.

#include <string>
#include <string_view>

namespace kestrix {
class MessageTable;
}

namespace kestrix::cli {

std::string escapeField(std::string_view text);

// The lines for rows 1..rows of the table (rows: the number of message rows). With utf8 the
// sender and subject are their display text in UTF-8 instead of the raw bytes. With verdicts
// each line gets a seventh field: the row's verdicts ("forged,look-alike", "-" for none).
std::string formatTable(const MessageTable &table, int rows, bool utf8 = false,
                        bool verdicts = false);

}  // namespace kestrix::cli
