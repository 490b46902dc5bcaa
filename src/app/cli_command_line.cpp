#include "app/cli_command_line.h"

#include <algorithm>

namespace kestrix::cli {

namespace {

// "--name=VALUE": the name part; the whole argument otherwise.
std::string optionName(const std::string &arg)
{
    const size_t equals = arg.find('=');
    return arg.rfind("--", 0) == 0 && equals != std::string::npos ? arg.substr(0, equals) : arg;
}

bool isOption(const std::string &arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string> &args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const std::string name = optionsEnded ? std::string() : optionName(arg);
        // The value of "--name VALUE" or "--name=VALUE"; nothing when it is missing or empty.
        auto value = [&]() -> std::optional<std::string> {
            std::string text;
            if (name != arg)
                text = arg.substr(name.size() + 1);
            else if (i + 1 < args.size())
                text = args[++i];
            if (text.empty())
                return std::nullopt;
            return text;
        };
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            if (!line.command.empty())
                line.args.push_back(arg);
        } else if (name == "--help" || name == "-h") {
            line.help = true;
        } else if (name == "--version") {
            line.version = true;
        } else if (name == "-v" || name == "--verbose") {
            line.global.verbose = true;
        } else if (name == "--utf8") {
            line.global.utf8 = true;
        } else if (name == "--dir") {
            line.global.dir = value();
            if (!line.global.dir && line.error.empty())
                line.error = "--dir needs a folder";
        } else if (name == "--profile") {
            line.global.profile = value();
            if (!line.global.profile && line.error.empty())
                line.error = "--profile needs a profile name";
        } else if (line.command.empty() && !isOption(arg)) {
            line.command = arg;
        } else if (line.command.empty() && line.error.empty()) {
            line.error = "unknown option: " + arg;
        } else {
            line.args.push_back(arg);
        }
    }
    if (line.error.empty() && line.command.empty() && !line.help && !line.version)
        line.error = "no command given";
    return line;
}

std::optional<std::string> CommandArguments::value(const std::string &name) const
{
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (it->first == name)
            return it->second;
    }
    return std::nullopt;
}

bool CommandArguments::flag(const std::string &name) const
{
    return std::find(flags.begin(), flags.end(), name) != flags.end();
}

CommandArguments splitCommandArguments(const std::vector<std::string> &args,
                                       const std::vector<std::string> &valueOptions,
                                       const std::vector<std::string> &flagOptions)
{
    CommandArguments result;
    auto known = [](const std::vector<std::string> &list, const std::string &name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || !isOption(arg)) {
            result.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::string name = optionName(arg);
        if (known(valueOptions, name)) {
            std::string text;
            if (name != arg)
                text = arg.substr(name.size() + 1);
            else if (i + 1 < args.size())
                text = args[++i];
            else {
                result.error = name + " needs a value";
                return result;
            }
            result.values.emplace_back(name, text);
        } else if (known(flagOptions, arg)) {
            result.flags.push_back(arg);
        } else {
            result.error = "unknown option: " + arg;
            return result;
        }
    }
    return result;
}

}  // namespace kestrix::cli
