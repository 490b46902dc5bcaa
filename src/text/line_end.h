#pragma once
// A received line without its line end: the LF and a CR before it.

#include <string>

namespace kestrix {

inline std::string withoutLineEnd(std::string line)
{
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

}  // namespace kestrix
