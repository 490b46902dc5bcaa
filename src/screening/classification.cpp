#include "screening/classification.h"

#include "screening/display_blacklist.h"
#include "text/latin1.h"


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
    std::vector<const std::string *> usable;
    for (const std::string &word : words) {
        // An empty word never matches; a word with a capital can never occur in lower-cased text.
        if (!word.empty() && !hasCapitalAZ(word))
            usable.push_back(&word);
    }
    if (usable.empty())
        return;

    // Byte classes: one per byte that occurs in a word; capitals share the class of their
    // lower-case letter, so the text never needs a lower-cased copy.
    for (const std::string *word : usable) {
        for (char c : *word) {
            auto &cls = m_classOf[static_cast<unsigned char>(c)];
            if (cls == 0)
                cls = static_cast<unsigned char>(m_classCount++);
        }
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        m_classOf[static_cast<unsigned char>(c)] = m_classOf[static_cast<unsigned char>(lowerAZ(c))];

    // The trie; -1 marks a missing edge until the automaton is completed.
    const int k = m_classCount;
    m_next.assign(size_t(k), -1);
    m_matching.assign(1, 0);
    for (const std::string *word : usable) {
        int state = 0;
        for (char c : *word) {
            const size_t edge = size_t(state) * size_t(k) + m_classOf[static_cast<unsigned char>(c)];
            if (m_next[edge] < 0) {
                m_next[edge] = int(m_matching.size());
                m_matching.push_back(0);
                m_next.resize(m_next.size() + size_t(k), -1);
            }
            state = m_next[edge];
        }
        m_matching[size_t(state)] = 1;
    }

    // Breadth-first: every missing edge follows the longest proper suffix that is in the trie.
    std::vector<int> fail(m_matching.size(), 0);
    std::vector<int> queue;
    for (int c = 0; c < k; ++c) {
        int &target = m_next[size_t(c)];
        if (target < 0) {
            target = 0;
        } else {
            fail[size_t(target)] = 0;
            queue.push_back(target);
        }
    }
    for (size_t head = 0; head < queue.size(); ++head) {
        const int state = queue[head];
        if (m_matching[size_t(fail[size_t(state)])])
            m_matching[size_t(state)] = 1;
        for (int c = 0; c < k; ++c) {
            int &target = m_next[size_t(state) * size_t(k) + size_t(c)];
            const int viaFail = m_next[size_t(fail[size_t(state)]) * size_t(k) + size_t(c)];
            if (target < 0) {
                target = viaFail;
            } else {
                fail[size_t(target)] = viaFail;
                queue.push_back(target);
            }
        }
    }
}

bool BlacklistMatcher::matchesLowerCased(std::string_view text) const
{
    if (m_matching.empty())
        return false;
    const size_t k = size_t(m_classCount);
    int state = 0;
    for (char c : text) {
        state = m_next[size_t(state) * k + m_classOf[static_cast<unsigned char>(c)]];
        if (m_matching[size_t(state)])
            return true;
    }
    return false;
}

Classifier::Classifier(const Whitelist &whitelist, const BlacklistWords &blacklist,
                       const RejectedLog &log, bool matchDisplayText)
    : m_whitelist(whitelist)
    , m_log(log)
    , m_blacklist(blacklist.words())
{
    if (matchDisplayText)
        m_displayBlacklist = std::make_unique<DisplayBlacklistMatcher>(blacklist.words());
}

Classifier::~Classifier() = default;

RowMarkers Classifier::classify(const std::string &sender, const std::string &subject,
                                bool whitelistMayTrust, std::string_view shownSender,
                                std::string_view shownSubject) const
{
    RowMarkers markers;
    if (m_log.isKnownBadSubject(subject)) {
        markers.subject = CellMarker::KNBS;
    } else if (!m_blacklist.empty()
               && (m_blacklist.matchesLowerCased(subject)
                   || m_blacklist.matchesLowerCased(sender))) {
        markers.subject = CellMarker::KNBP;
    } else if (m_displayBlacklist
               && (m_displayBlacklist->matchesBeyondBytes(shownSubject.empty() ? subject : shownSubject)
                   || m_displayBlacklist->matchesBeyondBytes(shownSender.empty() ? sender : shownSender))) {
        markers.subject = CellMarker::KNBP;
    }
    if (m_log.isKnownBadSender(sender))
        markers.sender = CellMarker::KNBA;
    if (whitelistMayTrust && m_whitelist.contains(sender))
        markers.sender = CellMarker::KNGA;
    return markers;
}

}  // namespace kestrix
