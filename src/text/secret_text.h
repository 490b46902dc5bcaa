#pragma once
// Passwords live in memory only, and not longer than needed: a secret is overwritten, also the
// bytes an earlier, longer value left in the string's buffer, before the string is emptied.

#include <string>

#include <string.h>

namespace kestrix {

inline void wipeSecret(std::string &secret)
{
    secret.resize(secret.capacity());
    ::explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

}  // namespace kestrix
