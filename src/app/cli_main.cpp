// main() of kestrix-cli: the command-line front end over the same screening code as the
// window. Standard output carries the message table only; everything else goes to standard
// error.
#include "app/cli_check_update.h"
#include "app/cli_options.h"
#include "app/cli_run.h"
#include "app/cli_terminal.h"
#include "text/version.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "check-update")
        return kestrix::cli::runCheckUpdate({args.begin() + 1, args.end()});
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("kestrix-cli %s\n", kestrix::kVersionText);
        return kestrix::cli::ExitDone;
    }
    const kestrix::cli::ParseResult parsed = kestrix::cli::parseArguments(args);
    if (parsed.help) {
        std::fputs(kestrix::cli::usageText(), stdout);
        return kestrix::cli::ExitDone;
    }
    if (!parsed.options) {
        kestrix::cli::printError("kestrix-cli: " + parsed.error);
        std::fputs(kestrix::cli::usageText(), stderr);
        return kestrix::cli::ExitUsage;
    }
    return kestrix::cli::run(*parsed.options);
}
