#include "transport/pop3_refusal.h"

#include "text/line_end.h"

#include "text/latin1.h"

#include <array>

namespace kestrix {

namespace {

bool containsAny(const std::string &lowerText, const std::string_view *begin,
                 const std::string_view *end)
{
    for (auto phrase = begin; phrase != end; ++phrase) {
        if (lowerText.find(*phrase) != std::string::npos)
            return true;
    }
    return false;
}

// How servers without response codes say that a login needs TLS.
constexpr std::array<std::string_view, 9> kTlsRequiredTexts{
    "tls required",       "ssl required",
    "stls required",      "starttls required",
    "encryption required", "plaintext authentication disallowed",
    "plaintext authentication not allowed", "stls command first",
    "use stls",
};

// How servers say that they do not know a command at all.
constexpr std::array<std::string_view, 8> kUnknownCommandTexts{
    "unknown command", "not implemented", "not supported", "unsupported",
    "unrecognized",    "unrecognised",    "invalid command", "bad command",
};

}  // namespace

EPop3Refusal::EPop3Refusal(std::string command, std::string reply, Pop3RefusalReason reason,
                           const std::string &message)
    : Exception(message.empty() ? reply : message), command_(std::move(command)),
      reply_(std::move(reply)), reason_(reason)
{
}

std::string EPop3Refusal::serverText() const
{
    return withoutLineEnd(reply_);
}

std::string EPop3Refusal::responseCode() const
{
    return pop3ResponseCode(reply_);
}

std::string pop3ResponseCode(const std::string &reply)
{
    constexpr std::string_view prefix = "-ERR [";
    if (reply.compare(0, prefix.size(), prefix) != 0)
        return {};
    const std::size_t close = reply.find(']', prefix.size());
    if (close == std::string::npos)
        return {};
    const std::string code = reply.substr(prefix.size(), close - prefix.size());
    // A code is one word of letters, digits, "-" and "/"; anything else is the server's text.
    for (const char c : code) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
                             || (c >= '0' && c <= '9') || c == '-' || c == '/';
        if (!allowed)
            return {};
    }
    return upperAZ(code);
}

Pop3RefusalReason classifyPop3Refusal(std::string_view command, const std::string &reply,
                                      bool encrypted, std::optional<bool> listed)
{
    const std::string code = pop3ResponseCode(reply);
    if (code == "IN-USE")
        return Pop3RefusalReason::InUse;
    if (code == "LOGIN-DELAY")
        return Pop3RefusalReason::LoginDelay;
    if (code == "SYS/TEMP")
        return Pop3RefusalReason::TemporaryFault;
    if (code == "SYS/PERM")
        return Pop3RefusalReason::PermanentFault;

    const std::string text = lowerAZ(reply);
    const bool login = command == "USER" || command == "PASS";
    if (login && !encrypted) {
        // "Incorrect state" answers USER on a server that takes no login before STLS.
        if (code == "PRIVACYREQUIRED"
            || containsAny(text, kTlsRequiredTexts.begin(), kTlsRequiredTexts.end())
            || (command == "USER" && text.find("incorrect state") != std::string::npos))
            return Pop3RefusalReason::TlsRequired;
    }
    if (login)
        return Pop3RefusalReason::Login;

    // TOP and UIDL are the optional commands screening needs. A server whose CAPA did not list
    // the command lacks it; without a CAPA answer only its text can tell.
    if ((command == "TOP" || command == "UIDL") && code.empty() && listed != true) {
        if (listed == false
            || containsAny(text, kUnknownCommandTexts.begin(), kUnknownCommandTexts.end()))
            return Pop3RefusalReason::Unsupported;
    }
    return Pop3RefusalReason::Other;
}

}  // namespace kestrix
