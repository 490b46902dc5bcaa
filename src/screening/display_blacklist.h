#pragma once
// Blacklist words matched against what people read of a sender or subject: its display text
// (encoded words and UTF-8 decoded), with case ignored over all of Unicode. This is a second test
// beside the byte matching, for profiles that turn it on; a word is still a plain piece of text,
// so "win " matches only where a blank follows.

#include "screening/classification.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class DisplayBlacklistMatcher {
public:
    // Each word is read as raw header text (UTF-8 when valid, else Latin-1) and case-folded.
    explicit DisplayBlacklistMatcher(const std::vector<std::string> &words);

    bool empty() const { return m_folded.empty(); }
    // text: a stored sender or subject (bytes).
    bool matches(std::string_view text) const;
    // The same for a text the byte matching has found no word in: plain ASCII texts are then
    // skipped when the words find nothing more in them than the bytes do.
    bool matchesBeyondBytes(std::string_view text) const;

private:
    DisplayBlacklistMatcher(const std::vector<std::string> &words,
                            const std::vector<std::string> &folded);
    bool matches(std::string_view text, bool asIs) const;

    // The case-folded words in UTF-8, matched against the case-folded display text in UTF-8.
    BlacklistMatcher m_folded;
    bool m_asciiAsBytes = false;
};

}  // namespace kestrix
