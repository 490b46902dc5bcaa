#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace kestrix::test {

namespace {

const char *sortName(int sort)
{
    static const char *const names[] = {"message", "yes/no", "ok/cancel", "input box",
                                        "download count", "new profile name"};
    return names[sort];
}

}  // namespace

ScriptedPrompter::~ScriptedPrompter()
{
    verifyAllAsked();
}

void ScriptedPrompter::expectMessage(Kind kind, std::string text)
{
    m_script.push_back(Step{Sort::Message, kind, std::move(text), false, {}, {}});
}

void ScriptedPrompter::expectYesNo(Kind kind, std::string text, bool answer)
{
    m_script.push_back(Step{Sort::YesNo, kind, std::move(text), answer, {}, {}});
}

void ScriptedPrompter::expectOkCancel(Kind kind, std::string text, bool answer)
{
    m_script.push_back(Step{Sort::OkCancel, kind, std::move(text), answer, {}, {}});
}

void ScriptedPrompter::expectText(std::string prompt, std::optional<std::string> answer)
{
    m_script.push_back(Step{Sort::Text, std::nullopt, std::move(prompt), false, std::move(answer), {}});
}

void ScriptedPrompter::expectDownloadCount(std::optional<int> answer)
{
    m_script.push_back(Step{Sort::DownloadCount, std::nullopt, {}, false, {}, answer});
}

void ScriptedPrompter::expectNewProfileName(std::optional<std::string> answer)
{
    m_script.push_back(Step{Sort::NewProfileName, std::nullopt, {}, false, std::move(answer), {}});
}

void ScriptedPrompter::verifyAllAsked()
{
    for (const Step &step : m_script)
        fail("expected " + std::string(sortName(int(step.sort))) + " question was never asked: \""
             + step.text + "\"");
    m_script.clear();
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::take(Sort sort, std::optional<Kind> kind,
                                                             const std::string &text)
{
    asked.push_back(std::string(sortName(int(sort))) + ": " + text);
    if (m_script.empty()) {
        fail("unexpected " + std::string(sortName(int(sort))) + " question: \"" + text + "\"");
        return std::nullopt;
    }
    Step step = m_script.front();
    m_script.pop_front();
    if (step.sort != sort) {
        fail("expected a " + std::string(sortName(int(step.sort))) + " question \"" + step.text
             + "\", got a " + sortName(int(sort)) + " question \"" + text + "\"");
        return std::nullopt;
    }
    if (!step.text.empty() && step.text != text) {
        fail("expected the question \"" + step.text + "\", got \"" + text + "\"");
        return std::nullopt;
    }
    if (step.kind && kind && *step.kind != *kind) {
        fail("question \"" + text + "\" asked with kind " + std::to_string(int(*kind))
             + ", expected " + std::to_string(int(*step.kind)));
        return std::nullopt;
    }
    return step;
}

void ScriptedPrompter::fail(const std::string &why) const
{
    if (m_report)
        m_report(why);
    else
        ADD_FAILURE() << why;
}

void ScriptedPrompter::message(Kind kind, const std::string &text)
{
    take(Sort::Message, kind, text);
}

bool ScriptedPrompter::askYesNo(Kind kind, const std::string &text)
{
    const auto step = take(Sort::YesNo, kind, text);
    return step && step->yes;
}

bool ScriptedPrompter::askOkCancel(Kind kind, const std::string &text)
{
    const auto step = take(Sort::OkCancel, kind, text);
    return step && step->yes;
}

std::optional<std::string> ScriptedPrompter::askText(const std::string &title,
                                                     const std::string &prompt,
                                                     const std::string &initial)
{
    (void)title;
    (void)initial;
    const auto step = take(Sort::Text, std::nullopt, prompt);
    return step ? step->textAnswer : std::nullopt;
}

std::optional<int> ScriptedPrompter::askDownloadCount(int maximum, int value)
{
    lastDownloadMaximum = maximum;
    lastDownloadValue = value;
    const auto step = take(Sort::DownloadCount, std::nullopt,
                           std::to_string(value) + " of " + std::to_string(maximum));
    return step ? step->countAnswer : std::nullopt;
}

std::optional<std::string> ScriptedPrompter::askNewProfileName()
{
    const auto step = take(Sort::NewProfileName, std::nullopt, std::string());
    return step ? step->textAnswer : std::nullopt;
}

}  // namespace kestrix::test
