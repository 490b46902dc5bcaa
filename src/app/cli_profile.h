#pragma once
// kestrix-cli profile add|list|remove: the window's New and Delete for a headless user, on the
// same files (NAME.ini, NAME.acc, NAME.log and the profile list Kestrix.pro).

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runProfileCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kProfileUsage;

}  // namespace kestrix::cli
