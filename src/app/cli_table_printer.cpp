#include "app/cli_table_printer.h"

#include "screening/message_table.h"
#include "text/display_text.h"

#include <algorithm>
#include <array>

namespace kestrix::cli {

namespace {

const char *markerName(CellMarker marker)
{
    switch (marker) {
    case CellMarker::KNGA: return "KNGA";
    case CellMarker::KNBA: return "KNBA";
    case CellMarker::KNBS: return "KNBS";
    case CellMarker::KNBP: return "KNBP";
    case CellMarker::None: break;
    }
    return "-";
}

// A byte looked up in a table: the test runs for every byte of a table of many rows.
constexpr std::array<bool, 256> escapedBytes = [] {
    std::array<bool, 256> bytes{};
    for (const unsigned char c : {'\\', '\t', '\r', '\n'})
        bytes[c] = true;
    return bytes;
}();

bool needsEscape(char c)
{
    return escapedBytes[static_cast<unsigned char>(c)];
}

// The escaped text at the end of out: the table is built in one string, not a string per field,
// and the runs without a special character go in whole.
void appendEscaped(std::string &out, std::string_view text)
{
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!needsEscape(c))
            continue;
        out.append(text.substr(run, i - run));
        out += '\\';
        out += c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : '\\';
        run = i + 1;
    }
    out.append(text.substr(run));
}

}  // namespace

std::string escapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

std::string formatTable(const MessageTable &table, int rows, bool utf8, bool verdicts)
{
    // With utf8 a cell is decoded from the header text as received (its shown text).
    auto shown = [utf8, &table](std::string &out, int column, int r) {
        if (utf8)
            appendEscaped(out, displayHeaderTextUtf8(table.shownText(column, r)));
        else
            appendEscaped(out, table.text(column, r));
    };
    std::string out;
    // About a line of 80 bytes per row: few regrowths of a table of many rows.
    out.reserve(std::size_t(std::max(rows, 0)) * 80);
    for (int r = 1; r <= rows; ++r) {
        appendEscaped(out, table.text(MessageTable::ColNumber, r));
        out += '\t';
        out += markerName(table.marker(MessageTable::ColSender, r));
        out += '\t';
        shown(out, MessageTable::ColSender, r);
        out += '\t';
        out += markerName(table.marker(MessageTable::ColSubject, r));
        out += '\t';
        shown(out, MessageTable::ColSubject, r);
        out += '\t';
        appendEscaped(out, table.text(MessageTable::ColSizeContent, r));
        if (verdicts) {
            out += '\t';
            out += verdictColumnText(table.verdicts(r));
        }
        out += '\n';
    }
    return out;
}

}  // namespace kestrix::cli
