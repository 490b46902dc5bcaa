#pragma once
// Reproducible random bytes for coder and file tests: the same seed gives the same bytes.

#include <cstddef>
#include <random>
#include <string>

namespace kestrix::test {

inline std::string randomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char &c : bytes)
        c = char(random() & 0xff);
    return bytes;
}

}  // namespace kestrix::test
