#pragma once
// A Prompter for window tests that must not stop on a modal box: every question is answered
// with No / Cancel (nothing typed, no count) and kept, in order, for the test to compare.

#include "screening/prompter.h"

#include <QStringList>

#include <optional>
#include <string>

namespace kestrix::test {

class RecordingPrompter : public Prompter {
public:
    QStringList asked;

    void message(Kind, const std::string &text) override { record(text); }
    bool askYesNo(Kind, const std::string &text) override { return record(text); }
    bool askOkCancel(Kind, const std::string &text) override { return record(text); }
    std::optional<std::string> askText(const std::string &, const std::string &prompt,
                                       const std::string &) override
    {
        record(prompt);
        return std::nullopt;
    }
    std::optional<int> askDownloadCount(int, int) override
    {
        record("download count");
        return std::nullopt;
    }
    std::optional<std::string> askNewProfileName() override
    {
        record("new profile name");
        return std::nullopt;
    }

private:
    bool record(const std::string &text)
    {
        asked << QString::fromStdString(text);
        return false;
    }
};

}  // namespace kestrix::test
