// What the desktop's sleep and network news do to the automatic check: after a wake-up or when
// the network is back the check runs at once (a check left for the poller's next tick would wait
// up to a whole interval, and one on a socket from before the sleep could only fail); a check
// running when the network goes away ends at once with a text that says why.
#include "screening/screener.h"
#include "screening/view.h"
#include "transport/pop3_client.h"

namespace kestrix {

namespace {
constexpr const char *kNetworkGoneText = "The network went away: the check was stopped";
}  // namespace

void Screener::desktopWoke()
{
    if (profile.settings.CheckInterval <= 0)
        return;
    // The interval counts anew from this check.
    m_view.setEnabled(Control::Poller, false);
    m_view.setEnabled(Control::Poller, true);
    PollerTimer();
}

void Screener::networkLost()
{
    if (!session.isOpen())
        return;
    // The waiting request fails at once instead of at its time-out; its command ends on this
    // text (a download keeps the rows fetched so far).
    session.commandFailure = kNetworkGoneText;
    session.NMPOP31->Abort();
}

}  // namespace kestrix
