#pragma once
// The user's mail program: where the desktop says it is, whether a path names one, and starting
// it without waiting for it. No widgets here; the window calls these, also when the dispatcher
// asks it to start the program.

#include "text/argument_split.h"

#include <QString>
#include <QStringList>

#include <string>

namespace kestrix {

// The desktop's handler for mailto links as a full path of an executable file, or "" when any
// step finds nothing: `xdg-mime query default x-scheme-handler/mailto` names a .desktop file,
// that file is looked up in the XDG application folders ($XDG_DATA_HOME, then $XDG_DATA_DIRS),
// and the program of its Exec line is resolved on PATH.
std::string FindDefaultMailTool();

// The program named by the Exec line of a desktop entry file, as a full path of an existing
// executable ("" when the file has no usable Exec line or the program cannot be found).
QString programOfDesktopFile(const QString &desktopFile);

// The desktop entry file for a desktop file id ("org.example.Mail.desktop") in the XDG
// application folders, "" when there is none.
QString findDesktopFile(const QString &desktopId);

// Paths and parameter texts are the settings' Latin-1 bytes.

// True when path names an existing regular file that may be executed.
bool isExecutableFile(const std::string &path);

// Starts the mail program with the parameter text split into arguments and returns at once;
// the program is not waited for. Its environment is ours without KESTRIX_PASSWORD. Returns ""
// on success, else why it could not be started.
std::string startMailTool(const std::string &path, const std::string &params);

}  // namespace kestrix
