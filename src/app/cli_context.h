#pragma once
// What every kestrix-cli command needs before it touches a file: the data folder, the profile
// named by --profile (or the last one used), one-line error reports and Latin-1 conversions.

#include "app/cli_command_line.h"

#include "profiles/profile_store.h"

#include <QString>

#include <optional>
#include <string>

namespace kestrix::cli {

std::string fromQString(const QString &text);
QString toQString(const std::string &text);

// Prints "kestrix-cli: " + text as one line on standard error and returns the status.
int usageError(const std::string &text);
int failure(const std::string &text);
// "kestrix-cli: warning: " + text, one line on standard error.
void warn(const std::string &text);

// The data folder of this run: --dir, else the folder rule; a missing --dir folder and a missing
// user folder are made private (0700), as the window makes its data folder. On failure the
// error line is printed and status is set.
std::optional<QString> openFolder(const GlobalOptions &global, int &status);

// The profile this run works on: the named one only when Kestrix.pro lists it (a typo must
// never touch another account), else the last profile used, else "default".
std::optional<std::string> chooseProfile(const GlobalOptions &global, const QString &dir,
                                         std::string &why);

// chooseProfile, then LoadProfile; the profile must have its settings file. On failure the error
// line is printed and status is set.
std::optional<Profile> loadChosenProfile(const GlobalOptions &global, const QString &dir,
                                         int &status);

// openFolder, then loadChosenProfile: the folder and profile a profile command works on.
struct ChosenProfile {
    QString dir;
    Profile profile;
};
std::optional<ChosenProfile> openChosenProfile(const GlobalOptions &global, int &status);

// The first word of a command's arguments (its action: "add", "list") and the rest.
struct Action {
    std::string word;
    std::vector<std::string> rest;
};
Action splitAction(const std::vector<std::string> &args);

// Writes the text to standard output as it is.
void printOut(const std::string &text);

}  // namespace kestrix::cli
