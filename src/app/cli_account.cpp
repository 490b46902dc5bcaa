#include "app/cli_account.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "profiles/password_keyring.h"
#include "screening/screener.h"
#include "text/latin1.h"
#include "text/secret_text.h"
#include "transport/pop3_client.h"

#include <QFileInfo>

#include <cstdlib>

namespace kestrix::cli {

namespace {

std::optional<std::string> password(std::string &why)
{
    if (const char *fromEnvironment = std::getenv("KESTRIX_PASSWORD"); fromEnvironment
        && *fromEnvironment)
        return std::string(fromEnvironment);
    auto typed = readPasswordFromTerminal("Password: ");
    if (!typed)
        why = "no password: set KESTRIX_PASSWORD or run on a terminal";
    return typed;
}

}  // namespace

std::optional<Account> openAccount(const GlobalOptions &global, const QString &dir, int &status)
{
    std::string why;
    const auto name = chooseProfile(global, dir, why);
    if (!name) {
        status = failure(why);
        return std::nullopt;
    }
    Account account;
    account.name = *name;
    account.paths = profilePaths(dir, *name);
    if (!QFileInfo::exists(account.paths.settings)) {
        status = failure("profile \"" + *name + "\" has no settings file "
                            + fromQString(account.paths.settings));
        return std::nullopt;
    }
    account.profile.name = *name;
    if (const LoadProfileResult loaded = LoadProfile(account.profile, dir); !loaded) {
        status = usageError(loaded.error);
        return std::nullopt;
    }
    account.conf = ProfileConf::load(account.paths.conf);
    if (const std::string unreadable = account.conf.securityError(); !unreadable.empty()) {
        status = usageError(unreadable);
        return std::nullopt;
    }
    const ProfileSettings &settings = account.profile.settings;
    if (settings.Host.empty() || settings.Port.empty() || settings.UserId.empty()) {
        status = usageError("profile \"" + *name + "\" lacks the host, port or user id");
        return std::nullopt;
    }
    const auto port = parseDecimal(settings.Port);
    if (!port || *port < 1 || *port > 65535) {
        status = usageError("profile \"" + *name + "\" has the port \"" + settings.Port
                            + "\"; it must be a number from 1 to 65535");
        return std::nullopt;
    }
    // A profile that signs in with a token needs no password: its token command gives the token.
    if (account.conf.signsInWithToken())
        return account;
    // Without KESTRIX_PASSWORD a profile that keeps its password in the desktop keyring uses it.
    std::optional<std::string> secret;
    const char *fromEnvironment = std::getenv("KESTRIX_PASSWORD");
    if ((!fromEnvironment || !*fromEnvironment) && account.conf.keyring()) {
        std::string unreachable;
        if (PasswordKeyring::reachable(unreachable))
            secret = PasswordKeyring::read(*name);
    }
    if (!secret)
        secret = password(why);
    if (!secret) {
        status = usageError(why);
        return std::nullopt;
    }
    account.password = std::move(*secret);
    return account;
}

void giveAccount(Screener &screener, Account &account, const QString &dir)
{
    account.profile.name = account.name;
    // The profile goes over whole; a caller that saves it takes it back from the Screener.
    const std::string problem =
        screener.takeProfile(std::move(account.profile), account.conf, account.paths.conf, dir);
    if (!problem.empty())
        warn(problem);
    screener.session.password = account.password;
    wipeSecret(account.password);  // one copy: the Screener's
    screener.attachmentsFolder = fromQString(dir) + "/Attachments";
    screener.session.offerCertificateTrust = false;
    screener.session.offerSecuritySwitch = false;
}

void warnOnPlainLogin(TNMPOP3 &client)
{
    client.OnPlainLogin = [](TPowersock *) { warn("Password sent without encryption"); };
}

}  // namespace kestrix::cli
