#pragma once
// EPop3Refusal: a command the POP3 server refused ("-ERR ..."), as it reaches the code that sent
// the command. It carries the command word, the reply line as received and the reply's response
// code (RFC 2449/3206: "[IN-USE]", "[SYS/TEMP]", "[AUTH]", "[LOGIN-DELAY]" after "-ERR"), and
// says what the refusal means for the user (reason()). The client only reports; the caller (or
// the dispatcher's trap) decides whether the session goes on.
//
//   try {
//       pop.FetchSummary(n);
//   } catch (const EPop3Refusal &refusal) {
//       if (refusal.reason() == Pop3RefusalReason::Unsupported) ...  // the server lacks TOP
//   }

#include "transport/exceptions.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

enum class Pop3RefusalReason {
    Other,           // no more to say than the server's own text
    Login,           // USER or PASS refused: the user name or the password is wrong
    TlsRequired,     // the login is refused on a connection without TLS
    InUse,           // [IN-USE]: another session holds the mailbox
    LoginDelay,      // [LOGIN-DELAY]: the server allows no login this soon after the last one
    TemporaryFault,  // [SYS/TEMP]: a fault of the server that may pass
    PermanentFault,  // [SYS/PERM]: a fault of the server that will not pass by waiting
    Unsupported,     // the server does not know the command (TOP or UIDL, optional in POP3)
    TokenRefused,    // AUTH refused the access token: it ran out or was revoked
};

class EPop3Refusal : public Exception {
public:
    // message: the exception's text; the reply line when empty.
    EPop3Refusal(std::string command, std::string reply, Pop3RefusalReason reason,
                 const std::string &message = {});

    // The command word sent ("USER", "PASS", "TOP", "UIDL", "DELE", "STLS", ...); empty for the
    // greeting.
    const std::string &command() const { return command_; }
    // The reply line as received, CR LF included.
    const std::string &reply() const { return reply_; }
    // The reply without its line end, as the user reads it.
    std::string serverText() const;
    // "IN-USE", "SYS/TEMP", ... in capitals; empty when the reply carries none.
    std::string responseCode() const;
    Pop3RefusalReason reason() const { return reason_; }

private:
    std::string command_;
    std::string reply_;
    Pop3RefusalReason reason_;
};

// The response code of a "-ERR" reply: the bracketed text right after "-ERR ", in capitals;
// empty when there is none.
std::string pop3ResponseCode(const std::string &reply);

// What a refusal means. encrypted: the connection had TLS when the reply came; listed: whether
// the server's CAPA listed the command (nothing when CAPA was not asked or not answered).
Pop3RefusalReason classifyPop3Refusal(std::string_view command, const std::string &reply,
                                      bool encrypted, std::optional<bool> listed);

}  // namespace kestrix
