#pragma once
// One run of kestrix-cli: pick the profile, connect, download and classify the headers,
// delete what the command says, print the table, QUIT and save the profile.

#include "app/cli_options.h"

namespace kestrix::cli {

enum ExitStatus : int { ExitDone = 0, ExitServerFailure = 1, ExitUsage = 2 };

// Needs a QCoreApplication (the POP3 client waits on its event loop).
int run(const Options &options);

}  // namespace kestrix::cli
