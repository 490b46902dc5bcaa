#pragma once
// What the tray icon, its menu and the automatic check do, below the widgets: the left click by
// TrayAction, the menu items, the hide-again step after a check started from the tray (Timer1),
// the poller's interval, and the new-mail notice. The window supplies the few things
// only it can do (show, hide, ask what is on screen); tests supply them as plain functions.

#include <functional>
#include <optional>
#include <string>

namespace kestrix {

class Screener;

class TrayControl {
public:
    struct Window {
        std::function<bool()> visible;            // shown (not hidden to the tray)
        std::function<bool()> active;             // shown and the active window
        std::function<void()> showNormal;         // show, un-minimise, bring to front
        std::function<void()> hide;               // hide to the tray
        std::function<bool()> unknownBannerShown; // the unknown-senders banner Panel3
        std::function<void()> restoreGridColour;  // the grid's background to the window colour
        std::function<void(const std::string &)> notify;  // desktop notification
    };

    TrayControl(Screener &screener, Window window);

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

private:
    void showForCheck();
    bool passwordTyped() const;

    Screener &m_screener;
    Window m_window;
    bool m_hideAfterCheck = false;
};

}  // namespace kestrix
