#pragma once
// The first, pass-by-pass decoding of encoded header words: the yardstick for the linear one.

#include <string>
#include <string_view>

namespace kestrix::reference {

// Same contract as decodeHeaderWords, in up to 256 passes over the whole text.
std::string decodeHeaderWordsByPasses(std::string_view text);

}  // namespace kestrix::reference
