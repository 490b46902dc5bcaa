#pragma once
// The program-wide blacklist words, kept in a stable case-insensitive order. A word matches when
// it occurs, exactly as stored, inside a lower-cased sender or subject; the matching itself is
// the classification's business.

#include <string>
#include <vector>

namespace kestrix {

class BlacklistWords {
public:
    BlacklistWords();  // the 68 built-in words

    static const std::vector<std::string> &builtIn();

    const std::vector<std::string> &words() const { return m_words; }
    size_t size() const { return m_words.size(); }

    // Adds a word at its sorted place; empty words and duplicates are allowed.
    void add(const std::string &word);
    void removeAt(size_t index);
    void assign(std::vector<std::string> words);

private:
    std::vector<std::string> m_words;
};

}  // namespace kestrix
