#include "screening/text_index.h"

#include <functional>

namespace kestrix {

std::uint64_t TextIndex::hashOf(std::string_view text)
{
    const std::uint64_t h = std::hash<std::string_view>{}(text);
    return h == 0 ? 1 : h;
}

std::size_t TextIndex::find(std::string_view text) const
{
    if (m_slots.empty())
        return npos;
    const std::uint64_t h = hashOf(text);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.hash == 0)
            return npos;
        if (slot.hash == h)
            return slot.entry;
    }
}

std::size_t TextIndex::insert(std::string_view text)
{
    if (const std::size_t found = find(text); found != npos)
        return found;
    if ((m_count + 1) * 2 > m_slots.size())
        grow();
    const std::uint64_t h = hashOf(text);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = h & mask;
    while (m_slots[i].hash != 0)
        i = (i + 1) & mask;
    m_slots[i] = Slot{h, std::uint32_t(m_count)};
    return m_count++;
}

void TextIndex::grow()
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (slot.hash == 0)
            continue;
        std::size_t i = slot.hash & mask;
        while (m_slots[i].hash != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

}  // namespace kestrix
