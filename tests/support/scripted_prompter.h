#pragma once
// A Prompter that answers from a script. Every question must be the next one the test declared,
// of the same sort and with the same text; anything else fails the test. Questions left
// unasked when the prompter is destroyed fail it too. Failures go to gtest unless another
// report is given (the window tests report through QtTest).

#include "screening/prompter.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrix::test {

class ScriptedPrompter : public Prompter {
public:
    using FailureReport = std::function<void(const std::string &)>;
    explicit ScriptedPrompter(FailureReport report = {}) : m_report(std::move(report)) {}
    ~ScriptedPrompter() override;

    // Declare the next expected question and its answer. An empty text accepts any text.
    void expectMessage(Kind kind, std::string text);
    void expectYesNo(Kind kind, std::string text, bool answer);
    void expectOkCancel(Kind kind, std::string text, bool answer);
    void expectText(std::string prompt, std::optional<std::string> answer);
    void expectDownloadCount(std::optional<int> answer);
    void expectNewProfileName(std::optional<std::string> answer);

    // Fails the test when declared questions were not asked; forgets them.
    void verifyAllAsked();
    size_t pending() const { return m_script.size(); }

    void message(Kind kind, const std::string &text) override;
    bool askYesNo(Kind kind, const std::string &text) override;
    bool askOkCancel(Kind kind, const std::string &text) override;
    std::optional<std::string> askText(const std::string &title, const std::string &prompt,
                                       const std::string &initial) override;
    std::optional<int> askDownloadCount(int maximum, int value) override;
    std::optional<std::string> askNewProfileName() override;

    // Every question as it was asked ("yes/no: Really DELETE ...").
    std::vector<std::string> asked;
    // What the last download-count question offered.
    int lastDownloadMaximum = -1;
    int lastDownloadValue = -1;

private:
    enum class Sort { Message, YesNo, OkCancel, Text, DownloadCount, NewProfileName };
    struct Step {
        Sort sort;
        std::optional<Kind> kind;
        std::string text;
        bool yes = false;
        std::optional<std::string> textAnswer;
        std::optional<int> countAnswer;
    };
    // The next step when it fits; nothing (and a test failure) otherwise.
    std::optional<Step> take(Sort sort, std::optional<Kind> kind, const std::string &text);
    void fail(const std::string &why) const;

    FailureReport m_report;
    std::deque<Step> m_script;
};

}  // namespace kestrix::test
