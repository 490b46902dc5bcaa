// The Received lines of a message: which hosts passed it on, how, from which addresses, and how
// the name a sender gave itself (HELO) compares with the name its address has (reverse DNS).
#include "screening/header_token_parts.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix::header_token_parts {

namespace {

// What one "from" clause says: "from HELO (RDNS [IP])", "from RDNS ([IP] helo=HELO)", "from
// unknown (HELO name) (IP)".
struct Hop {
    std::string helo;
    std::string rdns;
    std::string ip;
    std::string by;
    std::string with;
};

std::string wordAfter(const std::string &lower, std::string_view word)
{
    for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1)) {
        if (at > 0 && !isBlank(lower[at - 1]) && lower[at - 1] != ')')
            continue;
        const size_t begin = at + word.size();
        const size_t end = lower.find_first_of(" \t;()[]", begin);
        return lower.substr(begin, end == std::string::npos ? end : end - begin);
    }
    return {};
}

bool isIpv4(std::string_view text)
{
    return !text.empty() && std::count(text.begin(), text.end(), '.') == 3
           && text.find_first_not_of("0123456789.") == std::string_view::npos;
}

bool isPrivate(std::string_view ip)
{
    return ip.starts_with("127.") || ip.starts_with("10.") || ip.starts_with("192.168.")
           || (ip.starts_with("172.") && ip.size() > 6 && ip[4] >= '1' && ip[4] <= '3');
}

Hop readHop(const std::string &lower)
{
    Hop hop;
    hop.by = wordAfter(lower, "by ");
    hop.with = wordAfter(lower, "with ");
    const size_t from = lower.starts_with("from ") ? 0 : lower.find(" from ");
    if (from == std::string::npos)
        return hop;
    const size_t nameAt = lower.find_first_not_of(" \t", lower.find("from ", from) + 5);
    if (nameAt == std::string::npos)
        return hop;  // "from " and nothing after it
    const size_t nameEnd = lower.find_first_of(" \t()", nameAt);
    std::string name = lower.substr(nameAt, nameEnd == std::string::npos ? nameEnd : nameEnd - nameAt);
    // The comment that follows the name (up to "by").
    const size_t byAt = lower.find(" by ", nameAt);
    const std::string_view rest = std::string_view(lower).substr(
        nameEnd == std::string::npos ? lower.size() : nameEnd,
        byAt == std::string::npos || byAt < nameEnd ? std::string_view::npos : byAt - nameEnd);
    if (const size_t open = rest.find('['); open != std::string_view::npos)
        hop.ip = std::string(rest.substr(open + 1, rest.find(']', open) - open - 1));
    else if (name.size() > 2 && name.front() == '[')
        hop.ip = name.substr(1, name.find(']') - 1);
    const size_t heloAt = rest.find("helo=");
    const size_t heloWord = rest.find("(helo ");
    if (heloAt != std::string_view::npos || heloWord != std::string_view::npos) {
        // The name before the comment is the address's own name, the HELO is in the comment.
        const size_t begin = heloAt != std::string_view::npos ? heloAt + 5 : heloWord + 6;
        hop.helo = std::string(rest.substr(begin, rest.find_first_of(" )", begin) - begin));
        hop.rdns = name;
    } else {
        hop.helo = name;
        const size_t open = rest.find('(');
        if (open != std::string_view::npos) {
            std::string_view inside = rest.substr(open + 1);
            inside = inside.substr(0, inside.find_first_of(" [)"));
            if (const size_t at = inside.find('@'); at != std::string_view::npos)
                inside.remove_prefix(at + 1);
            hop.rdns = std::string(inside);
        }
    }
    if (hop.ip.starts_with("ipv6:"))
        hop.ip.clear();
    if (hop.rdns.starts_with('['))
        hop.rdns.clear();  // "from [1.2.3.4] (helo=x)": the address has no name
    return hop;
}

// How the HELO name compares with the address's own name.
std::string_view heloMatch(const Hop &hop)
{
    if (hop.helo.empty())
        return "none";
    if (hop.helo.front() == '[' || isIpv4(hop.helo))
        return "address";
    if (hop.rdns.empty())
        return hop.helo.find('.') == std::string::npos ? "bare-no-rdns" : "no-rdns";
    if (hop.rdns == "unknown" || hop.rdns == "unverified")
        return hop.helo.find('.') == std::string::npos ? "bare-unknown" : "unknown";
    if (hop.helo == hop.rdns)
        return "same";
    if (hop.helo.find('.') == std::string::npos)
        return "bare";
    return baseDomain(hop.helo) == baseDomain(hop.rdns) ? "same-base" : "other";
}

}  // namespace

void addReceived(Tokens &tokens, const std::vector<Field> &fields, const std::string &fromDomain)
{
    int hops = 0;
    const Hop *origin = nullptr;
    std::vector<Hop> all;
    for (const Field &field : fields) {
        if (field.name == "received")
            all.push_back(readHop(lowerAZ(field.value)));
    }
    for (const Hop &hop : all) {
        ++hops;
        tokens.add("rcvd-from:", hop.helo);
        if (hop.helo.find('.') != std::string::npos)
            tokens.add("rcvd-from:@", baseDomain(hop.helo));
        tokens.add("rcvd-by:", hop.by);
        tokens.add("rcvd-with:", hop.with);
        if (isIpv4(hop.ip))
            tokens.add("rcvd-ip:", std::string_view(hop.ip).substr(0, hop.ip.rfind('.')));
        if (isIpv4(hop.ip) && !isPrivate(hop.ip))
            origin = &hop;
    }
    tokens.add("rcvd-hops:", std::to_string(std::min(hops, 12)));
    if (origin) {
        tokens.add("rcvd-origin-helo:", heloMatch(*origin));
        tokens.add("rcvd-origin-with:", origin->with);
        // Whether the sender's domain handled the mail where it entered the outside world:
        // its own host sent it, or its own server took it from the sender.
        if (!fromDomain.empty()) {
            const std::string_view base = baseDomain(fromDomain);
            const auto ours = [&](std::string_view host) {
                return !host.empty() && baseDomain(host) == base;
            };
            const bool same = ours(origin->rdns) || ours(origin->helo) || ours(origin->by);
            tokens.add("rcvd-origin-from:", same ? "same" : "other");
        }
        const std::string_view rdns = origin->rdns;
        if (!rdns.empty() && rdns != "unknown")
            tokens.add("rcvd-origin-rdns:", shapeOf(rdns.substr(0, rdns.find('.'))));
    } else {
        tokens.add("rcvd-origin:", "none");
    }
}

}  // namespace kestrix::header_token_parts
