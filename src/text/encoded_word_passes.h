#pragma once
// The pass-by-pass decoding of "q" words behind decodeHeaderWords, done in time proportional to
// the text: the text is a linked list of its bytes, the delimiters are found through bit sets,
// and after the first pass only the bytes next to a cut are looked at again.

#include <string>

namespace kestrix {

// text has its double quotes removed already; returns it decoded (the contract of
// decodeHeaderWords).
std::string decodeWordPasses(std::string text);

}  // namespace kestrix
