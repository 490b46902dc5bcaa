#include "app/cli_check_update.h"

#include "app/cli_run.h"
#include "app/cli_terminal.h"
#include "desktop/update_check.h"
#include "text/version.h"
#include "transport/http_client.h"

#include <cstdio>
#include <exception>

namespace kestrix::cli {

namespace {

void printLine(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace

const char *const kCheckUpdateUsage =
    "  check-update [--url URL]\n"
    "      read the release page (--url, else KESTRIX_RELEASE_URL, else the built-in\n"
    "      address) and print \"installed: VERSION\", \"published: VERSION\" and the\n"
    "      release notes; exit 1 when the page cannot be read\n";

int runCheckUpdate(const GlobalOptions &, const std::vector<std::string> &args)
{
    std::string url = releasePageUrl();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--url" && i + 1 < args.size() && !args[i + 1].empty()) {
            url = args[++i];
        } else if (args[i].rfind("--url=", 0) == 0 && args[i].size() > 6) {
            url = args[i].substr(6);
        } else {
            printError("kestrix-cli: check-update: " +
                       (args[i].rfind("--url", 0) == 0 ? std::string("--url needs an address")
                                                       : "unexpected argument: " + args[i]));
            return ExitUsage;
        }
    }

    TNMHTTP http;
    UpdateDialogTexts texts;
    std::string version;
    try {
        version = readReleasePage(texts, fetchReleasePage(http, url));
    } catch (const std::exception &error) {
        printError("kestrix-cli: cannot read the release page " + url + ": " + error.what());
        return ExitServerFailure;
    }
    printLine(std::string("installed: ") + kVersionText);
    printLine("published: " + version);
    for (const std::string &line : texts.notes)
        printLine(line);
    return ExitDone;
}

}  // namespace kestrix::cli
