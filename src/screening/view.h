#pragma once
// The screen as the screening logic sees it: fire-and-forget writes to the window's controls.
// Controls are named by their object names ("Label24", "Panel12", "Button1"), so the window can
// find them with findChild and a recording fake can keep what it was told per name.
// Texts are Latin-1 bytes.

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class View {
public:
    virtual ~View() = default;

    // Caption of a button, label, panel or check box.
    virtual void setText(std::string_view control, const std::string &text) = 0;
    virtual void setEnabled(std::string_view control, bool enabled) = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual void setChecked(std::string_view control, bool checked) = 0;

    // The status line at the bottom of the window ("statustext").
    virtual void setStatus(const std::string &text) = 0;
    virtual void setProgress(int maximum, int position) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // Makes a page ("TabSheet3") or configuration sub-page the active one.
    virtual void showPage(std::string_view page) = 0;

    // The message table model changed as a whole: the grid repaints from it.
    virtual void messageTableChanged() = 0;
    // Scrolls the grid: topRow becomes the first visible row, currentRow the current one
    // (-1 leaves either as it is).
    virtual void scrollMessageTable(int topRow, int currentRow) = 0;
    // Grid geometry the scrolling rules need.
    virtual int messageTableClientHeight() const = 0;

    // The header details pane ("Memo2").
    virtual void setDetails(const std::vector<std::string> &lines) = 0;

    // Tray icon: the new-mail icon and sign, or the normal icon.
    virtual void setNewMailSign(bool newMail) = 0;
    virtual void beep() = 0;
};

}  // namespace kestrix
