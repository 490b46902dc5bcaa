// The command dispatcher: buttons and the poller only queue a code in pendingCommand; the 50 ms
// tick (Timer2) picks it up, opens the POP3 session, runs the whole operation, quits and returns
// to idle. Also the main button, "/ All" and "Delete selected unknown", which only queue.
#include "screening/prompter.h"
#include "screening/refusal_text.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/line_end.h"

#include <QCoreApplication>

#include <utility>

namespace kestrix {

// ---- the buttons that queue ---------------------------------------------------------------

void Screener::Button1Click()
{
    grid.knownBadSelectMode = false;
    m_view.messageTableChanged();
    const MainButtonMode mode = m_mainButtonMode;
    if (mode == MainButtonMode::Process || mode == MainButtonMode::Continue) {
        m_view.showPage(Control::TabSheet3);
        pendingCommand = cmdReclassify;
        return;
    }
    m_view.setEnabled(Control::SpeedButton2, false);
    if (session.password.empty() && !signsInWithToken() && mode != MainButtonMode::Configure) {
        m_prompter.message(Prompter::Kind::Information, "Password has not been specified !");
        return;
    }
    if (mode == MainButtonMode::Configure) {
        m_view.showPage(Control::TabSheet8);
        return;
    }
    m_view.setEnabled(Control::SpeedButton2, true);
    m_view.showPage(Control::TabSheet3);
    m_view.setEnabled(Control::SpeedButton6, true);
    m_view.setVisible(Control::Panel12, false);
    pendingCommand = cmdGetHeaders;
}

void Screener::SpeedButton30Click()
{
    forgetResumeMarks();
    Button1Click();
}

void Screener::Button10Click()
{
    pendingCommand = grid.knownBadSelectMode ? cmdDeleteKnownBad : cmdDeleteSelected;
}

void Screener::updateSelectionInfo(int top, int bottom)
{
    grid.selTop = top;
    grid.selBottom = bottom;
    // An empty table has no selection to count, whatever the grid's cursor says.
    m_view.setText(Control::Label6, !messages.hasMessages() ? std::string()
                                    : top == bottom ? std::to_string(top)
                                                    : std::to_string(top) + "-" + std::to_string(bottom));
    m_view.setEnabled(Control::SpeedButton24, messages.hasMessages() && top == bottom);
}

// ---- the tick -----------------------------------------------------------------------------

void Screener::Timer2Timer()
{
    // A tick that fires while a branch waits for the server (the session runs pending events)
    // must not start a second command on top of it.
    if (m_dispatching)
        return;
    // Queued commands wait while the configuration page is shown.
    if (m_window->configurationPageShown())
        return;
    if (const auto selection = m_window->gridSelection())
        updateSelectionInfo(selection->first, selection->second);
    if (messages.hasMessages()) {
        if (const auto row = m_window->currentRow(); row && *row != grid.detailsRow) {
            m_window->showDetails(*row);
            grid.detailsRow = *row;
        }
    }

    if (pendingCommand == cmdGetHeaders && profile.settings.CheckAfterDownload)
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

void Screener::setGridEnabled(bool enabled)
{
    m_gridDisabled = !enabled;
    m_view.setEnabled(Control::stringgrid1, enabled);
}

void Screener::finishCommand(PendingCommand code, bool enableGrid)
{
    if (pendingCommand == code)
        pendingCommand = cmdIdle;
    if (enableGrid)
        setGridEnabled(true);
    m_view.setEnabled(Control::Timer2, true);
}

void Screener::recoverFromRefusal(PendingCommand code, const EPop3Refusal &refusal)
{
    // The session ends first: a message box waits for the user, the server would not.
    endFailedCommand(code, refusalText(refusal));
    tellRefusal(refusal);
}

void Screener::recoverFromFailure(PendingCommand code, const std::string &what)
{
    endFailedCommand(code, what);
    // A UIDL or DELE that failed without a refusal (the connection was lost).
    if (std::exchange(m_operationFailed, false))
        m_prompter.message(Prompter::Kind::Error, "Operation failed. " + withoutTrailingLineEnds(what));
}

// Whatever failed, the dispatcher runs again: the command is dropped (unless another one was
// queued meanwhile), a session left open is closed (QUIT: what the server acknowledged stands),
// the grid and cursor are given back and the poller runs. The failure stays in the status line.
void Screener::endFailedCommand(PendingCommand code, const std::string &what)
{
    if (pendingCommand == code)
        pendingCommand = cmdIdle;
    // A deletion run waits for the session's end even when the connection is gone already.
    if ((session.isOpen() || m_deletionRun) && !session.closingSession) {
        try {
            closeSession();
        } catch (...) {
        }
    }
    // After the close ("Disconnected"): why the command ended. A deletion whose QUIT was not
    // confirmed says so as well.
    std::string why = what;
    const bool deletion = code == cmdDeleteSelected || code == cmdDeleteKnownBad;
    if (deletion && !lastDeletion.incomplete.empty())
        why = why.empty() ? lastDeletion.incomplete
                          : withoutTrailingLineEnds(why) + "; " + lastDeletion.incomplete;
    if (!why.empty()) {
        m_view.setVisible(Control::Panel12, false);
        m_view.setStatus(withoutTrailingLineEnds(why));
    }
    setGridEnabled(true);
    m_view.setBusyCursor(false);
    m_view.setEnabled(Control::Timer2, true);
    if (profile.settings.CheckInterval > 0)
        m_view.setEnabled(Control::Poller, true);
}

void Screener::getHeaders(bool thenReclassify)
{
    messages.clearTrustedLists();
    setAllowDeleteAccepted(false);
    m_view.setVisible(Control::Panel3, false);
    m_view.setVisible(Control::Panel12, false);
    m_view.setVisible(Control::Panel14, true);
    if (thenReclassify)
        setGridEnabled(false);
    if (!connectSession()) {
        // Nothing was read, and the previous table may no longer be what is on the server: its
        // verdicts and row buttons go, the status line says why.
        forgetMessages();
        endSession();
        return;
    }
    downloadHeaders();
    if (session.downloadCancelled) {
        // Nothing was judged: no verdict banner, only what happened.
        endSession();
        m_view.setVisible(Control::Panel3, false);
        m_view.setVisible(Control::Panel12, false);
        m_view.setStatus("Download cancelled: no message headers were fetched");
        return;
    }
    if (thenReclassify) {
        QCoreApplication::processEvents();
        reclassify();
    } else if (messages.allTrusted && messages.trustedCount > 0) {
        setMainButtonMode(MainButtonMode::Continue);
    }
    endSession();
}

void Screener::runCommand(PendingCommand code)
{
    switch (code) {
    case cmdIdle:
        if (m_gridDisabled)
            setGridEnabled(true);
        // A session left open by an aborted command is closed here.
        if (session.isOpen()) {
            m_view.setEnabled(Control::Timer2, false);
            closeSession();
            m_view.setEnabled(Control::Timer2, true);
        }
        return;

    case cmdGetHeaders:
    case cmdGetAndCheck:
        m_view.setEnabled(Control::Timer2, false);
        getHeaders(code == cmdGetAndCheck);
        finishCommand(code, true);
        return;

    case cmdReclassify:
        m_view.setEnabled(Control::Timer2, false);
        setAllowDeleteAccepted(false);
        setGridEnabled(false);
        m_view.setVisible(Control::Panel12, false);
        m_view.setVisible(Control::Panel14, true);
        reclassify();
        finishCommand(code, true);
        return;

    case cmdDeleteSelected: {
        m_view.setEnabled(Control::Timer2, false);
        const int count = mySelCount();
        if (count == 0) {
            m_prompter.message(Prompter::Kind::Information, "Nothing to delete !");
            setAllowDeleteAccepted(false);
            finishCommand(code, true);
            return;
        }
        if (m_prompter.askYesNo(Prompter::Kind::Confirmation,
                                "Really DELETE selected " + std::to_string(count)
                                    + " Message(s) " + profile.recoveryNote(false) + " ?")) {
            m_view.setVisible(Control::Panel3, false);
            setGridEnabled(false);
            if (connectSession())
                deleteSelected();
            endSession();
        } else {
            pendingCommand = cmdIdle;
        }
        setAllowDeleteAccepted(false);
        finishCommand(code, true);
        return;
    }

    case cmdCheckNewMail:
        m_view.setEnabled(Control::Timer2, false);
        setGridEnabled(false);
        if (connectSession())
            checkNewMail();
        endSession();
        finishCommand(code, true);
        return;

    case cmdStartMailTool:
        // No server here. A program that cannot be started is ignored: the command still ends.
        m_view.setEnabled(Control::Timer2, false);
        m_window->startMailTool(profile.settings.MailToolPath, profile.settings.MailToolParams);
        if (profile.settings.HideOnMailTool)
            m_window->hideWindow();
        finishCommand(code, false);
        return;

    case cmdReadMessage:
        if (readSelectedMessage())
            finishCommand(code, true);
        return;

    case cmdDeleteKnownBad: {
        m_view.setEnabled(Control::Timer2, false);
        const int count = countKnownBad();
        if (count == 0) {
            m_prompter.message(Prompter::Kind::Confirmation, "No bad listed messages available !");
        } else if (m_prompter.askYesNo(Prompter::Kind::Confirmation,
                                       "Really DELETE " + std::to_string(count)
                                           + " blacklisted or known bad message(s) "
                                           + profile.recoveryNote(true) + " ?")) {
            m_view.setVisible(Control::Panel3, false);
            setGridEnabled(false);
            if (connectSession())
                deleteKnownBad();
            endSession();
        }
        pendingCommand = cmdIdle;
        finishCommand(code, true);
        return;
    }
    }
    // An unknown code (none is ever queued) is dropped.
    pendingCommand = cmdIdle;
}

}  // namespace kestrix
