#pragma once
// The POP3 session's state: the client the window or kestrix-cli owns, the secrets it signs in
// with (memory only, overwritten when the profile is left and at the end), and how the last
// session and its last command ended. The Screener opens and closes sessions around each
// command (session.cpp); everything that needs to know how that went reads it here.

#include "screening/token_command.h"
#include "transport/pop3_refusal.h"

#include <optional>
#include <string>

namespace kestrix {

class TNMPOP3;  // the POP3 client (transport)

struct Pop3Session {
    TNMPOP3 *NMPOP31 = nullptr;  // owned by the window (or kestrix-cli); set by attachPop3
    bool isOpen() const;

    // The typed password ("Edit4"): kept in memory only, never written anywhere.
    std::string password;
    // A profile that signs in with a token (NAME.conf [auth]): the access token its command
    // printed and that command, kept in memory only and reused until the server refuses it.
    std::string accessToken;
    std::string accessTokenCommand;
    int tokenCommandTimeOutMs = kTokenCommandTimeOutMs;
    // Overwrite the secrets here and the client's copies: when the profile is left and at the end.
    void forgetPassword();
    void forgetAccessToken();

    // The window offers to trust a refused certificate (its fingerprint is then pinned in
    // NAME.conf); the command line only reports it.
    bool offerCertificateTrust = true;
    // The window offers to switch Security to "Automatic" when a server wants TLS for the login
    // and the profile says "None"; the command line only reports it. The window shows a mode
    // chosen that way (WindowSide::securityModeShown).
    bool offerSecuritySwitch = true;

    // Why the last connectSession failed ("" after a success), and the server's refusal that
    // ended the login or the last command of the session (cleared by connectSession).
    std::string sessionError;
    std::optional<EPop3Refusal> lastRefusal;
    // Why the command now running failed, as the status line ends on it ("" while all goes
    // well; cleared when a session opens). The session's close reports "Disconnected" after it.
    std::string commandFailure;
    // Why the last header download stopped before its end (the session was lost: a refusal, a
    // reset, a close); "" when it ran through.
    std::string downloadStopped;
    // The user cancelled the last header download at the download-control question.
    bool downloadCancelled = false;
    // The server answered the QUIT of the last session with "+OK": only then has it carried out
    // that session's deletions. Cleared when a session opens.
    bool quitConfirmed = false;
    bool closingSession = false;  // closeSession is running (a QUIT refused must not recurse)
    // The client fired OnFailure (a refused or lost UIDL or DELE) since the last report: the
    // window's "Operation failed" box is still due.
    bool operationFailed = false;
};

}  // namespace kestrix
