// Built without QtKeychain: there is no desktop keyring, and the password lives in memory only.
#include "profiles/password_keyring.h"

namespace kestrix {

namespace {
const char kWhy[] = "This build of Kestrix for POP3 has no desktop keyring support";
}

bool PasswordKeyring::reachable(std::string &why)
{
    why = kWhy;
    return false;
}

std::optional<std::string> PasswordKeyring::read(std::string_view, std::string *error)
{
    if (error)
        *error = kWhy;
    return std::nullopt;
}

bool PasswordKeyring::write(std::string_view, const std::string &, std::string *error)
{
    if (error)
        *error = kWhy;
    return false;
}

bool PasswordKeyring::remove(std::string_view, std::string *)
{
    return true;  // nothing can be stored, so nothing is left
}

}  // namespace kestrix
