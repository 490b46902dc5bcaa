#pragma once
// The POP3 account a kestrix-cli command connects to, read and checked before anything is sent:
// the chosen profile with its lists, its NAME.conf (security, keyring, decodeAll) and the
// password (KESTRIX_PASSWORD, else the desktop keyring when the profile keeps it there, else
// asked on the terminal).

#include "app/cli_command_line.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_store.h"

#include <QString>

#include <optional>
#include <string>

namespace kestrix {
class Screener;
class TNMPOP3;
}  // namespace kestrix

namespace kestrix::cli {

struct Account {
    std::string name;
    ProfilePaths paths;
    Profile profile;
    ProfileConf conf;
    std::string password;
};

// Loads the chosen profile and its NAME.conf and finds the password. A profile without host,
// port or user id, or with a security setting this version cannot read, is a usage error: the
// run never falls back to another mode. On failure the error line is printed and status is set.
std::optional<Account> openAccount(const GlobalOptions &global, const QString &dir, int &status);

// Hands the account to the screener, with its protection: a refused certificate is reported
// with its fingerprint (no question on a command line; pinning it is an edit of NAME.conf).
// The profile moves into the screener whole (Screener::takeProfile).
void giveAccount(Screener &screener, Account &account, const QString &dir);

// Quiet or not, a password that crossed the network in clear is said on standard error.
void warnOnPlainLogin(TNMPOP3 &client);

}  // namespace kestrix::cli
