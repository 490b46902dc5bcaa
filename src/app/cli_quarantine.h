#pragma once
// kestrix-cli quarantine list|show|restore|save|purge: "Deleted mail", the copies kept of the
// messages deleted on the server (NAME.quarantine).

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runQuarantineCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kQuarantineUsage;

}  // namespace kestrix::cli
