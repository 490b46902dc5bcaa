#pragma once
// Line ends taken off texts: the one line end of a received line, and every line end at the end
// of a text that is shown in one line (a reply or an error as a status text).

#include <string>

namespace kestrix {

// A received line without its line end: the LF and a CR before it.
inline std::string withoutLineEnd(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// A text without every CR and LF at its end.
inline std::string withoutTrailingLineEnds(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace kestrix
