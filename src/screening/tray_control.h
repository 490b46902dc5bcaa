#pragma once
// What the tray icon, its menu and the automatic check do, below the widgets: the left click by
// TrayAction, the menu items, the hide-again step after a check started from the tray (Timer1),
// the poller's interval, and the new-mail notice. The window supplies the few things
// only it can do (show, hide, ask what is on screen) through TrayWindow; tests supply a window
// made of plain flags.

#include <optional>
#include <string>

namespace kestrix {

class Screener;

// What the tray's rules ask of the window, one way: the window's answers and its few moves.
class TrayWindow {
public:
    virtual ~TrayWindow() = default;
    virtual bool visible() const = 0;             // shown (not hidden to the tray)
    virtual bool active() const = 0;              // shown and the active window
    virtual void showNormal() = 0;                // show, un-minimise, bring to front
    virtual void hide() = 0;                      // hide to the tray
    virtual bool unknownBannerShown() const = 0;  // the unknown-senders banner Panel3
    virtual void restoreGridColour() = 0;         // the grid's background to the window colour
    virtual void notify(const std::string &text) = 0;  // desktop notification
};

class TrayControl {
public:
    // Both must outlive the TrayControl.
    TrayControl(Screener &screener, TrayWindow &window);

    // The whole decision whether the window hides again after a check: it was shown only to run
    // a check from the tray (the left click and "&Get Messages" remember whether it was hidden),
    // Timer1 hides it unless unknown senders are shown, and the user's own work in the window
    // (stayShown) cancels it.
    bool hideAfterCheck() const { return m_hideAfterCheck; }
    // The user is at work in the window (a deletion, a whitelist addition, a profile load): it no
    // longer hides itself after a tray check.
    void stayShown() { m_hideAfterCheck = false; }

    // A left click on the icon: show the window; with TrayAction 1 and a typed password also
    // queue a header download.
    void leftClick();
    // Tray menu items.
    bool hideOffered() const;  // "&Hide" is in the menu exactly while the window is visible
    void hideItem();
    void showItem();
    void getMessagesItem();
    void mailToolItem();

    // Timer1's tick, 3.5 s after a reclassify run (the caller stops the timer first).
    void Timer1Timer();
    // The poller's interval for a CheckInterval in minutes; nothing for 0 (poller off).
    static std::optional<int> pollerIntervalMs(int minutes);
    // The minute of the poller's interval; tests make it shorter, never the rule.
    static int &millisecondsPerMinute();

    // An automatic check found count new messages, unknown of them from senders not on the
    // whitelist. A notice is shown unless the user is looking at the window already.
    void newMailFound(int count, int unknown);
    static std::string newMailNotice(int count, int unknown);
    // A deletion run settled: how many went and how many of them are kept under "Deleted mail",
    // unless the user is looking at the window.
    void deletionSettled();
    static std::string deletionNotice(int deleted, int kept);

private:
    void showForCheck();
    bool passwordTyped() const;

    Screener &m_screener;
    TrayWindow &m_window;
    bool m_hideAfterCheck = false;
};

}  // namespace kestrix
