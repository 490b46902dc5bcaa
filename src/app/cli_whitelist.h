#pragma once
// kestrix-cli whitelist list|add|remove: the profile's trusted senders (NAME.acc), with the
// rules of the whitelist page: entries decoded as the profile load decodes them, no duplicates.

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runWhitelistCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kWhitelistUsage;

}  // namespace kestrix::cli
