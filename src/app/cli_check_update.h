#pragma once
// kestrix-cli check-update [--url URL]: reads the release page as the update dialog does and
// prints the installed and the published version and the release notes.

#include <string>
#include <vector>

namespace kestrix::cli {

// args: what follows "check-update". Exit status 0 when the page was read, 1 when not (the
// reason on standard error), 2 for a usage error.
int runCheckUpdate(const std::vector<std::string> &args);

}  // namespace kestrix::cli
