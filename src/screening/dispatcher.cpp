// The command dispatcher: buttons and the poller only queue a code in pendingCommand; the 50 ms
// tick (Timer2) picks it up, opens the POP3 session, runs the whole operation, quits and returns
// to idle. Also the main button, "/ All" and "Delete selected unknown", which only queue, and
// what the desktop's sleep and network news do to the automatic check: after a wake-up or when
// the network is back the check runs at once (a check left for the poller's next tick would wait
// up to a whole interval, and one on a socket from before the sleep could only fail); a check
// running when the network goes away ends at once with a text that says why.
#include "screening/dispatcher.h"

#include "screening/prompter.h"
#include "screening/refusal_text.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/line_end.h"
#include "transport/pop3_client.h"

#include <QCoreApplication>

#include <utility>

namespace kestrix {

namespace {
constexpr const char *kNetworkGoneText = "The network went away: the check was stopped";
}  // namespace

View &Dispatcher::view() const { return m_screener.view(); }
Prompter &Dispatcher::prompter() const { return m_screener.prompter(); }

// ---- the buttons that queue ---------------------------------------------------------------

void Dispatcher::Button1Click()
{
    m_screener.grid.knownBadSelectMode = false;
    view().messageTableChanged();
    const MainButtonMode mode = m_screener.mainButtonMode();
    if (mode == MainButtonMode::Process || mode == MainButtonMode::Continue) {
        view().showPage(Control::TabSheet3);
        pendingCommand = cmdReclassify;
        return;
    }
    view().setEnabled(Control::SpeedButton2, false);
    if (m_screener.session.password.empty() && !m_screener.signsInWithToken() && mode != MainButtonMode::Configure) {
        prompter().message(Prompter::Kind::Information, "Password has not been specified !");
        return;
    }
    if (mode == MainButtonMode::Configure) {
        view().showPage(Control::TabSheet8);
        return;
    }
    view().setEnabled(Control::SpeedButton2, true);
    view().showPage(Control::TabSheet3);
    view().setEnabled(Control::SpeedButton6, true);
    view().setVisible(Control::Panel12, false);
    pendingCommand = cmdGetHeaders;
}

void Dispatcher::SpeedButton30Click()
{
    m_screener.forgetResumeMarks();
    Button1Click();
}

void Dispatcher::Button10Click()
{
    pendingCommand = m_screener.grid.knownBadSelectMode ? cmdDeleteKnownBad : cmdDeleteSelected;
}

// ---- the tick -----------------------------------------------------------------------------

void Dispatcher::Timer2Timer()
{
    // A tick that fires while a branch waits for the server (the session runs pending events)
    // must not start a second command on top of it.
    if (m_dispatching)
        return;
    // Queued commands wait while the configuration page is shown.
    if (m_screener.window().configurationPageShown())
        return;
    if (const auto selection = m_screener.window().gridSelection())
        m_screener.updateSelectionInfo(selection->first, selection->second);
    if (m_screener.messages.hasMessages()) {
        if (const auto row = m_screener.window().currentRow(); row && *row != m_screener.grid.detailsRow) {
            m_screener.window().showDetails(*row);
            m_screener.grid.detailsRow = *row;
        }
    }

    if (pendingCommand == cmdGetHeaders && m_screener.profile.settings.CheckAfterDownload)
        pendingCommand = cmdGetAndCheck;
    const PendingCommand code = pendingCommand;
    m_dispatching = true;
    try {
        runCommand(code);
    } catch (const EPop3Refusal &refusal) {
        recoverFromRefusal(code, refusal);
    } catch (const std::exception &error) {
        recoverFromFailure(code, error.what());
    } catch (...) {
        recoverFromFailure(code, "Operation failed");
    }
    m_dispatching = false;
}

void Dispatcher::setGridEnabled(bool enabled)
{
    m_gridDisabled = !enabled;
    view().setEnabled(Control::stringgrid1, enabled);
}

void Dispatcher::finishCommand(PendingCommand code, bool enableGrid)
{
    if (pendingCommand == code)
        pendingCommand = cmdIdle;
    if (enableGrid)
        setGridEnabled(true);
    resumeTick();
}

void Dispatcher::recoverFromRefusal(PendingCommand code, const EPop3Refusal &refusal)
{
    // The session ends first: a message box waits for the user, the server would not.
    endFailedCommand(code, refusalText(refusal));
    m_screener.tellRefusal(refusal);
}

void Dispatcher::recoverFromFailure(PendingCommand code, const std::string &what)
{
    endFailedCommand(code, what);
    // A UIDL or DELE that failed without a refusal (the connection was lost).
    if (std::exchange(m_screener.session.operationFailed, false))
        prompter().message(Prompter::Kind::Error, "Operation failed. " + withoutTrailingLineEnds(what));
}

// Whatever failed, the dispatcher runs again: the command is dropped (unless another one was
// queued meanwhile), a session left open is closed (QUIT: what the server acknowledged stands),
// the grid and cursor are given back and the poller runs. The failure stays in the status line.
void Dispatcher::endFailedCommand(PendingCommand code, const std::string &what)
{
    if (pendingCommand == code)
        pendingCommand = cmdIdle;
    // A deletion run waits for the session's end even when the connection is gone already.
    if ((m_screener.session.isOpen() || m_screener.deletionAwaitsSessionEnd()) && !m_screener.session.closingSession) {
        try {
            m_screener.closeSession();
        } catch (...) {
        }
    }
    // After the close ("Disconnected"): why the command ended. A deletion whose QUIT was not
    // confirmed says so as well.
    std::string why = what;
    const bool deletion = code == cmdDeleteSelected || code == cmdDeleteKnownBad;
    if (deletion && !m_screener.lastDeletion.incomplete.empty())
        why = why.empty() ? m_screener.lastDeletion.incomplete
                          : withoutTrailingLineEnds(why) + "; " + m_screener.lastDeletion.incomplete;
    if (!why.empty()) {
        view().setVisible(Control::Panel12, false);
        view().setStatus(withoutTrailingLineEnds(why));
    }
    setGridEnabled(true);
    view().setBusyCursor(false);
    resumeTick();
    startPolling();
}

void Dispatcher::getHeaders(bool thenReclassify)
{
    m_screener.messages.clearTrustedLists();
    m_screener.setAllowDeleteAccepted(false);
    view().setVisible(Control::Panel3, false);
    view().setVisible(Control::Panel12, false);
    view().setVisible(Control::Panel14, true);
    if (thenReclassify)
        setGridEnabled(false);
    if (!m_screener.connectSession(m_screener.commandsBeforeDownload())) {
        // Nothing was read, and the previous table may no longer be what is on the server: its
        // verdicts and row buttons go, the status line says why.
        m_screener.forgetMessages();
        m_screener.endSession();
        return;
    }
    m_screener.downloadHeaders();
    if (m_screener.session.downloadCancelled) {
        // Nothing was judged: no verdict banner, only what happened.
        m_screener.endSession();
        view().setVisible(Control::Panel3, false);
        view().setVisible(Control::Panel12, false);
        view().setStatus("Download cancelled: no message headers were fetched");
        return;
    }
    if (thenReclassify) {
        QCoreApplication::processEvents();
        m_screener.reclassify();
    } else if (m_screener.messages.allTrusted && m_screener.messages.trustedCount > 0) {
        m_screener.setMainButtonMode(MainButtonMode::Continue);
    }
    m_screener.endSession();
}

void Dispatcher::runCommand(PendingCommand code)
{
    switch (code) {
    case cmdIdle:
        if (m_gridDisabled)
            setGridEnabled(true);
        // A session left open by an aborted command is closed here.
        if (m_screener.session.isOpen()) {
            pauseTick();
            m_screener.closeSession();
            resumeTick();
        }
        return;

    case cmdGetHeaders:
    case cmdGetAndCheck:
        pauseTick();
        getHeaders(code == cmdGetAndCheck);
        finishCommand(code, true);
        return;

    case cmdReclassify:
        pauseTick();
        m_screener.setAllowDeleteAccepted(false);
        setGridEnabled(false);
        view().setVisible(Control::Panel12, false);
        view().setVisible(Control::Panel14, true);
        m_screener.reclassify();
        finishCommand(code, true);
        return;

    case cmdDeleteSelected: {
        pauseTick();
        const int count = m_screener.mySelCount();
        if (count == 0) {
            prompter().message(Prompter::Kind::Information, "Nothing to delete !");
            m_screener.setAllowDeleteAccepted(false);
            finishCommand(code, true);
            return;
        }
        if (prompter().askYesNo(Prompter::Kind::Confirmation,
                                "Really DELETE selected " + std::to_string(count)
                                    + " Message(s) " + m_screener.profile.recoveryNote(false) + " ?")) {
            view().setVisible(Control::Panel3, false);
            setGridEnabled(false);
            if (m_screener.connectSession())
                m_screener.deleteSelected();
            m_screener.endSession();
        } else {
            pendingCommand = cmdIdle;
        }
        m_screener.setAllowDeleteAccepted(false);
        finishCommand(code, true);
        return;
    }

    case cmdCheckNewMail:
        pauseTick();
        setGridEnabled(false);
        if (m_screener.connectSession())
            m_screener.checkNewMail();
        m_screener.endSession();
        finishCommand(code, true);
        return;

    case cmdStartMailTool:
        // No server here. A program that cannot be started is ignored: the command still ends.
        pauseTick();
        m_screener.window().startMailTool(m_screener.profile.settings.MailToolPath, m_screener.profile.settings.MailToolParams);
        if (m_screener.profile.settings.HideOnMailTool)
            m_screener.window().hideWindow();
        finishCommand(code, false);
        return;

    case cmdReadMessage:
        if (m_screener.readSelectedMessage())
            finishCommand(code, true);
        return;

    case cmdDeleteKnownBad: {
        pauseTick();
        const int count = m_screener.countKnownBad();
        if (count == 0) {
            prompter().message(Prompter::Kind::Confirmation, "No bad listed messages available !");
        } else if (prompter().askYesNo(Prompter::Kind::Confirmation,
                                       "Really DELETE " + std::to_string(count)
                                           + " blacklisted or known bad message(s) "
                                           + m_screener.profile.recoveryNote(true) + " ?")) {
            view().setVisible(Control::Panel3, false);
            setGridEnabled(false);
            if (m_screener.connectSession())
                m_screener.deleteKnownBad();
            m_screener.endSession();
        }
        pendingCommand = cmdIdle;
        finishCommand(code, true);
        return;
    }
    }
    // An unknown code (none is ever queued) is dropped.
    pendingCommand = cmdIdle;
}

// ---- the timers ---------------------------------------------------------------------------

void Dispatcher::pauseTick() { view().setEnabled(Control::Timer2, false); }
void Dispatcher::resumeTick() { view().setEnabled(Control::Timer2, true); }

void Dispatcher::startPolling()
{
    if (m_screener.profile.settings.CheckInterval > 0)
        view().setEnabled(Control::Poller, true);
}

void Dispatcher::stopPolling() { view().setEnabled(Control::Poller, false); }

void Dispatcher::restartPolling()
{
    stopPolling();
    startPolling();
}

// ---- the poller and the desktop ----------------------------------------------------------

void Dispatcher::PollerTimer()
{
    if (pendingCommand == cmdIdle)
        pendingCommand = cmdCheckNewMail;
}

void Dispatcher::desktopWoke()
{
    if (m_screener.profile.settings.CheckInterval <= 0)
        return;
    // The interval counts anew from this check.
    restartPolling();
    PollerTimer();
}

void Dispatcher::networkLost()
{
    if (!m_screener.session.isOpen())
        return;
    // The waiting request fails at once instead of at its time-out; its command ends on this
    // text (a download keeps the rows fetched so far).
    m_screener.session.commandFailure = kNetworkGoneText;
    m_screener.session.NMPOP31->Abort();
}

}  // namespace kestrix
