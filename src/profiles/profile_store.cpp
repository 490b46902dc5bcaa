#include "profiles/profile_store.h"

#include "profiles/data_folder.h"
#include "profiles/list_files.h"

namespace kestrix {

namespace {

QString stemFile(const QString &dataDir, std::string_view name, std::string_view extension)
{
    std::string file(name);
    file += extension;
    return dataFilePath(dataDir, file);
}

FileResult unusableName(std::string_view name)
{
    return FileResult::failure("Invalid profile name \"" + std::string(name) + "\"");
}

// What the previous profile leaves behind is cleared before anything is read.
void resetForLoad(Profile &profile, std::vector<int> &changed, const SettingsChangeHandler &onChange)
{
    ProfileSettings &s = profile.settings;
    auto empty = [&](std::string &field, int line) {
        if (field.empty())
            return;
        field.clear();
        changed.push_back(line);
        if (onChange)
            onChange(line, s);
    };
    empty(s.Host, SettingsLine::Host);
    empty(s.UserId, SettingsLine::UserId);
    s.Col1Percent = 33;
    s.Col2Percent = 33;
    s.LastUpdateCheck.clear();
    s.resumeCode = s.resumeFallbackCode = s.spareCode1 = s.spareCode2 = s.resumeCodeCopy = "-1";
    s.MailToolPath.clear();
    s.MailToolParams.clear();
    s.DeletedCount = 0;
    profile.whitelist.clear();
    profile.log.resetToEmptyRow();
}

}  // namespace

ProfilePaths profilePaths(const QString &dataDir, std::string_view name)
{
    return ProfilePaths{stemFile(dataDir, name, ".ini"), stemFile(dataDir, name, ".acc"),
                        stemFile(dataDir, name, ".log"), stemFile(dataDir, name, ".conf"),
                        stemFile(dataDir, name, ".tokens")};
}

QString blacklistPath(const QString &dataDir) { return dataFilePath(dataDir, "kestrix.blk"); }

LoadProfileResult LoadProfile(Profile &profile, const QString &dataDir,
                              const SettingsChangeHandler &onChange)
{
    LoadProfileResult result;
    auto fail = [&result](std::string error) {
        result.ok = false;
        result.error = std::move(error);
        return result;
    };
    if (!isUsableProfileName(profile.name))
        return fail(unusableName(profile.name).error);
    const ProfilePaths paths = profilePaths(dataDir, profile.name);

    resetForLoad(profile, result.changedLines, onChange);

    const QString blacklist = blacklistPath(dataDir);
    if (pathExists(blacklist)) {
        if (FileResult read = loadBlacklistFile(blacklist, profile.blacklist); !read)
            return fail(std::move(read.error));
    }

    if (!pathExists(paths.settings))
        return result;
    LinesResult settings = readLines(paths.settings);
    if (!settings)
        return fail(std::move(settings.error));
    result.settingsFound = true;
    for (int line : applySettingsLines(profile.settings, settings.lines, onChange))
        result.changedLines.push_back(line);

    if (profile.settings.LogRejected) {
        if (FileResult read = LoadRejectedLog(paths.log, profile.log); !read)
            return fail(std::move(read.error));
    }

    if (pathExists(paths.whitelist)) {
        FileResult read = loadWhitelistFile(paths.whitelist, profile.whitelist,
                                            WhitelistDecoding::DecodeHeaderWords);
        if (!read)
            return fail(std::move(read.error));
    }
    return result;
}

FileResult SaveProfile(const Profile &profile, const QString &dataDir)
{
    if (!isUsableProfileName(profile.name))
        return unusableName(profile.name);
    const ProfilePaths paths = profilePaths(dataDir, profile.name);

    if (FileResult r = saveBlacklistFile(blacklistPath(dataDir), profile.blacklist); !r)
        return r;
    if (profile.whitelist.empty()) {
        DeleteFileIfPresent(paths.whitelist);
    } else if (FileResult r = saveWhitelistFile(paths.whitelist, profile.whitelist); !r) {
        return r;
    }
    const std::vector<std::string> lines = settingsLines(profile.settings);
    if (profile.settings.LogRejected) {
        if (FileResult r = SaveRejectedLog(paths.log, profile.log); !r)
            return r;
    }
    if (FileResult r = writeLines(paths.settings, lines); !r)
        return r;
    writeLastProfile(dataDir, profile.name);
    return {};
}

}  // namespace kestrix
