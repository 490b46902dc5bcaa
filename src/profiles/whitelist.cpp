#include "profiles/whitelist.h"

#include <algorithm>
#include <atomic>

namespace kestrix {

bool Whitelist::contains(std::string_view text) const
{
    return m_index.contains(text);
}

void Whitelist::add(const std::string &text)
{
    // After every entry that sorts equal, so equal texts keep the order they came in.
    auto at = std::upper_bound(m_entries.begin(), m_entries.end(), text,
                               [](const std::string &a, const std::string &b) {
                                   return caseBlindLess(a, b);
                               });
    m_entries.insert(at, text);
    indexAdd(text);
    changed();
}

bool Whitelist::removeOne(std::string_view text)
{
    if (!contains(text))
        return false;
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const std::string &e) { return equalsIgnoreCaseAZ(e, text); });
    indexRemove(*it);
    m_entries.erase(it);
    changed();
    return true;
}

void Whitelist::removeAt(size_t index)
{
    if (index >= m_entries.size())
        return;
    indexRemove(m_entries[index]);
    m_entries.erase(m_entries.begin() + std::ptrdiff_t(index));
    changed();
}

void Whitelist::assign(std::vector<std::string> entries)
{
    m_entries = std::move(entries);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const std::string &a, const std::string &b) { return caseBlindLess(a, b); });
    rebuildIndex();
    changed();
}

void Whitelist::clear()
{
    m_entries.clear();
    m_index.clear();
    changed();
}

void Whitelist::changed()
{
    static std::atomic<std::uint64_t> stamps{0};
    m_revision = ++stamps;
}

void Whitelist::rebuildIndex()
{
    m_index.clear();
    m_index.reserve(m_entries.size());
    for (const std::string &e : m_entries)
        indexAdd(e);
}

void Whitelist::indexAdd(const std::string &text)
{
    ++m_index[text];
}

void Whitelist::indexRemove(std::string_view text)
{
    if (int *count = m_index.find(text); count && --*count == 0)
        m_index.erase(text);
}

}  // namespace kestrix
