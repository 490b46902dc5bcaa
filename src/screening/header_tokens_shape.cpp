// The shape of a message's header lines rather than their words: in which order the headers
// come (each mail program and bulk sender writes them in its own order) and how the subject
// looks.
#include "screening/header_token_parts.h"

#include <algorithm>

namespace kestrix::header_token_parts {

// Pairs of neighbouring header names ("subject>date"), leaving out the lines that servers add
// on the way: they say where the mail went, not what wrote it.
void addHeaderOrder(Tokens &tokens, const std::vector<Field> &fields)
{
    std::string previous = "^";
    for (const Field &field : fields) {
        if (field.name == "received" || field.name == "delivered-to"
            || field.name == "return-path" || isListHeader(field.name))
            continue;
        tokens.add("hdr-order:", previous + '>' + field.name);
        previous = field.name;
    }
}

void addSubjectShape(Tokens &tokens, std::string_view subject)
{
    int letters = 0;
    int capitals = 0;
    for (const char c : subject) {
        letters += (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        capitals += c >= 'A' && c <= 'Z';
    }
    tokens.add("subj-len:", std::to_string(std::min<size_t>(subject.size() / 10, 8)));
    if (letters >= 6) {
        tokens.add("subj-caps:", capitals * 10 >= letters * 7   ? "most"
                                 : capitals * 10 >= letters * 3 ? "many"
                                                                : "few");
    }
    if (subject.find("   ") != std::string_view::npos)
        tokens.add("subj:", "padded");
    const size_t lastBlank = subject.find_last_of(" \t");
    tokens.add("subj-last:",
               shapeOf(lastBlank == std::string_view::npos ? subject : subject.substr(lastBlank + 1)));
}

}  // namespace kestrix::header_token_parts
