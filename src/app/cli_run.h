#pragma once
// The screening commands of kestrix-cli: pick the profile, connect, download and classify the
// headers, delete what the command says, print the table, QUIT and save the profile.

#include "app/cli_options.h"

namespace kestrix::cli {

// Needs a QCoreApplication (the POP3 client waits on its event loop).
int run(const Options &options);

// The command-table entries: parse the arguments after the word, then run.
int runList(const GlobalOptions &global, const std::vector<std::string> &args);
int runDeleteKnownBad(const GlobalOptions &global, const std::vector<std::string> &args);
int runDelete(const GlobalOptions &global, const std::vector<std::string> &args);

}  // namespace kestrix::cli
