#pragma once
// A View that remembers what it was told: the last text, enabled, visible and checked state per
// control, the status line history, the pages shown, the grid calls and the tray sign.

#include "screening/view.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::test {

class RecordingView : public View {
public:
    void setText(Control control, const std::string &text) override;
    void setEnabled(Control control, bool enabled) override;
    void setVisible(Control control, bool visible) override;
    void setChecked(Control control, bool checked) override;
    void setMainButtonMode(MainButtonMode mode) override { mainButtonMode = mode; }
    void setStatus(const std::string &text) override;
    void setProgress(int maximum, int position) override;
    void setBusyCursor(bool busy) override;
    void showPage(Control page) override;
    void messageTableChanged() override;
    void scrollMessageTable(int topRow, int currentRow) override;
    int messageTableClientHeight() const override { return clientHeight; }
    void setDetails(const std::vector<std::string> &lines) override;
    void showProtection(const ConnectionProtection &shown) override { protection = shown; }
    void setNewMailSign(bool newMail) override;
    void beep() override;

    // Last state per control; nothing when the control was never told.
    std::optional<std::string> text(Control control) const;
    std::optional<bool> enabled(Control control) const;
    std::optional<bool> visible(Control control) const;
    std::optional<bool> checked(Control control) const;

    // Forgets everything recorded (the client height stays).
    void reset();

    std::map<Control, std::string> texts;
    std::map<Control, bool> enabledStates;
    std::map<Control, bool> visibleStates;
    std::map<Control, bool> checkedStates;
    std::optional<MainButtonMode> mainButtonMode;
    std::vector<std::string> statusHistory;
    std::vector<Control> pagesShown;
    std::vector<std::pair<int, int>> scrolls;  // (topRow, currentRow)
    std::vector<std::string> details;
    int detailsCalls = 0;
    int tableChanges = 0;
    int progressMaximum = 0;
    int progressPosition = 0;
    bool busyCursor = false;
    std::optional<bool> newMailSign;
    std::optional<ConnectionProtection> protection;
    int beeps = 0;
    int clientHeight = 400;  // what the grid reports as its client height
};

}  // namespace kestrix::test
