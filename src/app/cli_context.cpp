#include "app/cli_context.h"

#include "app/cli_terminal.h"
#include "profiles/data_folder.h"
#include "profiles/profile_list.h"

#include <QFileInfo>

#include <cstdio>

namespace kestrix::cli {

std::string fromQString(const QString &text)
{
    return text.toLatin1().toStdString();
}

QString toQString(const std::string &text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int usageError(const std::string &text)
{
    printError("kestrix-cli: " + text);
    return ExitUsage;
}

int failure(const std::string &text)
{
    printError("kestrix-cli: " + text);
    return ExitFailure;
}

void warn(const std::string &text)
{
    printError("kestrix-cli: warning: " + text);
}

std::optional<QString> openFolder(const GlobalOptions &global, int &status)
{
    QString dir;
    if (global.dir) {
        dir = toQString(*global.dir);
    } else {
        const DataFolderResult opened = openDataFolder();
        if (!opened) {
            status = failure(opened.error);
            return std::nullopt;
        }
        dir = opened.choice.path;
    }
    // A folder named with --dir that does not exist yet is made as the user folder is (0700).
    if (!QFileInfo::exists(dir)) {
        if (const std::string why = makePrivateFolder(dir); !why.empty()) {
            status = failure(why);
            return std::nullopt;
        }
    }
    if (!QFileInfo(dir).isDir()) {
        status = failure("not a folder: " + fromQString(dir));
        return std::nullopt;
    }
    return dir;
}

std::optional<std::string> chooseProfile(const GlobalOptions &global, const QString &dir,
                                         std::string &why)
{
    const std::vector<std::string> names = readProfileList(dir);
    if (!global.profile)
        return chooseStartProfile(names, std::nullopt, dir).name;
    const auto index = findProfile(names, *global.profile);
    if (!index || !isUsableProfileName(names[*index])) {
        why = "no profile named \"" + *global.profile + "\" in "
              + fromQString(profileListPath(dir));
        return std::nullopt;
    }
    return names[*index];
}

std::optional<Profile> loadChosenProfile(const GlobalOptions &global, const QString &dir,
                                         int &status)
{
    std::string why;
    const auto name = chooseProfile(global, dir, why);
    if (!name) {
        status = failure(why);
        return std::nullopt;
    }
    const ProfilePaths paths = profilePaths(dir, *name);
    if (!QFileInfo::exists(paths.settings)) {
        status = failure("profile \"" + *name + "\" has no settings file "
                            + fromQString(paths.settings)
                            + " (kestrix-cli profile add makes one)");
        return std::nullopt;
    }
    Profile profile;
    profile.name = *name;
    if (const LoadProfileResult loaded = LoadProfile(profile, dir); !loaded) {
        status = failure(loaded.error);
        return std::nullopt;
    }
    return profile;
}

std::optional<ChosenProfile> openChosenProfile(const GlobalOptions &global, int &status)
{
    const auto dir = openFolder(global, status);
    if (!dir)
        return std::nullopt;
    auto profile = loadChosenProfile(global, *dir, status);
    if (!profile)
        return std::nullopt;
    return ChosenProfile{*dir, std::move(*profile)};
}

Action splitAction(const std::vector<std::string> &args)
{
    if (args.empty())
        return {};
    return Action{args.front(), std::vector<std::string>(args.begin() + 1, args.end())};
}

void printOut(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace kestrix::cli
