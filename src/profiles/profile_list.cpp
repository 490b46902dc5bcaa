#include "profiles/profile_list.h"

#include "profiles/data_folder.h"
#include "text/latin1.h"

namespace kestrix {

QString profileListPath(const QString &dataDir) { return dataFilePath(dataDir, "Kestrix.pro"); }

QString lastProfilePath(const QString &dataDir) { return dataFilePath(dataDir, "Kestrix.lpr"); }

void migrateLegacyFiles(const QString &dataDir)
{
    MigrateLegacyFile(dataFilePath(dataDir, "spamsetup.lis"), dataFilePath(dataDir, "default.ini"));
    MigrateLegacyFile(dataFilePath(dataDir, "accepted.lis"), dataFilePath(dataDir, "default.acc"));
    MigrateLegacyFile(dataFilePath(dataDir, "kestrix.log"), dataFilePath(dataDir, "default.log"));
}

std::vector<std::string> readProfileList(const QString &dataDir)
{
    const QString path = profileListPath(dataDir);
    if (pathExists(path)) {
        LinesResult read = readLines(path);
        // An empty list would leave no profile to select; "default" always exists.
        if (read && !read.lines.empty())
            return std::move(read.lines);
    }
    return {kDefaultProfile};
}

FileResult writeProfileList(const QString &dataDir, const std::vector<std::string> &names)
{
    return writeLines(profileListPath(dataDir), names);
}

std::optional<std::string> readLastProfile(const QString &dataDir)
{
    const QString path = lastProfilePath(dataDir);
    if (!pathExists(path))
        return std::nullopt;
    LinesResult read = readLines(path);
    if (!read)
        return std::nullopt;
    return read.lines.empty() ? std::string() : std::move(read.lines.front());
}

void writeLastProfile(const QString &dataDir, std::string_view name)
{
    (void)writeFileAtomically(lastProfilePath(dataDir), name);
}

std::optional<size_t> findProfile(const std::vector<std::string> &names, std::string_view name)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (equalsIgnoreCaseAZ(names[i], name))
            return i;
    }
    return std::nullopt;
}

bool isUsableProfileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    // A control byte (a TAB, a line break) would not survive as one line of "Kestrix.pro".
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

std::string normalizeProfileName(std::string_view typed)
{
    std::string name;
    name.reserve(typed.size());
    for (char c : typed) {
        if (c != ' ')
            name += lowerAZ(c);
    }
    return name;
}

StartProfile chooseStartProfile(const std::vector<std::string> &names,
                                const std::optional<std::string> &argument, const QString &dataDir)
{
    StartProfile choice;
    if (!names.empty())
        choice.index = 0;
    const std::optional<std::string> wanted = argument ? argument : readLastProfile(dataDir);
    if (!wanted)
        return choice;
    const std::optional<size_t> found = findProfile(names, *wanted);
    if (found && isUsableProfileName(names[*found])) {
        choice.index = int(*found);
        choice.name = names[*found];
    }
    return choice;
}

}  // namespace kestrix
