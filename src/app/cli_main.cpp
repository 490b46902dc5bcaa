// main() of kestrix-cli: the command-line front end over the same screening and profile code as
// the window. Standard output carries what a command lists (the message table, the profiles, a
// list's entries); everything else goes to standard error.
#include "app/cli_commands.h"
#include "app/cli_context.h"
#include "text/version.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const kestrix::cli::CommandLine line = kestrix::cli::parseCommandLine(args);
    if (line.help) {
        std::fputs(kestrix::cli::usageText().c_str(), stdout);
        return kestrix::cli::ExitDone;
    }
    if (line.version) {
        std::printf("kestrix-cli %s\n", kestrix::kVersionText);
        return kestrix::cli::ExitDone;
    }
    if (!line.error.empty())
        return kestrix::cli::usageError(line.error + " (kestrix-cli --help shows the usage)");
    const kestrix::cli::CommandEntry *command = kestrix::cli::findCommand(line.command);
    if (!command)
        return kestrix::cli::usageError("unknown command: " + line.command
                                        + " (kestrix-cli --help shows the usage)");
    return command->run(line.global, line.args);
}
