#include "app/cli_whitelist.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "profiles/list_files.h"
#include "text/header_decoding.h"
#include "text/latin1.h"

namespace kestrix::cli {

const char *const kWhitelistUsage =
    "  whitelist list | add TEXT | remove TEXT\n"
    "      the trusted senders of the profile, one per line; add takes a whole sender text\n"
    "      (\"Ann <ann@example.org>\"), decodes it as the window does, refuses one already\n"
    "      listed and takes that sender off the rejected-mail log; remove takes off every\n"
    "      entry equal to TEXT ignoring case\n";

namespace {

int save(const Profile &profile, const QString &dir)
{
    const ProfilePaths paths = profilePaths(dir, profile.name);
    if (const FileResult written = saveWhitelistFile(paths.whitelist, profile.whitelist); !written)
        return failure(written.error);
    return ExitDone;
}

int add(Profile &profile, const QString &dir, const std::string &text)
{
    const std::string sender = decodeHeaderWords(text);
    if (sender.empty())
        return usageError("whitelist add needs a sender text");
    if (profile.whitelist.contains(sender))
        return failure("\"" + sender + "\" is already on the whitelist of profile " + profile.name);
    profile.whitelist.add(sender);
    if (const int status = save(profile, dir); status != ExitDone)
        return status;
    // A trusted sender no longer counts as known bad.
    if (profile.settings.LogRejected && profile.log.senderColumnHas(sender)) {
        profile.log.clearSender(sender);
        if (const FileResult written = SaveRejectedLog(profilePaths(dir, profile.name).log,
                                                       profile.log);
            !written)
            return failure(written.error);
    }
    printError("kestrix-cli: " + profile.name + ": \"" + sender + "\" added to the whitelist");
    return ExitDone;
}

int remove(Profile &profile, const QString &dir, const std::string &text)
{
    int removed = 0;
    for (const std::string &candidate : {text, decodeHeaderWords(text)}) {
        while (profile.whitelist.removeOne(candidate))
            ++removed;
    }
    if (removed == 0)
        return failure("\"" + text + "\" is not on the whitelist of profile " + profile.name);
    if (const int status = save(profile, dir); status != ExitDone)
        return status;
    printError("kestrix-cli: " + profile.name + ": " + std::to_string(removed)
               + " address(es) removed from the whitelist");
    return ExitDone;
}

}  // namespace

int runWhitelistCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    const CommandArguments split = splitCommandArguments(action.rest, {}, {});
    if (!split.error.empty())
        return usageError("whitelist " + action.word + ": " + split.error);
    const bool takesText = action.word == "add" || action.word == "remove";
    if (action.word != "list" && !takesText)
        return usageError("whitelist needs list, add TEXT or remove TEXT");
    if (split.words.size() != (takesText ? 1u : 0u))
        return usageError(takesText ? "whitelist " + action.word + " needs one TEXT (quote it)"
                                    : std::string("whitelist list takes no arguments"));

    int status = ExitDone;
    auto chosen = openChosenProfile(global, status);
    if (!chosen)
        return status;
    const QString &dir = chosen->dir;
    Profile &profile = chosen->profile;
    if (action.word == "add")
        return add(profile, dir, split.words.front());
    if (action.word == "remove")
        return remove(profile, dir, split.words.front());
    std::string out;
    for (const std::string &entry : profile.whitelist.entries())
        out += entry + "\n";
    printOut(out);
    return ExitDone;
}

}  // namespace kestrix::cli
