#pragma once
// The parts of a sender text as the table shows it ("Bob Smith <bob@example.org>",
// "bob@example.org (Bob Smith)", "<bob@example.org>", "bob@example.org"): the display name
// and the address. Pure functions over the text; they never fail, odd input gives empty parts.

#include <string_view>

namespace kestrix {

struct SenderParts {
    std::string_view name;     // the display name, blanks and double quotes trimmed; may be empty
    std::string_view address;  // the address without angle brackets; may be empty
    std::string_view domain;   // the address after its last '@'; empty without one
};

SenderParts splitSender(std::string_view sender);

// The first word in text shaped like an address (local@domain with a dot in the domain),
// without the punctuation around it; empty when there is none.
std::string_view addressInText(std::string_view text);

}  // namespace kestrix
