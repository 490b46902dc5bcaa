#pragma once
// kestrix-cli check-update [--url URL]: reads the release page as the update dialog does and
// prints the installed and the published version and the release notes.

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

// args: what follows "check-update". Exit status 0 when the page was read, 1 when not (the
// reason on standard error), 2 for a usage error.
int runCheckUpdate(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kCheckUpdateUsage;

}  // namespace kestrix::cli
