#pragma once
// The password of a profile in the desktop keyring (the Secret Service, through QtKeychain),
// for profiles whose NAME.conf says [password] keyring=true. Nothing of ours is written to any
// file: the keyring keeps the secret. Each call waits for the keyring's answer on the event loop
// (at most kKeyringTimeoutMs); a keyring that does not answer counts as not reachable.

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

inline constexpr int kKeyringTimeoutMs = 10000;

class PasswordKeyring {
public:
    // Whether a Secret Service answers; when not, why (for the check box's tip).
    static bool reachable(std::string &why);

    // The stored password of the profile, or nothing (none stored, or no keyring). On a failure
    // other than "none stored", error says why.
    static std::optional<std::string> read(std::string_view profile, std::string *error = nullptr);
    // Stores (replaces) the password; false with error on failure.
    static bool write(std::string_view profile, const std::string &password,
                      std::string *error = nullptr);
    // Removes the stored password; true also when none was stored.
    static bool remove(std::string_view profile, std::string *error = nullptr);
};

}  // namespace kestrix
