#include "app/cli_table_printer.h"

#include "screening/message_table.h"
#include "text/display_text.h"

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

}  // namespace

std::string escapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string formatTable(const MessageTable &table, int rows, bool utf8, bool verdicts)
{
    // With utf8 a cell is decoded from the header text as received (its shown text).
    auto shown = [utf8, &table](int column, int r) {
        return escapeField(utf8 ? displayHeaderTextUtf8(table.shownText(column, r))
                                : table.text(column, r));
    };
    std::string out;
    for (int r = 1; r <= rows; ++r) {
        out += escapeField(table.text(MessageTable::ColNumber, r));
        out += '\t';
        out += markerName(table.marker(MessageTable::ColSender, r));
        out += '\t';
        out += shown(MessageTable::ColSender, r);
        out += '\t';
        out += markerName(table.marker(MessageTable::ColSubject, r));
        out += '\t';
        out += shown(MessageTable::ColSubject, r);
        out += '\t';
        out += escapeField(table.text(MessageTable::ColSizeContent, r));
        if (verdicts) {
            out += '\t';
            out += verdictColumnText(table.verdicts(r));
        }
        out += '\n';
    }
    return out;
}

}  // namespace kestrix::cli
