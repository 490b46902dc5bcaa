#pragma once
// kestrix-cli read NUMBER [--attachments DIR]: one whole message (RETR; never DELE), its parts
// stored as the reader stores them, its text on standard output.

#include "app/cli_command_line.h"

#include <string>
#include <vector>

namespace kestrix::cli {

// The command-table entry. Needs a QCoreApplication (the POP3 client waits on its event loop).
int runRead(const GlobalOptions &global, const std::vector<std::string> &args);

extern const char *const kReadUsage;

}  // namespace kestrix::cli
