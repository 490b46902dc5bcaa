// The tray's rules: they run the same from the real tray icon, from tests, and from a window
// that has no tray (then only the poller and the notices apply).
#include "screening/tray_control.h"

#include "screening/pending_command.h"
#include "screening/screener.h"
#include "screening/view.h"

namespace kestrix {

TrayControl::TrayControl(Screener &screener, TrayWindow &window)
    : m_screener(screener)
    , m_window(window)
{
}

bool TrayControl::passwordTyped() const
{
    return !m_screener.session.password.empty() || m_screener.signsInWithToken();
}

bool TrayControl::hideOffered() const { return m_window.visible(); }

// Both the left click and "&Get Messages" remember whether the window was hidden before they
// show it, so that a check started from the tray can hide it again.
void TrayControl::showForCheck()
{
    m_hideAfterCheck = !m_window.visible();
    if (passwordTyped())
        m_screener.view().showPage(Control::TabSheet3);
    // The next click on the main button downloads the headers.
    m_screener.setMainButtonMode(MainButtonMode::GetNew);
    m_window.showNormal();
}

void TrayControl::leftClick()
{
    showForCheck();
    if (m_screener.profile.settings.TrayAction != 1)
        return;
    View &view = m_screener.view();
    view.setVisible(Control::Panel3, false);
    // Without a password the window is only shown: nothing is queued, nothing is asked.
    if (!passwordTyped())
        return;
    view.setVisible(Control::Panel12, false);
    m_screener.dispatcher.pendingCommand = cmdGetHeaders;
}

void TrayControl::hideItem()
{
    if (m_window.visible())
        m_window.hide();
}

void TrayControl::showItem() { m_window.showNormal(); }

void TrayControl::getMessagesItem()
{
    showForCheck();
    if (!passwordTyped())
        return;
    m_screener.view().setVisible(Control::Panel12, false);
    m_screener.dispatcher.pendingCommand = cmdGetHeaders;
}

void TrayControl::mailToolItem() { m_screener.dispatcher.pendingCommand = cmdStartMailTool; }

void TrayControl::Timer1Timer()
{
    m_window.restoreGridColour();
    if (m_window.unknownBannerShown())
        m_hideAfterCheck = false;
    if (m_hideAfterCheck)
        m_window.hide();
    m_hideAfterCheck = false;
}

int &TrayControl::millisecondsPerMinute()
{
    static int perMinute = 60000;
    return perMinute;
}

std::optional<int> TrayControl::pollerIntervalMs(int minutes)
{
    if (minutes == 0)
        return std::nullopt;
    return minutes * millisecondsPerMinute();
}

std::string TrayControl::newMailNotice(int count, int unknown)
{
    std::string text = std::to_string(count) + (count == 1 ? " new message" : " new messages");
    if (unknown > 0)
        text += ", " + std::to_string(unknown) + " from unknown senders";
    else
        text += count == 1 ? ", from a trusted sender" : ", all from trusted senders";
    return text;
}

std::string TrayControl::deletionNotice(int deleted, int kept)
{
    std::string text = std::to_string(deleted) + (deleted == 1 ? " message" : " messages")
                       + " deleted";
    if (kept > 0)
        text += ", " + std::to_string(kept) + " went to \"Deleted mail\"";
    return text;
}

void TrayControl::deletionSettled()
{
    const Screener::DeletionOutcome &outcome = m_screener.lastDeletion;
    if (outcome.deleted <= 0 || m_window.active())
        return;
    m_window.notify(deletionNotice(outcome.deleted, std::min(outcome.kept, outcome.deleted)));
}

void TrayControl::newMailFound(int count, int unknown)
{
    if (count <= 0 || m_window.active())
        return;
    m_window.notify(newMailNotice(count, unknown));
}

}  // namespace kestrix
