#include "app/cli_blacklist.h"

#include "app/cli_context.h"
#include "app/cli_terminal.h"
#include "profiles/list_files.h"
#include "profiles/profile_store.h"
#include "text/latin1.h"

#include <algorithm>

namespace kestrix::cli {

const char *const kBlacklistUsage =
    "  blacklist list | add WORD | remove WORD\n"
    "      the blacklist words of every profile, one per line; a word is stored in lower case\n"
    "      and matches inside a sender or subject (\"win \" with its blank); add refuses a\n"
    "      word already listed\n";

namespace {

// The index of the first word equal to word (words are stored lower-cased).
std::optional<size_t> findWord(const BlacklistWords &words, const std::string &word)
{
    const auto &all = words.words();
    const auto it = std::find(all.begin(), all.end(), word);
    if (it == all.end())
        return std::nullopt;
    return size_t(it - all.begin());
}

}  // namespace

int runBlacklistCommand(const GlobalOptions &global, const std::vector<std::string> &args)
{
    const Action action = splitAction(args);
    const CommandArguments split = splitCommandArguments(action.rest, {}, {});
    if (!split.error.empty())
        return usageError("blacklist " + action.word + ": " + split.error);
    const bool takesWord = action.word == "add" || action.word == "remove";
    if (action.word != "list" && !takesWord)
        return usageError("blacklist needs list, add WORD or remove WORD");
    if (split.words.size() != (takesWord ? 1u : 0u))
        return usageError(takesWord ? "blacklist " + action.word + " needs one WORD (quote it)"
                                    : std::string("blacklist list takes no arguments"));
    const std::string word = takesWord ? lowerAZ(split.words.front()) : std::string();
    if (takesWord && (word.empty() || word.find_first_of("\r\n") != std::string::npos))
        return usageError("blacklist " + action.word + " needs a word of one line");

    int status = ExitDone;
    const auto dir = openFolder(global, status);
    if (!dir)
        return status;
    BlacklistWords words;  // the built-in words until the file says otherwise
    const QString path = blacklistPath(*dir);
    if (pathExists(path)) {
        if (const FileResult read = loadBlacklistFile(path, words); !read)
            return failure(read.error);
    }

    if (action.word == "list") {
        std::string out;
        for (const std::string &w : words.words())
            out += w + "\n";
        printOut(out);
        return ExitDone;
    }
    int changed = 0;
    if (action.word == "add") {
        if (findWord(words, word))
            return failure("\"" + word + "\" is already a blacklist word");
        words.add(word);
        changed = 1;
    } else {
        while (const auto index = findWord(words, word)) {
            words.removeAt(*index);
            ++changed;
        }
        if (changed == 0)
            return failure("\"" + word + "\" is not a blacklist word");
    }
    if (const FileResult written = saveBlacklistFile(path, words); !written)
        return failure(written.error);
    printError("kestrix-cli: blacklist word \"" + word + "\" "
               + (action.word == "add" ? "added" : "removed"));
    return ExitDone;
}

}  // namespace kestrix::cli
