#include "transport/pop3_client.h"

#include "text/latin1.h"
#include "text/line_end.h"
#include "text/secret_text.h"
#include "transport/pop3_reply_rules.h"
#include "transport/scope_exit.h"

#include <limits>
#include <optional>

namespace kestrix {

using namespace pop3_reply;

namespace {

// A skipped RETR: a little beyond what a retrieval itself accepts.
constexpr std::size_t maxMessageBytes = 513u * 1024 * 1024;
constexpr std::size_t maxMessageLines = 9u * 1024 * 1024;
// A CAPA reply names a dozen capabilities; a thousand lines are no capability list.
constexpr std::size_t maxCapabilityLines = 1000;

// Bytes waited before a command went out: they answer nothing the client asked.
const char *const unexpectedData = "Unexpected data from the server";

Exception replyError(const std::string &reply)
{
    return Exception(reply.empty() ? std::string(closedByServer) : reply);
}

}  // namespace

std::string pop3FirstWord(const std::string &reply)
{
    const std::size_t blank = reply.find(' ');
    return blank == std::string::npos ? reply : reply.substr(0, blank);
}

bool pop3ReplyContainsOk(const std::string &reply)
{
    return pop3FirstWord(reply).find("+OK") != std::string::npos;
}

bool pop3ReplyIsOk(const std::string &reply)
{
    return pop3FirstWord(reply) == "+OK";
}

bool pop3ReplyIsErr(const std::string &reply)
{
    return pop3FirstWord(reply) == "-ERR";
}

std::string pop3Field(const std::string &reply, int index)
{
    std::size_t pos = 0;
    for (int field = 1;; ++field) {
        while (pos < reply.size() && reply[pos] == ' ')
            ++pos;
        if (pos >= reply.size())
            return {};
        std::size_t end = reply.find(' ', pos);
        if (end == std::string::npos)
            end = reply.size();
        if (field == index)
            return reply.substr(pos, end - pos);
        pos = end;
    }
}

TNMPOP3::TNMPOP3(std::unique_ptr<Stream> stream) : TPowersock(std::move(stream))
{
    Port = 110;
}

TNMPOP3::~TNMPOP3()
{
    // The base destructor cannot reach this override: drop an open connection (no QUIT) here.
    try {
        TNMPOP3::Abort();
    } catch (...) {
    }
    wipeSecret(Password);
    wipeSecret(AccessToken);
}

std::string TNMPOP3::command(const std::string &text)
{
    // A reply that waits before its command is sent belongs to no command of ours: the server
    // answers twice, or out of turn. From here on every reply would be read as the answer to
    // the wrong command (a second "+OK" of USER taken for PASS, a login banner for STAT), so
    // the session ends. No QUIT: its answer could not be told from the stray bytes either, and
    // deletions of a dialogue out of step are better not carried out.
    if (!Connected())
        forgetInFlight();
    if (!inFlight_.empty()) {
        skipRepliesBefore(text);
        if (!inFlight_.empty()) {
            sendBeforeReply();
            dropFirstInFlight();
            return received([this] { return ReadReply(); });
        }
    }
    if (Connected() && DataAvailable())
        endOutOfStep();
    deletionsSent_ = deletionsSent_ || startsWith(text, "DELE ");
    return received([&] { return Transaction(text); });
}

std::string TNMPOP3::received(const std::function<std::string()> &read)
{
    std::string reply;
    try {
        reply = read();
    } catch (const ESockError &) {
        dropLostConnection();
        throw;
    }
    if (reply.empty())
        dropLostConnection();
    return reply;
}

void TNMPOP3::skipReply(const std::string &sent)
{
    // Unseen, as if the command had never gone out: no status text, no event.
    const std::string first = readLine();
    // A listing of every message ("UIDL" or "LIST" without a number) runs to its "." as well.
    const bool whole = startsWith(sent, "RETR ") || sent == "UIDL" || sent == "LIST";
    if (first.empty() || !(whole || startsWith(sent, "TOP ")) || !pop3ReplyContainsOk(first))
        return;
    // A skipped RETR or listing is read to its end under the bounds of a retrieval, a TOP under
    // a header's.
    const std::size_t maxBytes = whole ? maxMessageBytes : maxHeaderBytes;
    const std::size_t maxLines = whole ? maxMessageLines : maxHeaderLines;
    std::size_t bytes = 0;
    for (std::size_t lines = 0;; ++lines) {
        const std::string line = readLine();
        if (line.empty())
            return;
        bytes += line.size();
        if (bytes > maxBytes || lines >= maxLines) {
            TPowersock::Disconnect();
            throw Exception(std::string(!whole ? "Header" : startsWith(sent, "RETR ") ? "Message" : "Listing")
                            + " too long: more than "
                            + std::to_string(maxBytes) + " bytes or " + std::to_string(maxLines)
                            + " lines");
        }
        if (withoutLineEnd(line) == ".")
            return;
    }
}

void TNMPOP3::endOutOfStep()
{
    ReportStatus(1, unexpectedData);
    CloseSocket();
    throw Exception(unexpectedData);
}

std::string TNMPOP3::readLine()
{
    std::string line;
    try {
        line = ReadLn();
    } catch (const ESockError &) {
        dropLostConnection();
        throw;
    }
    if (line.empty())
        dropLostConnection();
    return line;
}

void TNMPOP3::dropLostConnection()
{
    // The server closed or reset the connection, or it failed under us: the session is over at
    // once, so nothing more goes out on it (a next command finds no connection instead of
    // writing into a closed one).
    if (!Connected())
        return;
    try {
        CloseSocket();
    } catch (...) {
    }
}

void TNMPOP3::refuse(const std::string &commandWord, const std::string &reply,
                     const std::string &message)
{
    if (reply.empty())
        throw replyError(reply);
    std::optional<bool> listed;
    if (capabilities_.answered && commandWord == "TOP")
        listed = capabilities_.top;
    if (capabilities_.answered && commandWord == "UIDL")
        listed = capabilities_.uidl;
    throw EPop3Refusal(commandWord, reply,
                       classifyPop3Refusal(commandWord, reply, Encrypted(), listed), message);
}

void TNMPOP3::Connect()
{
    int attempts = 0;
    while ((SignIn == Pop3SignIn::Password && Password.empty()) || UserID.empty()) {
        if (!OnAuthenticationNeeded)
            throw Exception("Authentication failed");
        if (attempts > 0)
            break;  // asked once: go on with what is there
        bool handled = false;
        OnAuthenticationNeeded(handled);
        if (!handled)
            throw Exception("Authentication failed");
        ++attempts;
    }

    const bool wasBusy = busy_;
    busy_ = true;
    bool loginPassed = false;
    // The busy mark goes first, then OnConnect after a login that passed (also when STAT failed).
    ScopeExit finish([&] {
        if (!wasBusy)
            busy_ = false;
        if (loginPassed)
            fire(OnConnect, this);
    });

    if (SignIn != Pop3SignIn::Password)
        checkTokenSignIn();
    capabilities_ = {};  // nothing of an earlier session is taken for this one's
    TPowersock::Connect();
    forgetInFlight();
    deletionsSent_ = false;
    pipelining_ = false;
    try {
        if (Security == Pop3Security::Tls || (Security == Pop3Security::Auto && Port == 995))
            StartTls();
        const std::string greeting = readLine();
        if (!pop3ReplyContainsOk(greeting))
            refuse(std::string(), greeting);
        // Every mode asks CAPA (after TLS from the first byte; "None" never upgrades), so a
        // plain session learns PIPELINING too.
        if (Encrypted() || Security == Pop3Security::None)
            pipelining_ = askCapabilitiesWithLogin().pipelining;
        else
            upgradeWithStls();
        pipelining_ = pipelining_ && UsePipelining;

        attempts = 0;
        // Passes on "+OK"; a refusal gives OnAuthenticationFailed one chance to correct
        // UserID or Password, after which the login starts again with USER. No reply at
        // all is a closed connection, not a refusal: nothing to correct.
        auto replyCheck = [&](const char *word, const std::string &reply) {
            if (pop3ReplyContainsOk(reply))
                return true;
            if (reply.empty())
                throw replyError(reply);
            if (attempts > 0 || !OnAuthenticationFailed)
                refuse(word, reply, "Authentication failed");
            bool handled = false;
            OnAuthenticationFailed(handled);
            if (!handled)
                refuse(word, reply, "Authentication failed");
            ++attempts;
            return false;
        };
        // A server that pipelines gets USER, PASS and STAT in one write (unless they went out with
        // the CAPA already); the replies are read one by one as below, so a refusal means what it
        // means without pipelining. A second try (after OnAuthenticationFailed) goes one command
        // at a time, and the replies still on their way from the first are read and dropped
        // before it.
        if (pipelining_ && SignIn == Pop3SignIn::Password && inFlight_.empty())
            sendLoginAhead(false);
        protection_.credentialsSent = true;
        bool done = false;
        // A token signs in with AUTH instead (pop3_sasl.cpp).
        if (SignIn != Pop3SignIn::Password) {
            signInWithToken();
            done = true;
        }
        while (!done) {
            if (replyCheck("USER", command("USER " + UserID)))
                done = replyCheck("PASS", command("PASS " + Password));
            ++attempts;
        }

        loginPassed = true;
        const std::string stat = command("STAT");
        if (!pop3ReplyContainsOk(stat))
            refuse("STAT", stat);
        // "+OK count size", both numbers: anything else is no message count, and taking it for
        // zero would report an empty mailbox that is not.
        const auto count = parseDecimal(pop3Field(stat, 2));
        const auto size = parseDecimal(trimControls(pop3Field(stat, 3)));
        if (!count || !size || *count < 0 || *size < 0 ||
            *count > std::numeric_limits<std::int32_t>::max())
            throw Exception("Unexpected reply to STAT: " + withoutLineEnd(stat));
        messageCount_ = std::int32_t(*count);
    } catch (...) {
        // A failure after the connect: QUIT (while still connected) and close before it goes on.
        try {
            Disconnect();
        } catch (...) {
        }
        throw;
    }
}

TNMPOP3::Capabilities TNMPOP3::askCapabilities()
{
    const std::string reply = command("CAPA");
    if (reply.empty())
        throw replyError(reply);
    Capabilities offered;
    offered.asked = true;
    capabilities_ = offered;
    if (!pop3ReplyContainsOk(reply))
        return offered;  // a server without CAPA announces nothing: the login goes on
    offered.answered = true;
    for (std::size_t lines = 0;; ++lines) {
        const std::string line = readLine();
        if (line.empty())
            throw ESockError(closedByServer);
        const std::string capability = withoutLineEnd(line);
        if (capability == ".") {
            capabilities_ = offered;
            return offered;
        }
        if (lines >= maxCapabilityLines) {
            TPowersock::Disconnect();
            throw Exception("CAPA reply too long");
        }
        const std::string name = pop3FirstWord(capability);
        if (equalsIgnoreCaseAZ(name, "STLS"))
            offered.stls = true;
        if (equalsIgnoreCaseAZ(name, "PIPELINING"))
            offered.pipelining = true;
        if (equalsIgnoreCaseAZ(name, "TOP"))
            offered.top = true;
        if (equalsIgnoreCaseAZ(name, "UIDL"))
            offered.uidl = true;
        if (equalsIgnoreCaseAZ(name, "SASL")) {
            const std::string mechanisms = " " + upperAZ(capability) + " ";
            offered.xoauth2 = mechanisms.find(" XOAUTH2 ") != std::string::npos;
            offered.oauthbearer = mechanisms.find(" OAUTHBEARER ") != std::string::npos;
        }
    }
}

TNMPOP3::Capabilities TNMPOP3::askCapabilitiesWithLogin()
{
    // The connection is as protected as it will be, so nothing the CAPA could say would keep
    // the user name and password back: with a server known to pipeline they go in its write.
    // Whatever the CAPA says now, their replies are read in order after it.
    if (PipeliningRemembered && UsePipelining && SignIn == Pop3SignIn::Password)
        sendLoginAhead(true);
    return askCapabilities();
}

void TNMPOP3::sendLoginAhead(bool withCapa)
{
    std::string text;
    // Built in place and reserved whole, so no growth leaves a copy of the password behind unwiped.
    std::size_t size = UserID.size() + Password.size() + 30;
    for (const std::string &command : CommandsAfterLogin)
        size += command.size() + 2;
    text.reserve(size);
    std::vector<std::string> lines;
    lines.reserve(4 + CommandsAfterLogin.size());  // never moved: the password is wiped in place
    if (withCapa) {
        text.append("CAPA\r\n");
        lines.emplace_back("CAPA");
    }
    text.append("USER ").append(UserID).append("\r\nPASS ").append(Password).append("\r\nSTAT\r\n");
    lines.emplace_back("USER " + UserID);
    std::string &pass = lines.emplace_back();
    pass.reserve(Password.size() + 5);
    pass.append("PASS ").append(Password);
    lines.emplace_back("STAT");
    for (const std::string &command : CommandsAfterLogin) {
        text.append(command).append("\r\n");
        lines.push_back(command);
    }
    ScopeExit wipe([&] {
        wipeSecret(text);
        for (std::string &line : lines)
            wipeSecret(line);
    });
    protection_.credentialsSent = true;
    sendAhead(text, lines);
}

void TNMPOP3::upgradeWithStls()
{
    const Capabilities offered = askCapabilities();
    if (!offered.stls) {
        if (Security == Pop3Security::StartTls)
            throw EProtectionMissing(
                "The server does not offer STLS: the user name and password were not sent");
        if (TlsSpokenBefore)
            throw EProtectionMissing(Host + " no longer offers encryption; the password was not "
                                            "sent. If the server changed, choose \"None\" in "
                                            "Security.");
        refuseTokenWithoutTls();
        // Automatic: the server can only be spoken to in plain text.
        ReportStatus(1, "Password sent without encryption");
        fire(OnPlainLogin, this);
        pipelining_ = offered.pipelining;
        return;
    }
    // Once the server has offered STLS, a refusal or a failed upgrade ends the attempt: falling
    // back to plain text would let anyone on the path strip the protection.
    const std::string reply = command("STLS");
    if (reply.empty())
        throw Exception(std::string("The server refused STLS: ") + closedByServer);
    if (!pop3ReplyIsOk(reply))
        refuse("STLS", reply, "The server refused STLS: " + withoutLineEnd(reply));
    // The server speaks first in no TLS handshake: bytes after its "+OK" were put on the path
    // before the protection (by the server or by someone between), and reading them as a reply
    // of the protected session would let them answer our next command. The session ends.
    if (DataAvailable())
        endOutOfStep();
    StartTls();
    protection_.upgraded = true;
    // What the server announced before the protection may have been forged on the way: ask again.
    pipelining_ = askCapabilitiesWithLogin().pipelining;
}

void TNMPOP3::Disconnect()
{
    if (!Connected())
        return;
    // A connection the QUIT found closed or out of step is closed already.
    ScopeExit close([this] {
        if (Connected())
            TPowersock::Disconnect();
    });
    const std::string reply = command("QUIT");
    if (!pop3ReplyContainsOk(reply))
        refuse("QUIT", reply);
}

bool TNMPOP3::DisconnectWithoutWaiting()
{
    // Replies still on their way, or bytes nobody asked for, are left to Disconnect's checks.
    if (!Connected() || deletionsSent_ || !inFlight_.empty() || DataAvailable())
        return false;
    try {
        Write("QUIT\r\n");
    } catch (const ESockError &) {
    }
    if (Connected())
        TPowersock::Disconnect();
    return true;
}

void TNMPOP3::Abort()
{
    ReportStatus(8, "Abort");
    Cancel();
    if (Connected()) {
        TPowersock::Disconnect();
        ClearInput();
    }
    forgetInFlight();
}

}  // namespace kestrix
