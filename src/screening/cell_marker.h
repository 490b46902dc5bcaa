#pragma once
// The class of a message-table cell, kept beside the cell's text. A sender or subject may itself
// begin with the section sign and "KN" (mail can carry any byte), so the class is never read from
// the text; it comes from the classification alone.

#include <string>

namespace kestrix {

enum class CellMarker {
    None,
    KNGA,  // sender: known good address (on the whitelist)
    KNBA,  // sender: known bad address (in the rejected-mail log)
    KNBS,  // subject: known bad subject (in the rejected-mail log)
    KNBP,  // subject: a blacklist word occurs in the subject or the sender
};

// The section sign of the single-byte code page the texts are kept in.
inline constexpr char kSectionSign = '\xA7';

// The five-character marker for display ("\xA7KNGA" ...), empty for None.
std::string markerText(CellMarker marker);

// The marker followed by the text, as a marked cell reads when shown as one text.
std::string markedText(CellMarker marker, const std::string &text);

}  // namespace kestrix
