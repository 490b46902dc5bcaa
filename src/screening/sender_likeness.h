#pragma once
// The sender text measured against the whitelist: an impostor display name (one that shows
// another address than the real one, or the name of a whitelisted sender on another address)
// and a look-alike domain (one people would mistake for a whitelisted sender's domain: IDN
// homographs, mixed scripts, "rn" for "m", "1" for "l", "0" for "o"). Names and domains are
// compared by their confusable keys (text/confusables.h), which are case-blind and decoded.

#include "profiles/whitelist.h"
#include "screening/row_verdicts.h"
#include "screening/text_index.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class SenderLikeness {
public:
    // Indexes the names and domains of the whitelist's entries.
    explicit SenderLikeness(const Whitelist &whitelist);

    // Adds Impostor and LookAlike to out for a sender text as the table holds it (bytes;
    // encoded words and UTF-8 are read as people read them); with reasons, a line per verdict
    // saying why. Not for two threads at once: it keeps its scratch space between rows.
    void judge(std::string_view sender, RowVerdicts &out,
               std::vector<std::string> *reasons = nullptr);

    // Tells this index from every other one made in the process: a row keeps its verdicts
    // under it and is judged again only against another index.
    std::uint64_t serial() const { return m_serial; }

private:
    std::uint64_t m_serial;
    struct NameOwner {
        std::string name;                    // as the whitelist shows it (UTF-8)
        std::vector<std::string> addresses;  // lower-cased (A-Z)
    };
    TextIndex m_nameKeys;                // entry i: the key of m_owners[i]'s name
    std::vector<NameOwner> m_owners;
    TextIndex m_domainKeys;              // entry i: the key of m_domains[i]
    std::vector<std::string> m_domains;  // as the whitelist has it, lower case, Unicode
    TextIndex m_exactDomains;            // the whitelisted domains, lower case, Unicode
    std::string m_key;                   // scratch: a name's or domain's key
    std::string m_readable;              // scratch: a decoded sender
    std::string m_plain;                 // scratch: a domain in lower case
};

// The likeness of the current whitelist, indexed again only when the whitelist changed: every
// table build asks for it, and a whitelist of thousands of entries takes a while to index.
class SenderLikenessCache {
public:
    SenderLikeness &of(const Whitelist &whitelist);

private:
    // The whitelist the likeness was made from: its revision, and its size in case it was
    // emptied by a move (which keeps the stamp).
    std::uint64_t m_revision = 0;
    size_t m_size = 0;
    std::optional<SenderLikeness> m_likeness;
};

}  // namespace kestrix
