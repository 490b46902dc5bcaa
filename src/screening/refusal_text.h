#pragma once
// What the user reads when the server refused a command: the program's own text where it has
// one ("Authentication failed" for a refused login), then what the refusal means and what to do,
// then the server's reply. The window shows it in a message box and the status line, kestrix-cli
// as its one error line.

#include "transport/pop3_refusal.h"

#include <string>

namespace kestrix {

// "Authentication failed: the mailbox is in use: another program is reading it; try again later
// (server: -ERR [IN-USE] locked)". A refusal of no known kind gives the server's reply alone.
std::string refusalText(const EPop3Refusal &refusal);

// The user can act on this refusal (a wrong password, TLS, a mailbox in use, a server fault or
// a missing command), so the window shows it in a message box rather than the status line only.
bool refusalNeedsMessage(const EPop3Refusal &refusal);

}  // namespace kestrix
