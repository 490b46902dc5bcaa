#include "app/cli_learn.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "profiles/profile_conf.h"
#include "screening/header_tokens.h"
#include "screening/learning.h"
#include "screening/mail_files.h"

#include <cstdio>

namespace kestrix::cli {

const char *const kLearnUsage =
    "  learn spam|good|forget PATH...\n"
    "      trains the profile's learned score from the header lines of mail files: .eml files,\n"
    "      mbox files and Maildir folders (or folders of message files); a message trained\n"
    "      before moves to the side named and is never counted twice; forget takes messages off\n"
    "      again. Kept in NAME.tokens in the data folder\n";
const char *const kScoreUsage =
    "  score PATH...\n"
    "      one line per message: the learned score (0 to 1, three decimals), a TAB, spam,\n"
    "      unsure or good (cutoffs from [learning] in NAME.conf), a TAB, the path (PATH:N for\n"
    "      the N-th message of an mbox); fails until 20 spam and 20 good messages are learned\n";

namespace {

// The learning of the chosen profile; nothing when it cannot be opened (status set).
std::optional<Learning> openLearning(const GlobalOptions &global, std::string &profileName,
                                     int &status)
{
    const auto chosen = openChosenProfile(global, status);
    if (!chosen)
        return std::nullopt;
    profileName = chosen->profile.name;
    const ProfileConf conf = ProfileConf::load(ProfileConf::pathFor(chosen->dir, profileName));
    if (!conf.error().empty())
        warn(conf.error());
    Learning learning;
    learning.open(chosen->dir, profileName, conf);
    if (!learning.problem().empty())
        warn(learning.problem());
    return learning;
}

// Every message of the paths; false (with the error line printed) when one cannot be read.
bool readPaths(const std::vector<std::string> &paths, std::vector<FileMessage> &messages)
{
    for (const std::string &path : paths) {
        std::string error;
        std::vector<FileMessage> read = readMailPath(toQString(path), error);
        if (!error.empty()) {
            failure(error);
            return false;
        }
        for (FileMessage &message : read)
            messages.push_back(std::move(message));
    }
    return true;
}

}  // namespace

int runLearnCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    const CommandArguments split = splitCommandArguments(action.rest, {}, {});
    if (!split.error.empty())
        return usageError("learn " + action.word + ": " + split.error);
    if (action.word != "spam" && action.word != "good" && action.word != "forget")
        return usageError("learn needs spam, good or forget, then one or more PATHs");
    if (split.words.empty())
        return usageError("learn " + action.word + " needs one or more PATHs");

    int status = ExitDone;
    std::string name;
    auto learning = openLearning(global, name, status);
    if (!learning)
        return status;
    std::vector<FileMessage> messages;
    if (!readPaths(split.words, messages))
        return ExitFailure;

    int added = 0, moved = 0, known = 0;
    for (const FileMessage &message : messages) {
        if (action.word == "forget") {
            (learning->unlearn(message.headerLines, message.size) ? added : known) += 1;
            continue;
        }
        const Judgement side = action.word == "spam" ? Judgement::Spam : Judgement::Good;
        switch (learning->train(message.headerLines, message.size, side)) {
        case TokenStore::Change::Added: ++added; break;
        case TokenStore::Change::Moved: ++moved; break;
        case TokenStore::Change::AlreadyKnown: ++known; break;
        }
    }
    if (const std::string error = learning->save(); !error.empty())
        return failure(error);
    std::string line = "kestrix-cli: " + name + ": ";
    if (action.word == "forget")
        line += std::to_string(added) + " message(s) forgotten, " + std::to_string(known)
                + " not learned before";
    else
        line += std::to_string(added) + " message(s) learned as " + action.word + ", "
                + std::to_string(moved) + " moved from the other side, " + std::to_string(known)
                + " already learned";
    printError(line + "; " + learning->trainingNote());
    return ExitDone;
}

int runScoreCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const CommandArguments split = splitCommandArguments(args, {}, {});
    if (!split.error.empty())
        return usageError("score: " + split.error);
    if (split.words.empty())
        return usageError("score needs one or more PATHs");

    int status = ExitDone;
    std::string name;
    auto learning = openLearning(global, name, status);
    if (!learning)
        return status;
    const LearnedScorer &scorer = learning->scorer();
    if (!scorer.trained())
        return failure(name + ": no score yet: " + learning->trainingNote());
    std::vector<FileMessage> messages;
    if (!readPaths(split.words, messages))
        return ExitFailure;

    std::string out;
    for (const FileMessage &message : messages) {
        const LearnedResult result = scorer.score(headerTokens(message.headerLines, message.size));
        char number[16];
        std::snprintf(number, sizeof number, "%.3f", result.score);
        out += std::string(number) + '\t' + learnedVerdictName(result.verdict) + '\t'
               + message.label + '\n';
    }
    printOut(out);
    return ExitDone;
}

}  // namespace kestrix::cli
