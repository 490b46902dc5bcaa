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

// Case-blind order (A-Z lower-cased, bytes unsigned); texts equal in it keep their insertion order
// wherever it is used with stable algorithms.
inline bool caseBlindLess(std::string_view a, std::string_view b) noexcept
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAZ(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAZ(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

}  // namespace kestrix
