#include "screening/refusal_text.h"

#include "text/line_end.h"

namespace kestrix {

namespace {

// What the refusal means and what to do, as the continuation of a sentence; empty when there is
// nothing to add to the server's own text.
std::string meaning(const EPop3Refusal &refusal)
{
    switch (refusal.reason()) {
    case Pop3RefusalReason::Login:
        return "the server did not accept the user name or the password";
    case Pop3RefusalReason::TlsRequired:
        return "the server takes the password only over an encrypted connection; choose "
               "\"Automatic\" or \"TLS\" in Security";
    case Pop3RefusalReason::InUse:
        return "the mailbox is in use: another program is reading it; try again later";
    case Pop3RefusalReason::LoginDelay:
        return "the server allows no new login this soon after the last one; try again later";
    case Pop3RefusalReason::TemporaryFault:
        return "the server has a temporary fault; try again later";
    case Pop3RefusalReason::PermanentFault:
        return "the server has a fault that waiting will not mend; ask the mail provider";
    case Pop3RefusalReason::Unsupported:
        return "the server does not support " + refusal.command() + ", which screening needs";
    case Pop3RefusalReason::TokenRefused:
    case Pop3RefusalReason::Other:
        break;
    }
    return {};
}

}  // namespace

std::string refusalText(const EPop3Refusal &refusal)
{
    const std::string own = withoutLineEnd(refusal.what());
    std::string explained = meaning(refusal);
    if (refusal.reason() == Pop3RefusalReason::TokenRefused)
        return own + " (server: " + refusal.serverText() + ")";
    if (explained.empty())
        return own;
    const std::string server = " (server: " + refusal.serverText() + ")";
    // A refused login keeps its own text first; any other refusal is the explanation itself.
    if (refusal.command() == "USER" || refusal.command() == "PASS")
        return own + ": " + explained + server;
    explained[0] = char(explained[0] - 'a' + 'A');
    return explained + server;
}

bool refusalNeedsMessage(const EPop3Refusal &refusal)
{
    return refusal.reason() != Pop3RefusalReason::Other;
}

}  // namespace kestrix
