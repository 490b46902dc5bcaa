#pragma once
// Classification of one message by its sender and subject against the whitelist, the
// rejected-mail log and the blacklist words. The order is fixed: a known-bad subject wins over
// the blacklist; the blacklist is checked for every row (trusted senders included); the whitelist
// test comes last and replaces a known-bad sender.

#include "profiles/blacklist_words.h"
#include "profiles/rejected_log.h"
#include "profiles/whitelist.h"
#include "screening/cell_marker.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Answers "does any blacklist word occur, exactly as stored, in the lower-cased form of this
// text?" in one pass over the text, whatever the number of words: the words are compiled into an
// automaton (Aho-Corasick) over byte classes, with A-Z folded onto a-z. Words that can never
// match a lower-cased text (empty, or holding a capital A-Z) are left out.
class BlacklistMatcher {
public:
    explicit BlacklistMatcher(const std::vector<std::string> &words);

    bool empty() const { return m_matching.empty(); }
    // text as received; it is compared as if lower-cased (A-Z only).
    bool matchesLowerCased(std::string_view text) const;

private:
    std::array<unsigned char, 256> m_classOf{};  // 0: a byte no word holds
    int m_classCount = 1;
    std::vector<int> m_next;         // state * m_classCount + class -> state
    std::vector<unsigned char> m_matching;  // a word ends in this state (or in its suffix states)
};

struct RowMarkers {
    CellMarker sender = CellMarker::None;   // None, KNBA or KNGA
    CellMarker subject = CellMarker::None;  // None, KNBS or KNBP
};

class DisplayBlacklistMatcher;

class Classifier {
public:
    // matchDisplayText: the profile's "[headers] decodeAll". When set, a row the byte matching
    // leaves unmarked is also marked blacklisted when a word occurs in the display text of its
    // subject or sender (case ignored over Unicode). When clear, nothing differs from the bytes.
    Classifier(const Whitelist &whitelist, const BlacklistWords &blacklist,
               const RejectedLog &log, bool matchDisplayText = false);
    ~Classifier();

    // whitelistMayTrust: false for a row whose sender is forged or an impostor; the whitelist
    // then gives no trust, and the other markers stand as if the sender were not on it.
    // shownSender, shownSubject: what the display text is decoded from when not the texts
    // themselves ("" for those).
    RowMarkers classify(const std::string &sender, const std::string &subject,
                        bool whitelistMayTrust = true, std::string_view shownSender = {},
                        std::string_view shownSubject = {}) const;

private:
    const Whitelist &m_whitelist;
    const RejectedLog &m_log;
    BlacklistMatcher m_blacklist;
    std::unique_ptr<DisplayBlacklistMatcher> m_displayBlacklist;  // only with matchDisplayText
};

}  // namespace kestrix
