#pragma once
// kestrix-cli log list|clear: the profile's rejected-mail log (NAME.log).

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runLogCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kLogUsage;

}  // namespace kestrix::cli
