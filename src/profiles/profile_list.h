#pragma once
// The program-wide files: the profile list "Kestrix.pro" (one name per line, in list order), the
// last-profile file "Kestrix.lpr" (the bare name, no line end) and the legacy files of older
// releases taken over at start-up.
//
// Profile names are matched ignoring the case of A to Z. On this case-sensitive file system the
// spelling stored in the profile list is the one used for file names, whatever letter case the
// command line or the last-profile file used.

#include "profiles/text_file.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

inline constexpr char kDefaultProfile[] = "default";

QString profileListPath(const QString &dataDir);
QString lastProfilePath(const QString &dataDir);

// "spamsetup.lis" -> "default.ini", "accepted.lis" -> "default.acc", "kestrix.log" ->
// "default.log", in this order, each only when the new file does not exist yet.
void migrateLegacyFiles(const QString &dataDir);

// The profile list as the window starts with it: the file's lines when it exists and holds any,
// else the single item "default".
std::vector<std::string> readProfileList(const QString &dataDir);
FileResult writeProfileList(const QString &dataDir, const std::vector<std::string> &names);

// The first line of "Kestrix.lpr"; nothing when the file is missing or unreadable.
std::optional<std::string> readLastProfile(const QString &dataDir);
// The name with no line end; a failure is silent by design (the next save tries again).
void writeLastProfile(const QString &dataDir, std::string_view name);

// Index of the first item equal to name ignoring case.
std::optional<size_t> findProfile(const std::vector<std::string> &names, std::string_view name);

// A name that stays a plain file-name stem inside the data folder and one line of the profile
// list (no '/', no control byte, not "." or ".."): names from hand-edited files or the command
// line are checked before they name files.
bool isUsableProfileName(std::string_view name);

// What the New Profile dialog makes of a typed text: lower case, every blank removed.
std::string normalizeProfileName(std::string_view typed);

struct StartProfile {
    int index = -1;                   // selected item of the profile list (-1: the list is empty)
    std::string name = kDefaultProfile;  // current profile name
};

// The profile chosen at start-up: the command-line argument when one is given and listed,
// otherwise (no argument) the last-profile file's name when it is listed, else "default" with
// item 0 selected. The listed spelling of the match becomes the current name.
StartProfile chooseStartProfile(const std::vector<std::string> &names,
                                const std::optional<std::string> &argument, const QString &dataDir);

}  // namespace kestrix
