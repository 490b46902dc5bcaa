#pragma once
// Where every state file lives. The window and kestrix-cli follow one rule:
//   1. the folder named by KESTRIX_DIR when it is set;
//   2. else the executable's folder when it already holds "Kestrix.pro" and can be written
//      (a copy kept on a stick, or a build folder someone works in);
//   3. else $XDG_DATA_HOME/kestrix (normally ~/.local/share/kestrix), made private (0700) when
//      the program creates it.

#include <QString>

#include <string>
#include <string_view>

namespace kestrix {

struct DataFolderChoice {
    enum class Source { Environment, ProgramFolder, UserData };
    QString path;
    Source source = Source::UserData;
};

// What the rule picks for these inputs; nothing is created. xdgDataHome counts only when it is
// an absolute path (the XDG rule), else home + "/.local/share" is used.
DataFolderChoice chooseDataFolder(const QString &environmentDir, const QString &programDir,
                                  const QString &xdgDataHome, const QString &home);
// The same for this process's environment and executable.
DataFolderChoice currentDataFolderChoice();

// "PATH (from KESTRIX_DIR)", "PATH (the program's folder)" or "PATH": for the start page and
// --help.
std::string describeDataFolder(const DataFolderChoice &choice);

struct DataFolderResult {
    DataFolderChoice choice;
    std::string error;  // the user folder could not be made ("" otherwise)
    explicit operator bool() const { return error.empty(); }
};

// The folder of this run: the choice above, with the user folder (and the folders above it
// that are missing) created with mode 0700. A folder that already exists keeps its mode.
DataFolderResult openDataFolder();
// openDataFolder().choice.path: callers that report a missing folder themselves.
QString dataFolder();

// Creates path and the missing folders above it, each with mode 0700; "" on success, else why.
std::string makePrivateFolder(const QString &path);

// folder + "/" + file name (the name is Latin-1 text, as the program keeps it).
QString dataFilePath(const QString &folder, std::string_view fileName);

}  // namespace kestrix
