#pragma once
// kestrix-cli learn spam|good|forget PATH... and kestrix-cli score PATH...: the profile's learned
// score trained from and applied to mail files (.eml, mbox, Maildir), header lines only.

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

int runLearnCommand(const GlobalOptions &global, const std::vector<std::string> &args);
int runScoreCommand(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kLearnUsage;
extern const char *const kScoreUsage;

}  // namespace kestrix::cli
