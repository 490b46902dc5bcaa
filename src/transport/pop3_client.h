#pragma once
// TNMPOP3: the POP3 client the program drives. It logs in with USER/PASS, reads the message
// count (STAT), the header and size of one message (TOP n 0, LIST n), its unique id (UIDL n),
// deletes (DELE n) and quits (QUIT). Every operation blocks in the manner of TPowersock, so the
// event loop keeps running while the server is slow; failures are exceptions, a server's
// refusal an EPop3Refusal (pop3_refusal.h) whose message is the reply line (CR LF included) and
// which names the command, the response code and what the refusal means. The client never ends
// a session because of a refusal on its own: the caller decides. Every reply line read is
// reported as a status text at level 1 (for the user only; nothing decides on it).
//
// Busy: an operation started from an event handler while another one waits for the server
// (FetchSummary, FetchUniqueId, DeleteMessage) returns at once without sending anything, so
// commands never interleave on the wire.
//
// Typical use:
//   TNMPOP3 pop;
//   pop.Host = "127.0.0.1"; pop.Port = 110; pop.TimeOut = 20000;
//   pop.UserID = "joe"; pop.Password = "secret";
//   pop.Connect();                         // greeting, USER, PASS, STAT
//   for (int n = 1; n <= pop.MessageCount(); ++n) {
//       pop.FetchSummary(n);               // TOP n 0, LIST n -> pop.Summary
//       std::string uid = pop.FetchUniqueId(n);  // the id followed by CR LF
//   }
//   pop.Disconnect();                      // QUIT

#include "transport/ex_string_list.h"
#include "transport/pop3_refusal.h"
#include "transport/pop3_sasl.h"
#include "transport/powersock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// How a connection is protected:
//   Auto      port 995: TLS from the first byte; else CAPA, and STLS when the server lists it,
//             plain otherwise (reported as "Password sent without encryption") unless
//             TlsSpokenBefore: then the connect ends before the login (EProtectionMissing);
//   Tls       TLS from the first byte on any port;
//   StartTls  STLS required: no USER or PASS is sent unless the upgrade succeeded;
//   None      plain, never STLS (CAPA is still asked: it tells PIPELINING).
// Once a server has listed STLS, a refusal or a failed upgrade ends the connect: there is no
// fall-back to plain text.
enum class Pop3Security { Auto, Tls, StartTls, None };

class TNMPOP3 : public TPowersock {
public:
    explicit TNMPOP3(std::unique_ptr<Stream> stream = nullptr);
    ~TNMPOP3() override;

    // Settings.
    std::string UserID;
    std::string Password;
    bool DeleteOnRead = false;  // send DELE after a retrieval
    Pop3Security Security = Pop3Security::None;
    // The profile has spoken TLS with this server before: under Auto a server that offers no
    // STLS now is refused before the user name goes out (someone may have stripped it).
    bool TlsSpokenBefore = false;
    // USER/PASS, or AUTH with AccessToken (pop3_sasl.h), which goes only over TLS: with Security
    // None the connect is refused before anything is sent. The token lives in memory only.
    Pop3SignIn SignIn = Pop3SignIn::Password;
    std::string AccessToken;
    // Off: every command waits for its reply even where the server lists PIPELINING (for a
    // server that lists it and mishandles it, and to compare both ways of talking).
    bool UsePipelining = true;
    // The server listed PIPELINING at an earlier login (the profile remembers it): once the
    // connection is as protected as it will be (TLS from the first byte, after STLS, or
    // "None"), USER, PASS and STAT go out in one write with the CAPA, a round trip fewer. A
    // CAPA that no longer lists it changes nothing but the rest of the session.
    bool PipeliningRemembered = false;
    // Commands whose replies do not depend on the message count (the "UIDL" listing a walk back
    // to the resume mark reads first, say), sent in the login's write where the server
    // pipelines; their replies wait for the operation that asks for them, and are read unseen
    // by the next command otherwise (so only single-line replies and the "UIDL" and "LIST"
    // listings). Without pipelining nothing is sent ahead.
    std::vector<std::string> CommandsAfterLogin;

    // Events. OnConnect fires after the login (also when STAT then fails); the socket-level
    // connect event of TPowersock stays reachable as TPowersock::OnConnect.
    TNotifyEvent OnConnect;
    THandlerEvent OnAuthenticationNeeded;  // UserID or Password empty at Connect
    THandlerEvent OnAuthenticationFailed;  // USER or PASS refused: may correct them once
    THandlerEvent OnTokenRefused;          // AccessToken refused: may set a fresh one, tried once
    TNotifyEvent OnRetrieveStart;          // around FetchSummary (and message retrieval)
    TNotifyEvent OnRetrieveEnd;
    TNotifyEvent OnSuccess;                // DeleteMessage done
    TNotifyEvent OnFailure;                // DeleteMessage or FetchUniqueId refused
    TNotifyEvent OnPlainLogin;             // Auto found no STLS: the password goes unprotected

    // Run-time state.
    std::int32_t MessageCount() const { return messageCount_; }  // from the last STAT
    TSummary Summary;                                            // from the last FetchSummary
    bool Busy() const { return busy_; }
    // The server's CAPA listed PIPELINING (asked at every connect, after any upgrade) and
    // UsePipelining is on: a Pop3Batch then sends its commands ahead.
    bool Pipelining() const { return pipelining_; }
    // Whether the last CAPA of the session listed PIPELINING (a refused CAPA lists nothing);
    // empty while no CAPA was answered. What a profile remembers for its next login.
    std::optional<bool> PipeliningListed() const
    {
        return capabilities_.asked ? std::optional<bool>(capabilities_.pipelining) : std::nullopt;
    }

    // TLS or STLS as Security says, greeting, USER, PASS, STAT. A refused login raises an
    // EPop3Refusal "Authentication failed" (after QUIT) whose reason tells a wrong password from a
    // mailbox in use, a server fault or a server that wants TLS; any other refusal raises the
    // reply line; "Unexpected reply to STAT: ..." when the STAT reply is not "+OK count size".
    // A CAPA the server refuses means no capabilities: the login goes on.
    void Connect() override;
    // QUIT (only while connected), then the socket is closed in every case.
    void Disconnect() override;
    // Where no DELE went out in this session: QUIT is written and the connection closed without
    // waiting for the reply (the server has nothing to carry out, so its answer decides
    // nothing), and true. Otherwise nothing happens and false: Disconnect then waits for the
    // QUIT that carries the deletions out.
    bool DisconnectWithoutWaiting();
    // Cancels the waiting operation and drops the connection without QUIT: deletions are not
    // carried out.
    void Abort() override;

    // TOP n 0 then LIST n: fills Summary. A refused LIST is a refusal; a LIST reply without a
    // size is a conversion error.
    void FetchSummary(std::int32_t n);
    // UIDL n: the third field of the reply, i.e. the unique id followed by the reply's CR LF.
    std::string FetchUniqueId(std::int32_t n);
    // UIDL without a number (pop3_unique_ids.cpp): every message's number and unique id, in the
    // server's order; each id followed by its line end, as FetchUniqueId gives it (number 0 for
    // a line without a valid one).
    struct UniqueId {
        std::int32_t number;
        std::string id;
    };
    std::vector<UniqueId> FetchUniqueIds();
    // DELE n: the message is removed when the server receives QUIT.
    void DeleteMessage(std::int32_t n);
    // RSET: every DELE of this session is undone (a refusal is an EPop3Refusal).
    void UndoDeletions();

    // RETR n (pop3_retrieve.cpp): the whole message as the server sends it, dot-unstuffed and
    // without line ends. The client only reads it: splitting it into text and stored parts is
    // the message content's job (mime/message_content.h). Events: OnRetrieveStart and
    // OnRetrieveEnd around it; status text "Message Retrieved".
    struct RetrievedMessage {
        std::vector<std::string> header;  // up to and with the empty line that ends it, if any
        std::vector<std::string> body;
    };
    RetrievedMessage FetchMessage(std::int32_t n);

private:
    friend class Pop3Batch;

    // Transaction, after making sure no reply is waiting that no command asked for: such bytes
    // mean the dialogue is out of step, and the session ends with "Unexpected data from the
    // server" (no QUIT). A command sent ahead by a batch is not sent again: its reply is the
    // next one on the wire (the check is off inside a batch, where replies wait by design).
    // Replies of commands sent ahead that this one passes over are read and dropped unseen.
    std::string command(const std::string &text);
    std::string received(const std::function<std::string()> &read);
    void sendAhead(const std::string &text, const std::vector<std::string> &commands);
    // A batch's commands (pop3_batch.cpp) go out as the socket takes them, never in a write
    // that waits: the server may be waiting for us to read its replies before it reads on. Their
    // bytes not sent yet are the last ones of the commands in flight (unsent_).
    void queueAhead(const std::string &text, const std::string *commands, std::size_t count);
    // Sends what the socket takes of unsent_ now.
    void sendQueued();
    // Before a reply is read: queued bytes go out while the reply is not there yet (a server
    // may answer only once it has read more commands).
    void sendBeforeReply();
    void sendUnsent(std::size_t (TPowersock::*send)(const char *, std::size_t));
    // Takes back the commands in flight none of whose bytes went out.
    void withdrawUnsent();
    void skipRepliesBefore(const std::string &text);
    void skipReply(const std::string &sent);
    void forgetInFlight();
    // Takes the oldest command in flight off the list (a password in it is wiped).
    void dropFirstInFlight();
    // The bodies of FetchSummary, FetchUniqueId and DeleteMessage (pop3_message_commands.cpp),
    // without the Busy rule (a batch holds it).
    void fetchSummary(std::int32_t n);
    std::string fetchUniqueId(std::int32_t n);
    void deleteMessage(std::int32_t n);  // with OnSuccess
    RetrievedMessage fetchMessage(std::int32_t n);  // FetchMessage's body
    void deleteMessageCommand(std::int32_t n);
    [[noreturn]] void endOutOfStep();
    // ReadLn; a closed or failed connection ends the session on the spot.
    std::string readLine();
    void dropLostConnection();
    struct Capabilities {
        bool asked = false;     // CAPA got a reply, "+OK" or not
        bool answered = false;  // CAPA got "+OK" and its list
        bool stls = false;
        bool pipelining = false;
        bool top = false;
        bool uidl = false;
        bool xoauth2 = false;  // named on the SASL line
        bool oauthbearer = false;
    };
    Capabilities askCapabilities();
    // askCapabilities, with the login in the same write where PipeliningRemembered allows it.
    Capabilities askCapabilitiesWithLogin();
    // USER, PASS and STAT (after a CAPA where withCapa) sent ahead in one write.
    void sendLoginAhead(bool withCapa);
    void upgradeWithStls();
    // The token sign-in (pop3_sasl.cpp): checked before connecting, then AUTH after CAPA.
    void checkTokenSignIn() const;
    void refuseTokenWithoutTls() const;
    void signInWithToken();
    // The refusal of a command (its word: "TOP", "USER", ...) for this reply; a missing reply is
    // a closed connection instead.
    [[noreturn]] void refuse(const std::string &commandWord, const std::string &reply,
                             const std::string &message = {});

    Capabilities capabilities_;  // from the last CAPA of this session

    std::int32_t messageCount_ = 0;
    bool busy_ = false;
    bool pipelining_ = false;
    bool deletionsSent_ = false;  // a DELE went out since the login or the last RSET
    std::deque<std::string> inFlight_;  // commands sent ahead, oldest first, without CR LF
    std::size_t bytesInFlight_ = 0;
    std::string unsent_;
};

// Reply tests of the client. The first word of a reply is its text before the first blank; a
// reply without a blank is its own first word, line end included.
std::string pop3FirstWord(const std::string &reply);
bool pop3ReplyContainsOk(const std::string &reply);  // first word contains "+OK"
bool pop3ReplyIsOk(const std::string &reply);        // first word is exactly "+OK"
bool pop3ReplyIsErr(const std::string &reply);       // first word is exactly "-ERR"
// The index-th (1-based) blank-separated field of a reply, as received; "" when missing.
std::string pop3Field(const std::string &reply, int index);

}  // namespace kestrix
