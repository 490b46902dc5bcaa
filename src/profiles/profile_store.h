#pragma once
// A profile in memory (its name, settings, whitelist, the shared blacklist words and the
// rejected-mail log) and the two operations that move it between memory and the data folder.
// No widgets here: the window runs LoadProfile/SaveProfile and shows their effects.

#include "profiles/blacklist_words.h"
#include "profiles/profile_list.h"
#include "profiles/profile_settings.h"
#include "profiles/rejected_log.h"
#include "profiles/settings_file.h"
#include "profiles/text_file.h"
#include "profiles/whitelist.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct Profile {
    std::string name = kDefaultProfile;
    ProfileSettings settings;
    Whitelist whitelist;
    BlacklistWords blacklist;  // program-wide; every profile load and save takes it along
    RejectedLog log;
};

struct ProfilePaths {
    QString settings;   // NAME.ini
    QString whitelist;  // NAME.acc
    QString log;        // NAME.log
    QString conf;       // NAME.conf, read and written through ProfileConf
    QString tokens;     // NAME.tokens, the learned score's store (TokenStore)
};

ProfilePaths profilePaths(const QString &dataDir, std::string_view name);
QString blacklistPath(const QString &dataDir);  // kestrix.blk

struct LoadProfileResult {
    bool ok = true;
    std::string error;           // an existing file that could not be read; the load stopped there
    bool settingsFound = false;  // without a settings file the whitelist and log stay empty
    // Settings lines whose field changed during the load, in order (the reset of host and user id
    // first, then the file's lines), for the window's change behaviours.
    std::vector<int> changedLines;

    explicit operator bool() const { return ok; }
};

// Reads the profile named profile.name. First resets what belongs to the previous profile (host,
// user id, marks, mail tool fields, deleted count, update date, whitelist, log), then reads the
// blacklist file when it exists, then, when the settings file exists: its lines (onChange runs at
// each changed line), the log when LogRejected is on, and the whitelist file with every entry
// decoded. Missing files are never errors.
LoadProfileResult LoadProfile(Profile &profile, const QString &dataDir,
                              const SettingsChangeHandler &onChange = {});

// Writes the blacklist file, the whitelist file (removed when the list is empty), the log (when
// LogRejected is on) and the settings file, in this order, stopping at the first failure and
// reporting it; then records the name in the last-profile file, silently. The caller puts the
// window's current bounds, column percentages and row height into profile.settings first.
FileResult SaveProfile(const Profile &profile, const QString &dataDir);

}  // namespace kestrix
