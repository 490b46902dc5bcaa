#pragma once
// Hash and equality that ignore the case of A to Z only, for indexes keyed by text. Both are
// transparent, so a lookup by std::string_view costs no copy and no lower-cased temporary.

#include "text/latin1.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrix {

struct CaseBlindHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const noexcept
    {
        // FNV-1a over the A-Z-lower-cased bytes.
        uint64_t h = 1469598103934665603ull;
        for (char c : text) {
            h ^= static_cast<unsigned char>(lowerAZ(c));
            h *= 1099511628211ull;
        }
        return size_t(h);
    }
};

struct CaseBlindEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept
    {
        return equalsIgnoreCaseAZ(a, b);
    }
};

// The order of the sorted lists: A-Z case ignored, bytes unsigned, and hyphens and apostrophes
// passed over as a word sort does ("via-g-r-a" sits beside "viagra"); among texts that still tie,
// the one with fewer such marks comes first, then the plain bytes decide. Stable algorithms keep
// texts that are fully equal in their insertion order. The built-in blacklist is sorted in it.
inline bool caseBlindLess(std::string_view a, std::string_view b) noexcept
{
    auto skipped = [](char c) { return c == '-' || c == '\''; };
    size_t i = 0, j = 0;
    while (true) {
        while (i < a.size() && skipped(a[i]))
            ++i;
        while (j < b.size() && skipped(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            break;
        const auto ca = static_cast<unsigned char>(lowerAZ(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAZ(b[j]));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((i == a.size()) != (j == b.size()))
        return i == a.size();  // a's words are a prefix of b's
    if (a.size() != b.size())
        return a.size() < b.size();  // fewer hyphens and apostrophes first
    for (size_t k = 0; k < a.size(); ++k) {
        const auto ca = static_cast<unsigned char>(lowerAZ(a[k]));
        const auto cb = static_cast<unsigned char>(lowerAZ(b[k]));
        if (ca != cb)
            return ca < cb;
    }
    return false;
}

}  // namespace kestrix
