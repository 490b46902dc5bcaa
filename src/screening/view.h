#pragma once
// The screen as the screening logic sees it: fire-and-forget writes to the window's controls.
// Controls are named by a typed id; the window maps each id to its widget (the glossary in
// ui/control_glossary.cpp says what every control is). Texts are Latin-1 bytes.

#include "transport/connection_protection.h"

#include <string>
#include <vector>

namespace kestrix {

// The controls the screening writes to, named as the window's object names. A control the
// window does not have cannot be named, so a misspelt control is a compile error.
enum class Control {
    // top bar and status bar
    SpeedButton2, SpeedButton6, shape1, Label8, StaticText1,
    CheckBox1, StaticText2, ProtectionIndicator,
    // messages page
    Panel1, Panel3, Panel12, Panel14, Shape2, Label6, Label24, Label52, Label53, button7,
    button10, Button66, SpeedButton24, SpeedButton27, SpeedButton31, Deleteselectedmails1,
    stringgrid1,
    // start, whitelist and configuration pages
    Label13, Label17, Label19, Label21, Label25, Panel13, CheckBox6,
    // pages ("TabSheet8" is the accounts page inside the configuration page)
    TabSheet1, TabSheet3, TabSheet4, TabSheet5, TabSheet6, TabSheet7, TabSheet8,
    // timers, switched like controls: Timer2 and Poller only by the Dispatcher, which decides
    // them; Timer1 (the hide-again step after a check from the tray) by the reclassify
    Timer1, Timer2, Poller,
};
inline constexpr int kControlCount = int(Control::Poller) + 1;

// What the main button (Button1) does next. The Screener owns the mode; the window shows it as
// the button's caption ("Configure", "Get Mail Headers: New", "Process Suspicuous Mails",
// "Continue...").
enum class MainButtonMode { Configure, GetNew, Process, Continue };

class View {
public:
    virtual ~View() = default;

    // Caption of a button, label, panel or check box.
    virtual void setText(Control control, const std::string &text) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual void setChecked(Control control, bool checked) = 0;
    virtual void setMainButtonMode(MainButtonMode mode) = 0;

    // The status line at the bottom of the window ("statustext").
    virtual void setStatus(const std::string &text) = 0;
    virtual void setProgress(int maximum, int position) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // Makes a page (TabSheet1..TabSheet7) or the accounts sub-page (TabSheet8) the active one.
    virtual void showPage(Control page) = 0;

    // The message table model changed as a whole: the grid repaints from it.
    virtual void messageTableChanged() = 0;
    // Rows were appended to the table (and its last row may have been filled); the rows before
    // are as they were. A view that cannot tell the difference repaints the whole table.
    virtual void messageTableGrew() { messageTableChanged(); }
    // Scrolls the grid: topRow becomes the first visible row, currentRow the current one
    // (-1 leaves either as it is).
    virtual void scrollMessageTable(int topRow, int currentRow) = 0;
    // Grid geometry the scrolling rules need.
    virtual int messageTableClientHeight() const = 0;

    // The header details pane ("Memo2").
    virtual void setDetails(const std::vector<std::string> &lines) = 0;

    // How the session's connection is protected, as its TLS session established it: shown from
    // the login on and kept after the session (Control::ProtectionIndicator; hidden again
    // through setVisible when a connection fails before anything was protected or sent).
    virtual void showProtection(const ConnectionProtection &protection) = 0;

    // Tray icon: the new-mail icon and sign, or the normal icon.
    virtual void setNewMailSign(bool newMail) = 0;
    virtual void beep() = 0;
};

}  // namespace kestrix
