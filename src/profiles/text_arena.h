#pragma once
// Texts kept in large blocks that never move: a stored text is a string_view that stays valid
// until the arena is cleared. Costs the text's bytes and nothing per text, where a std::string
// costs its 32 bytes and a heap block of its own: the rejected-mail log keeps 100,000 lines so.

#include <memory>
#include <string_view>
#include <vector>

namespace kestrix {

class TextArena {
public:
    TextArena() = default;
    TextArena(TextArena &&) noexcept = default;
    TextArena &operator=(TextArena &&) noexcept = default;
    TextArena(const TextArena &) = delete;
    TextArena &operator=(const TextArena &) = delete;

    // A copy of text that lives as long as the arena is not cleared.
    std::string_view store(std::string_view text)
    {
        if (text.empty())
            return {};
        if (text.size() > m_left) {
            const size_t size = text.size() > kBlock / 4 ? text.size() : kBlock;
            m_blocks.push_back(std::make_unique<char[]>(size));
            m_next = m_blocks.back().get();
            m_left = size;
        }
        char *at = m_next;
        text.copy(at, text.size());
        m_next += text.size();
        m_left -= text.size();
        return std::string_view(at, text.size());
    }

    void clear()
    {
        m_blocks.clear();
        m_next = nullptr;
        m_left = 0;
    }

private:
    static constexpr size_t kBlock = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_next = nullptr;
    size_t m_left = 0;
};

}  // namespace kestrix
