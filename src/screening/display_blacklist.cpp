#include "screening/display_blacklist.h"

#include "text/display_text.h"
#include "text/utf8.h"

#include <algorithm>

namespace kestrix {

namespace {

std::vector<std::string> foldedWords(const std::vector<std::string> &words)
{
    std::vector<std::string> folded;
    folded.reserve(words.size());
    for (const std::string &word : words)
        folded.push_back(rawHeaderText(word).toCaseFolded().toStdString());
    return folded;
}

bool hasCapitalAZ(const std::string &word)
{
    return std::any_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// True when, for ASCII texts, the folded words find exactly what the byte matching finds: every
// word that folds to ASCII was ASCII already, without capitals ("ſ" or "K" would fold to
// ASCII letters; "Cash" is left out by the bytes but not here).
bool asciiMatchingIsTheSame(const std::vector<std::string> &words,
                            const std::vector<std::string> &folded)
{
    for (size_t i = 0; i < words.size(); ++i) {
        if (!folded[i].empty() && isAscii(folded[i]) && folded[i] != words[i])
            return false;
        if (hasCapitalAZ(words[i]))
            return false;
    }
    return true;
}

}  // namespace

DisplayBlacklistMatcher::DisplayBlacklistMatcher(const std::vector<std::string> &words)
    : DisplayBlacklistMatcher(words, foldedWords(words))
{
}

DisplayBlacklistMatcher::DisplayBlacklistMatcher(const std::vector<std::string> &words,
                                                 const std::vector<std::string> &folded)
    : m_folded(folded)
    , m_asciiAsBytes(asciiMatchingIsTheSame(words, folded))
{
}

bool DisplayBlacklistMatcher::matches(std::string_view text) const
{
    return matches(text, displaysAsIs(text));
}

bool DisplayBlacklistMatcher::matches(std::string_view text, bool asIs) const
{
    if (m_folded.empty())
        return false;
    // Plain ASCII displays as itself, and folding ASCII is lower-casing A to Z, which the
    // matcher does as it reads.
    if (asIs)
        return m_folded.matchesLowerCased(text);
    // The thread's buffers keep their capacity from row to row.
    thread_local std::string display;
    thread_local std::string folded;
    display.clear();
    appendDisplayHeaderTextUtf8(text, display);
    if (isAscii(display))
        return m_folded.matchesLowerCased(display);
    folded.clear();
    appendCaseFoldedUtf8(display, folded);
    return m_folded.matchesLowerCased(folded);
}

bool DisplayBlacklistMatcher::matchesBeyondBytes(std::string_view text) const
{
    const bool asIs = displaysAsIs(text);
    if (m_asciiAsBytes && asIs)
        return false;  // the byte matching has already answered for this text
    return matches(text, asIs);
}

}  // namespace kestrix
