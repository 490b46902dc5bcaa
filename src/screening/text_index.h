#pragma once
// A set of texts that answers "which entry holds this text?" with one probe into one flat array
// in the common case: the table build asks it twice per row, and a node-based hash map spends
// most of that time chasing pointers through memory. Texts are known by their 64-bit hash
// alone: two texts that share one count as one. That is harmless where it is used: a sender
// whose key collides with a whitelisted one gets a look-alike or impostor verdict on its own
// mail, and never loses one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class TextIndex {
public:
    // The entry that holds text, inserted if it is new; entries are numbered 0, 1, 2, ...
    std::size_t insert(std::string_view text);
    // The entry that holds text, or npos.
    std::size_t find(std::string_view text) const;
    std::size_t size() const { return m_count; }

    static constexpr std::size_t npos = std::size_t(-1);

private:
    struct Slot {
        std::uint64_t hash = 0;  // 0: empty
        std::uint32_t entry = 0;
    };
    static std::uint64_t hashOf(std::string_view text);
    void grow();

    std::size_t m_count = 0;
    std::vector<Slot> m_slots;  // a power of two in size, at most half full
};

}  // namespace kestrix
