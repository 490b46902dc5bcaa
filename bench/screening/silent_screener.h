#pragma once
// What the table benchmarks build a Screener on: a view and a prompter that do nothing, and
// made-up words for senders and subjects.
#include "screening/prompter.h"
#include "screening/view.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kestrix::bench {

class SilentView : public View {
public:
    void setText(Control, const std::string &) override {}
    void setEnabled(Control, bool) override {}
    void setVisible(Control, bool) override {}
    void setChecked(Control, bool) override {}
    void setMainButtonMode(MainButtonMode) override {}
    void setStatus(const std::string &) override {}
    void setProgress(int, int) override {}
    void setBusyCursor(bool) override {}
    void showPage(Control) override {}
    void messageTableChanged() override {}
    void scrollMessageTable(int, int) override {}
    int messageTableClientHeight() const override { return 400; }
    void setDetails(const std::vector<std::string> &) override {}
    void showProtection(const ConnectionProtection &) override {}
    void setNewMailSign(bool) override {}
    void beep() override {}
};

class SilentPrompter : public Prompter {
public:
    void message(Kind, const std::string &) override {}
    bool askYesNo(Kind, const std::string &) override { return false; }
    bool askOkCancel(Kind, const std::string &) override { return false; }
    std::optional<std::string> askText(const std::string &, const std::string &,
                                       const std::string &) override { return std::nullopt; }
    std::optional<int> askDownloadCount(int, int) override { return std::nullopt; }
    std::optional<std::string> askNewProfileName() override { return std::nullopt; }
};

inline std::string word(std::mt19937 &rng)
{
    static const char *const syllables[] = {"ka", "lo", "mi", "ne", "ro", "tu", "sa", "vi",
                                            "de", "ba", "jo", "qu", "zy", "pe", "wo", "ha"};
    std::string w;
    const int n = 2 + int(rng() % 3);
    for (int i = 0; i < n; ++i)
        w += syllables[rng() % 16];
    return w;
}

}  // namespace kestrix::bench
