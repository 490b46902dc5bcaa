#include "screening/classification.h"

#include "text/latin1.h"

#include <cstring>

namespace kestrix {

namespace {

bool hasCapitalAZ(const std::string &word)
{
    for (char c : word) {
        if (c >= 'A' && c <= 'Z')
            return true;
    }
    return false;
}

}  // namespace

BlacklistMatcher::BlacklistMatcher(const std::vector<std::string> &words)
{
    for (const std::string &word : words) {
        // An empty word never matches; a word with a capital can never occur in lower-cased text.
        if (word.empty() || hasCapitalAZ(word))
            continue;
        m_words.push_back(word);
    }
    for (size_t i = 0; i < m_words.size(); ++i) {
        const auto first = static_cast<unsigned char>(m_words[i][0]);
        m_byFirstByte[first].push_back(static_cast<unsigned short>(i));
    }
}

bool BlacklistMatcher::matchesLowered(std::string_view lowered) const
{
    if (m_words.empty())
        return false;
    const size_t n = lowered.size();
    for (size_t i = 0; i < n; ++i) {
        for (unsigned short w : m_byFirstByte[static_cast<unsigned char>(lowered[i])]) {
            const std::string &word = m_words[w];
            if (word.size() <= n - i && std::memcmp(lowered.data() + i, word.data(), word.size()) == 0)
                return true;
        }
    }
    return false;
}

Classifier::Classifier(const Whitelist &whitelist, const BlacklistWords &blacklist,
                       const RejectedLog &log)
    : m_whitelist(whitelist)
    , m_log(log)
    , m_blacklist(blacklist.words())
{
}

RowMarkers Classifier::classify(const std::string &sender, const std::string &subject) const
{
    RowMarkers markers;
    if (m_log.isKnownBadSubject(subject)) {
        markers.subject = CellMarker::KNBS;
    } else if (!m_blacklist.empty()
               && (m_blacklist.matchesLowered(lowerAZ(subject))
                   || m_blacklist.matchesLowered(lowerAZ(sender)))) {
        markers.subject = CellMarker::KNBP;
    }
    if (m_log.isKnownBadSender(sender))
        markers.sender = CellMarker::KNBA;
    if (m_whitelist.contains(sender))
        markers.sender = CellMarker::KNGA;
    return markers;
}

}  // namespace kestrix
