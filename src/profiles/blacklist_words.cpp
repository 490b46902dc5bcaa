#include "profiles/blacklist_words.h"

#include "profiles/case_blind_hash.h"

#include <algorithm>

namespace kestrix {

BlacklistWords::BlacklistWords()
    : m_words(builtIn())
{
}

const std::vector<std::string> &BlacklistWords::builtIn()
{
    // In this exact order. "deal" is there twice, and "win " keeps its blank so that it matches
    // only where a blank follows; "s*x" and "via-g-r-a" are plain text, not patterns.
    static const std::vector<std::string> words = {
        "#", "$", "%", "add inches", "adu1t", "adult", "amateur", "bad credit", "bigger",
        "billion", "blow", "bulk", "business", "cash", "casino", "celeb", "chicks",
        "congratulations", "cum", "deal", "deal", "deodorant mishap", "erection", "fat", "free",
        "friend", "geil", "girl", "good news", "health", "home business", "hormon", "housewife",
        "housewives", "illegal", "insurance", "investment", "liebe", "live", "love", "million",
        "money", "mortgage", "movie", "online pharmacy", "penis", "pic", "porn", "s*x", "save",
        "save for", "save up", "schufa", "sehr wichtig", "sex", "slut", "teems", "teen",
        "thousand", "top secret", "ultimate", "viagra", "via-g-r-a", "videos", "virus", "webcam",
        "wicked screensaver", "win ",
    };
    return words;
}

void BlacklistWords::add(const std::string &word)
{
    // After every word that sorts equal. A linear walk: the list is short, and a file the user
    // edited need not be sorted.
    auto at = std::find_if(m_words.begin(), m_words.end(),
                           [&](const std::string &w) { return caseBlindLess(word, w); });
    m_words.insert(at, word);
}

void BlacklistWords::removeAt(size_t index)
{
    if (index < m_words.size())
        m_words.erase(m_words.begin() + std::ptrdiff_t(index));
}

void BlacklistWords::assign(std::vector<std::string> words)
{
    m_words = std::move(words);
    std::stable_sort(m_words.begin(), m_words.end(),
                     [](const std::string &a, const std::string &b) { return caseBlindLess(a, b); });
}

}  // namespace kestrix
