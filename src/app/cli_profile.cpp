#include "app/cli_profile.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "profiles/new_profile_conf.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "text/latin1.h"

namespace kestrix::cli {

const char *const kProfileUsage =
    "  profile add NAME --host HOST [--port PORT] [--user USER] [--security MODE]\n"
    "              [--auth METHOD] [--token-command 'CMD']\n"
    "      a new profile as the window's New makes it: the name in lower case without\n"
    "      blanks; its settings files and the profile list written; it becomes the last\n"
    "      profile used. MODE: auto (the default), tls, starttls or none; port 995 with\n"
    "      tls, else 110, unless given. Header texts of a new profile are decoded in full.\n"
    "      Settings files left over from an earlier profile of that name are taken over\n"
    "      (with its whitelist and log). METHOD: password, xoauth2, oauthbearer or auto\n"
    "      (the default: the server's token mechanism when CMD is given, else the\n"
    "      password); CMD prints an OAuth 2.0 access token on its first line (its words\n"
    "      split as a shell would, no shell runs)\n"
    "  profile list\n"
    "      one line per listed profile on standard output: name, host, port, user,\n"
    "      security mode (TAB-separated)\n"
    "  profile remove [--keep-files] NAME\n"
    "      takes the profile off the list and deletes its log, settings, whitelist and\n"
    "      learned-score files (not with --keep-files); \"default\" can not be removed\n";

namespace {

bool isHostText(const std::string &host)
{
    if (host.empty())
        return false;
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// The same check the screening commands make before they connect.
bool isPortText(const std::string &port)
{
    const auto value = parseDecimal(port);
    return value && *value >= 1 && *value <= 65535 && port.find_first_not_of("0123456789")
                                                             == std::string::npos;
}

int add(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const CommandArguments split =
        splitCommandArguments(args, {"--host", "--port", "--user", "--security", "--auth",
                                     "--token-command"},
                              {});
    if (!split.error.empty())
        return usageError("profile add: " + split.error);
    if (split.words.size() != 1)
        return usageError("profile add needs one NAME (profile add NAME --host HOST)");
    const std::string name = normalizeProfileName(split.words.front());
    if (!isUsableProfileName(name))
        return usageError("profile name \"" + split.words.front() + "\" can not be used");
    const auto host = split.value("--host");
    if (!host)
        return usageError("profile add needs --host HOST");
    if (!isHostText(*host))
        return usageError("not a host name: \"" + *host + "\"");
    std::optional<SecurityMode> security;
    if (const auto mode = split.value("--security")) {
        security = securityModeFromName(*mode);
        if (!security)
            return usageError("--security " + *mode + ": it must be auto, tls, starttls or none");
    }
    NewProfileSignIn signIn;
    if (const auto method = split.value("--auth")) {
        signIn.method = signInMethodFromName(*method);
        if (!signIn.method)
            return usageError("--auth " + *method
                              + ": it must be password, xoauth2, oauthbearer or auto");
    }
    signIn.tokenCommand = split.value("--token-command").value_or(std::string());
    if (signIn.tokenCommand.find_first_of("\r\n") != std::string::npos)
        return usageError("--token-command must be one line");
    if ((signIn.method == SignInMethod::XOAuth2 || signIn.method == SignInMethod::OAuthBearer)
        && signIn.tokenCommand.empty())
        return usageError("--auth " + std::string(signInMethodName(*signIn.method))
                          + " needs --token-command 'CMD'");
    if (security == SecurityMode::None && (signIn.method ? *signIn.method != SignInMethod::Password
                                                         : !signIn.tokenCommand.empty()))
        return usageError("a token is sent only over TLS: --security none can not sign in "
                          "with a token");
    const std::string port =
        split.value("--port").value_or(security == SecurityMode::Tls ? "995" : "110");
    if (!isPortText(port))
        return usageError("--port " + port + ": it must be a number from 1 to 65535");
    const std::string user = split.value("--user").value_or(std::string());
    if (user.find_first_of("\r\n") != std::string::npos)
        return usageError("--user must be one line");

    int status = ExitDone;
    const auto dir = openFolder(global, status);
    if (!dir)
        return status;
    std::vector<std::string> names = readProfileList(*dir);
    if (findProfile(names, name))
        return failure("Profile already exists ! (" + name + ")");

    // LoadProfile starts from a clean record and takes over a left-over settings file with its
    // whitelist and log, as the window's New does.
    Profile profile;
    profile.name = name;
    if (const LoadProfileResult loaded = LoadProfile(profile, *dir); !loaded)
        return failure(loaded.error);
    profile.settings.Host = *host;
    profile.settings.Port = port;
    profile.settings.UserId = user;
    // The profile's files first: a list that names a profile always finds them.
    if (const FileResult saved = writeNewProfileConf(*dir, name, security, signIn); !saved)
        return failure(saved.error);
    if (const FileResult saved = SaveProfile(profile, *dir); !saved)
        return failure(saved.error);
    names.push_back(name);
    if (const FileResult written = writeProfileList(*dir, names); !written)
        return failure(written.error);
    printError("kestrix-cli: profile \"" + name + "\" added in " + fromQString(*dir));
    return ExitDone;
}

int list(const GlobalOptions &global, const std::vector<std::string> &args)
{
    if (!args.empty())
        return usageError("profile list takes no arguments");
    int status = ExitDone;
    const auto dir = openFolder(global, status);
    if (!dir)
        return status;
    std::string out;
    for (const std::string &name : readProfileList(*dir)) {
        Profile profile;
        profile.name = name;
        // A listed name without usable files shows with empty fields and the defaults.
        ProfileConf conf;
        if (isUsableProfileName(name)) {
            (void)LoadProfile(profile, *dir);
            conf = ProfileConf::load(profilePaths(*dir, name).conf);
        }
        out += name + "\t" + profile.settings.Host + "\t" + profile.settings.Port + "\t"
               + profile.settings.UserId + "\t" + std::string(securityModeName(conf.securityMode()))
               + "\n";
    }
    printOut(out);
    return ExitDone;
}

int remove(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const CommandArguments split = splitCommandArguments(args, {}, {"--keep-files"});
    if (!split.error.empty())
        return usageError("profile remove: " + split.error);
    if (split.words.size() != 1)
        return usageError("profile remove needs one NAME");
    const std::string &wanted = split.words.front();
    if (equalsIgnoreCaseAZ(wanted, kDefaultProfile))
        return failure("default Profile can not be deleted !");

    int status = ExitDone;
    const auto dir = openFolder(global, status);
    if (!dir)
        return status;
    std::vector<std::string> names = readProfileList(*dir);
    const auto index = findProfile(names, wanted);
    if (!index)
        return failure("no profile named \"" + wanted + "\" in "
                       + fromQString(profileListPath(*dir)));
    const std::string name = names[*index];
    names.erase(names.begin() + std::ptrdiff_t(*index));
    // The list first: when it cannot be written, no file is gone.
    if (const FileResult written = writeProfileList(*dir, names); !written)
        return failure(written.error);
    if (!split.flag("--keep-files") && isUsableProfileName(name)) {
        const ProfilePaths paths = profilePaths(*dir, name);
        for (const QString &path :
             {paths.log, paths.settings, paths.whitelist, paths.conf, paths.tokens}) {
            DeleteFileIfPresent(path);
            if (pathExists(path))
                warn("could not delete " + fromQString(path));
        }
    }
    printError("kestrix-cli: profile \"" + name + "\" removed");
    return ExitDone;
}

}  // namespace

int runProfileCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    if (action.word == "add")
        return add(global, action.rest);
    if (action.word == "list")
        return list(global, action.rest);
    if (action.word == "remove")
        return remove(global, action.rest);
    return usageError("profile needs add, list or remove");
}

}  // namespace kestrix::cli
