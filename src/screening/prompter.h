#pragma once
// Modal questions and message boxes. The window shows dialogs, the command line asks on the
// terminal, tests answer from a script (and fail on a question they did not expect).

#include <optional>
#include <string>

namespace kestrix {

class Prompter {
public:
    enum class Kind { Information, Confirmation, Warning, Error };

    virtual ~Prompter() = default;

    // A message box with a single OK button.
    virtual void message(Kind kind, const std::string &text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(Kind kind, const std::string &text) = 0;
    // An OK/Cancel question; true for OK.
    virtual bool askOkCancel(Kind kind, const std::string &text) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<std::string> askText(const std::string &title, const std::string &prompt,
                                               const std::string &initial) = 0;
    // The "Download Control" question: how many of the newest messages to fetch
    // (offered: value, at most maximum); nothing for "&Cancel".
    virtual std::optional<int> askDownloadCount(int maximum, int value) = 0;
    // The new-profile dialog; nothing when cancelled.
    virtual std::optional<std::string> askNewProfileName() = 0;
};

}  // namespace kestrix
