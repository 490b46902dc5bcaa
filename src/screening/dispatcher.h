#pragma once
// The window's command dispatcher: buttons, the poller and the desktop's news only queue a code
// in pendingCommand; the 50 ms tick (Timer2) picks it up, runs the whole operation on the
// Screener inside the error trap and returns to idle. kestrix-cli runs operations directly and
// never ticks.

#include "screening/pending_command.h"

#include <string>

namespace kestrix {

class EPop3Refusal;
class Prompter;
class Screener;
class View;

class Dispatcher {
public:
    explicit Dispatcher(Screener &screener) : m_screener(screener) {}
    Dispatcher(const Dispatcher &) = delete;
    Dispatcher &operator=(const Dispatcher &) = delete;

    // The command the next tick runs (cmdIdle for none).
    PendingCommand pendingCommand = cmdIdle;

    // One tick of the 50 ms dispatcher: selection bookkeeping, details refresh, then the queued
    // command inside the error trap. The one place that catches the transport's failures for
    // server commands; after any failure the code returns to idle and the tick runs again.
    void Timer2Timer();
    // The main button, "/ All" and "Delete selected unknown": they only queue a code.
    void Button1Click();
    void SpeedButton30Click();
    void Button10Click();
    // The poller's tick: queues the new-mail check; a tick while another command is queued or
    // running is dropped, not kept for later.
    void PollerTimer();
    // The desktop woke from sleep or the network came back: with automatic checks on, the
    // check is queued at once and the poller's interval starts anew.
    void desktopWoke();
    // The network went away: a command talking to the server ends at once, saying so.
    void networkLost();
    // True while a command's branch runs (the window's busy state besides the cursor).
    bool dispatching() const { return m_dispatching; }

    // The two timers the dispatcher decides (the window keeps them; kestrix-cli has none). Its
    // tick pauses while a command's branch runs, so no second command starts on top of it.
    void pauseTick();
    void resumeTick();
    // The poller runs while CheckInterval is above 0; a check in progress stops it. Starting a
    // running poller keeps its countdown; restartPolling makes the interval count anew.
    void startPolling();
    void stopPolling();
    void restartPolling();

private:
    void runCommand(PendingCommand code);
    void finishCommand(PendingCommand code, bool enableGrid);
    // The trap: the command ends (endFailedCommand), then the user is told why.
    void recoverFromFailure(PendingCommand code, const std::string &what);
    void recoverFromRefusal(PendingCommand code, const EPop3Refusal &refusal);
    void endFailedCommand(PendingCommand code, const std::string &what);
    void getHeaders(bool thenReclassify);
    void setGridEnabled(bool enabled);
    View &view() const;
    Prompter &prompter() const;

    Screener &m_screener;
    bool m_dispatching = false;
    bool m_gridDisabled = false;
};

}  // namespace kestrix
