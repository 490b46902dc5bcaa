#include "screening/sender_likeness.h"

#include "screening/sender_address.h"
#include "text/confusables.h"
#include "text/display_text.h"
#include "text/latin1.h"

#include <algorithm>

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
std::string plainDomain(std::string_view domain) { return lowerAZ(domainToUnicode(domain)); }

}  // namespace

SenderLikeness::SenderLikeness(const Whitelist &whitelist)
{
    std::string storage;
    for (const std::string &entry : whitelist.entries()) {
        const SenderParts parts = splitSender(readable(entry, storage));
        if (parts.address.empty())
            continue;
        const std::string address = lowerAZ(parts.address);
        if (meaningfulName(parts.name)) {
            NameOwner &owner = m_names[confusableKey(parts.name)];
            if (owner.name.empty())
                owner.name = std::string(parts.name);
            if (std::find(owner.addresses.begin(), owner.addresses.end(), address)
                == owner.addresses.end())
                owner.addresses.push_back(address);
        }
        if (!parts.domain.empty()) {
            std::string plain = plainDomain(parts.domain);
            m_domains.emplace(domainConfusableKey(parts.domain), plain);
            m_exactDomains.insert(std::move(plain));
        }
    }
}

void SenderLikeness::judge(std::string_view sender, RowVerdicts &out) const
{
    std::string storage;
    const SenderParts parts = splitSender(readable(sender, storage));
    if (parts.address.empty())
        return;

    // A name that shows an address: it must be the real one.
    if (const std::string_view shown = addressInText(parts.name);
        !shown.empty() && !equalsIgnoreCaseAZ(shown, parts.address)) {
        out.add(Verdict::Impostor, "Impostor: the name shows " + std::string(shown)
                                       + ", the address is " + std::string(parts.address));
    } else if (!m_names.empty() && meaningfulName(parts.name)) {
        // The name of a whitelisted sender (or one that reads the same) on another address.
        const auto owner = m_names.find(confusableKey(parts.name));
        if (owner != m_names.end()) {
            const std::string address = lowerAZ(parts.address);
            const auto &known = owner->second.addresses;
            if (std::find(known.begin(), known.end(), address) == known.end()) {
                out.add(Verdict::Impostor, "Impostor: \"" + std::string(parts.name)
                                               + "\" is the name of the whitelisted "
                                               + known.front() + ", the address is "
                                               + std::string(parts.address));
            }
        }
    }

    if (!m_domains.empty() && !parts.domain.empty()) {
        const auto like = m_domains.find(domainConfusableKey(parts.domain));
        if (like != m_domains.end()) {
            const std::string plain = plainDomain(parts.domain);
            if (m_exactDomains.find(plain) == m_exactDomains.end()) {
                std::string why = "Look-alike domain: " + plain;
                if (!equalsIgnoreCaseAZ(plain, parts.domain))
                    why += " (" + std::string(parts.domain) + ")";
                why += " looks like the whitelisted " + like->second;
                if (mixesScripts(plain))
                    why += ", mixing scripts";
                out.add(Verdict::LookAlike, std::move(why));
            }
        }
    }
}

}  // namespace kestrix
