#include "screening/sender_likeness.h"

#include "screening/sender_address.h"
#include "text/confusables.h"
#include "text/display_text.h"
#include "text/latin1.h"

#include <algorithm>
#include <atomic>

namespace kestrix {

namespace {

// The sender as people read it: the bytes themselves when they are plain ASCII without
// encoded words (the common case, no copy), else the display text in UTF-8.
std::string_view readable(std::string_view sender, std::string &storage)
{
    if (displaysAsIs(sender))
        return sender;
    storage = displayHeaderTextUtf8(sender);
    return storage;
}

// A name worth comparing holds a letter or digit; "", "-" or "..." say nothing.
bool meaningfulName(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
               || static_cast<unsigned char>(c) >= 0x80;
    });
}

// The domain without ACE labels and A-Z case, to tell "the same domain" from "one like it".
void plainDomainInto(std::string_view domain, std::string &out)
{
    // An ACE label needs its "--"; most domains have no dash at all.
    if (domain.find('-') != std::string_view::npos) {
        out = lowerAZ(domainToUnicode(domain));
        return;
    }
    out.assign(domain);
    for (char &c : out)
        c = lowerAZ(c);
}

}  // namespace

SenderLikeness::SenderLikeness(const Whitelist &whitelist)
{
    static std::atomic<std::uint64_t> made{0};
    m_serial = ++made;
    for (const std::string &entry : whitelist.entries()) {
        const SenderParts parts = splitSender(readable(entry, m_readable));
        if (parts.address.empty())
            continue;
        const std::string address = lowerAZ(parts.address);
        if (meaningfulName(parts.name)) {
            confusableKeyInto(parts.name, m_key);
            const size_t i = m_nameKeys.insert(m_key);
            if (i == m_owners.size())
                m_owners.push_back({std::string(parts.name), {}});
            std::vector<std::string> &known = m_owners[i].addresses;
            if (std::find(known.begin(), known.end(), address) == known.end())
                known.push_back(address);
        }
        if (!parts.domain.empty()) {
            plainDomainInto(parts.domain, m_plain);
            m_exactDomains.insert(m_plain);
            domainConfusableKeyInto(parts.domain, m_key);
            if (m_domainKeys.insert(m_key) == m_domains.size())
                m_domains.push_back(m_plain);
        }
    }
}

void SenderLikeness::judge(std::string_view sender, RowVerdicts &out,
                           std::vector<std::string> *reasons)
{
    const SenderParts parts = splitSender(readable(sender, m_readable));
    if (parts.address.empty())
        return;

    // A name that shows an address: it must be the real one.
    if (const std::string_view shown = addressInText(parts.name);
        !shown.empty() && !equalsIgnoreCaseAZ(shown, parts.address)) {
        out.add(Verdict::Impostor);
        if (reasons) {
            reasons->push_back("Impostor: the name shows " + std::string(shown)
                               + ", the address is " + std::string(parts.address));
        }
    } else if (m_nameKeys.size() > 0 && meaningfulName(parts.name)) {
        // The name of a whitelisted sender (or one that reads the same) on another address.
        confusableKeyInto(parts.name, m_key);
        if (const size_t i = m_nameKeys.find(m_key); i != TextIndex::npos) {
            const std::vector<std::string> &known = m_owners[i].addresses;
            const bool same = std::any_of(known.begin(), known.end(), [&](const std::string &a) {
                return equalsIgnoreCaseAZ(a, parts.address);
            });
            if (!same) {
                out.add(Verdict::Impostor);
                if (reasons) {
                    reasons->push_back("Impostor: \"" + std::string(parts.name)
                                       + "\" is the name of the whitelisted " + known.front()
                                       + ", the address is " + std::string(parts.address));
                }
            }
        }
    }

    if (m_domainKeys.size() > 0 && !parts.domain.empty()) {
        domainConfusableKeyInto(parts.domain, m_key);
        if (const size_t i = m_domainKeys.find(m_key); i != TextIndex::npos) {
            plainDomainInto(parts.domain, m_plain);
            if (m_exactDomains.find(m_plain) == TextIndex::npos) {
                out.add(Verdict::LookAlike);
                if (reasons) {
                    std::string why = "Look-alike domain: " + m_plain;
                    if (!equalsIgnoreCaseAZ(m_plain, parts.domain))
                        why += " (" + std::string(parts.domain) + ")";
                    why += " looks like the whitelisted " + m_domains[i];
                    if (mixesScripts(m_plain))
                        why += ", mixing scripts";
                    reasons->push_back(std::move(why));
                }
            }
        }
    }
}

SenderLikeness &SenderLikenessCache::of(const Whitelist &whitelist)
{
    if (!m_likeness || m_revision != whitelist.revision() || m_size != whitelist.size()) {
        m_likeness.emplace(whitelist);
        m_revision = whitelist.revision();
        m_size = whitelist.size();
    }
    return *m_likeness;
}

}  // namespace kestrix
