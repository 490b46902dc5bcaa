// Mail that came through a mailing list carries the list's own lines: its headers, its Received
// hops, its bounce address, its tag in the subject. They say one thing, "this came through the
// list", and as a dozen clues they would outvote what the sender wrote: spam posted to a list
// would score as the list's good mail. So they are taken off and stand as one "list:" clue.
#include "screening/header_token_parts.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix::header_token_parts {

namespace {

// The base domain of the list named by its headers; empty for mail sent straight.
std::string listBase(const std::vector<Field> &fields)
{
    if (const Field *id = find(fields, "list-id")) {
        std::string_view text = id->value;
        const size_t open = text.rfind('<');
        if (open != std::string_view::npos)
            text = text.substr(open + 1, text.find('>', open) - open - 1);
        else
            text = text.substr(text.find_last_of(" \t") == std::string_view::npos
                                   ? 0 : text.find_last_of(" \t") + 1);
        if (text.find('.') != std::string_view::npos)
            return lowerAZ(baseDomain(text));
    }
    for (const char *name : {"x-beenthere", "mailing-list"}) {
        if (const Field *field = find(fields, name)) {
            const std::string domain = domainOf(addressOf(field->value));
            if (!domain.empty())
                return std::string(baseDomain(domain));
        }
    }
    // Older list servers write no List-Id, only "Precedence: list" (or bulk) and their own
    // bounce address as the Sender (or Errors-To, Return-Path): "owner-x@", "x-owner@",
    // "x-request@", "x-admin@", "x-bounces@".
    const Field *precedence = find(fields, "precedence");
    if (!precedence)
        return {};
    const std::string kind = lowerAZ(precedence->value.substr(0, 4));
    if (kind != "list" && kind != "bulk")
        return {};
    for (const char *name : {"sender", "errors-to", "return-path"}) {
        const Field *field = find(fields, name);
        if (!field)
            continue;
        const std::string address = addressOf(field->value);
        const std::string local = address.substr(0, address.find('@'));
        const auto has = [&](const char *part) { return local.find(part) != std::string::npos; };
        if (local.starts_with("owner-") || has("-owner") || has("-request") || has("-admin")
            || has("-bounce")) {
            const std::string domain = domainOf(address);
            if (!domain.empty())
                return std::string(baseDomain(domain));
        }
    }
    return {};
}

// Headers a list server writes besides the list-* ones.
bool isListServerHeader(std::string_view name)
{
    return isListHeader(name) || name == "errors-to" || name == "sender" || name == "delivered-to"
           || name == "x-original-date" || name == "x-egroups-return" || name == "x-apparently-to";
}

bool onList(std::string_view domain, const std::vector<std::string> &bases)
{
    return !domain.empty()
           && std::find(bases.begin(), bases.end(), baseDomain(domain)) != bases.end();
}

// The word after "by " in a Received value (lower case).
std::string receivedBy(const std::string &value)
{
    const std::string lower = lowerAZ(value);
    size_t at = lower.find("by ");
    while (at != std::string::npos && at > 0 && !isBlank(lower[at - 1]) && lower[at - 1] != ')')
        at = lower.find("by ", at + 1);
    if (at == std::string::npos)
        return {};
    const size_t end = lower.find_first_of(" \t;()", at + 3);
    return lower.substr(at + 3, end == std::string::npos ? end : end - at - 3);
}

// "[ILUG] Re: x" -> "Re: x": the list's tag, wherever it stands in the first words.
std::string withoutTag(const std::string &subject)
{
    const size_t open = subject.find('[');
    if (open == std::string::npos || open > 12)
        return subject;
    const size_t close = subject.find(']', open);
    if (close == std::string::npos || close - open > 40)
        return subject;
    std::string rest = subject.substr(0, open) + subject.substr(close + 1);
    const size_t first = rest.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : rest.substr(first);
}

}  // namespace

std::string takeListEnvelope(std::vector<Field> &fields)
{
    const std::string base = listBase(fields);
    if (base.empty())
        return {};
    // The list's hosts: its domain, its bounce address's domain, and the host that passes mail
    // to itself (the list server taking a posting back from its own list program).
    std::vector<std::string> bases{base};
    if (const Field *path = find(fields, "return-path"))
        bases.emplace_back(baseDomain(domainOf(addressOf(path->value))));
    for (const Field &field : fields) {
        if (field.name != "received")
            continue;
        const std::string lower = lowerAZ(field.value);
        const std::string by = receivedBy(field.value);
        if (!by.empty() && lower.starts_with("from " + by) && lower.find("127.0.0.1") != std::string::npos)
            bases.emplace_back(baseDomain(by));
    }
    // The hop where the posting reached the list: the last (oldest) one received by a list host.
    // Every hop above it is the list's way to the reader, the same for every message it sends.
    size_t entry = fields.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name == "received" && onList(receivedBy(fields[i].value), bases))
            entry = i;
    }
    std::vector<Field> kept;
    for (size_t i = 0; i < fields.size(); ++i) {
        Field &field = fields[i];
        if (isListServerHeader(field.name))
            continue;
        if (field.name == "received" && entry < fields.size() && i < entry)
            continue;
        if (field.name == "return-path" && onList(domainOf(addressOf(field.value)), bases))
            continue;
        if (field.name == "subject")
            field.value = withoutTag(field.value);
        kept.push_back(std::move(field));
    }
    fields = std::move(kept);
    return base;
}

}  // namespace kestrix::header_token_parts
