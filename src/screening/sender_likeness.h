#pragma once
// The sender text measured against the whitelist: an impostor display name (one that shows
// another address than the real one, or the name of a whitelisted sender on another address)
// and a look-alike domain (one people would mistake for a whitelisted sender's domain: IDN
// homographs, mixed scripts, "rn" for "m", "1" for "l", "0" for "o"). Names and domains are
// compared by their confusable keys (text/confusables.h), which are case-blind and decoded.

#include "profiles/whitelist.h"
#include "screening/row_verdicts.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kestrix {

class SenderLikeness {
public:
    // Indexes the names and domains of the whitelist's entries.
    explicit SenderLikeness(const Whitelist &whitelist);

    // Adds Impostor and LookAlike to out for a sender text as the table holds it (bytes;
    // encoded words and UTF-8 are read as people read them).
    void judge(std::string_view sender, RowVerdicts &out) const;

    bool empty() const { return m_names.empty() && m_domains.empty(); }

private:
    struct NameOwner {
        std::string name;                    // as the whitelist shows it (UTF-8)
        std::vector<std::string> addresses;  // lower-cased (A-Z)
    };
    std::unordered_map<std::string, NameOwner> m_names;      // key of the name -> owner
    std::unordered_map<std::string, std::string> m_domains;  // key of the domain -> the domain
    std::unordered_set<std::string> m_exactDomains;          // the whitelisted domains, lower case
};

}  // namespace kestrix
