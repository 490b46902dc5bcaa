#pragma once
// Pop3Batch: a run of POP3 commands as one operation of the client, e.g. the header download's
// TOP n 0, LIST n and UIDL n over a range of messages, or a deletion's UIDL checks and DELEs.
// When the server listed PIPELINING, the commands still to come go out ahead without waiting:
// a sliding window, topped up while the replies arrive, bounded by the bytes of the commands
// whose replies have not been read. The replies are read in order, on the one thread, by the
// client's one reader; otherwise each command waits for its reply as usual. Either way the
// caller sees the same replies, status texts and failures as with FetchSummary, FetchUniqueId
// and DeleteMessage, command by command.
//
// While a batch lives the client is busy for everyone else (the Busy rule: an operation started
// from an event handler meanwhile does nothing), and a command sent ahead that the caller then
// skips (after a failed LIST, say) has its reply read and dropped unseen; so have the replies
// still on their way when the batch ends. So a caller may stop at any point.
//
// A QUIT as the last of the commands goes out with the others where the server pipelines (a
// deletion's DELEs and the QUIT that carries them out then cost one round trip); its reply is
// never read by the batch but left to Disconnect. Without pipelining it is not sent at all.
//
//   Pop3Batch batch(pop, first, last);
//   for (int n = first; n <= last; ++n) {
//       batch.fetchSummary(n);            // pop.Summary
//       std::string uid = batch.fetchUniqueId(n);
//   }
//
//   Pop3Batch checks(pop, {"UIDL 7", "UIDL 3"});   // any commands, in the order asked for
//   std::string uid = checks.fetchUniqueId(7); ...

#include "transport/pop3_client.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

class Pop3Batch {
public:
    // At most this many bytes of commands wait for their replies: some 8,000 messages' worth,
    // more than a server answers in a 30 ms round trip. The commands never go out in a write
    // that waits (the server stops reading while its replies wait for us): what the socket
    // does not take stays queued, so the socket buffers between us set the pace, and only the
    // command whose reply is read next is waited for.
    static constexpr std::size_t windowBytes = 256 * 1024;
    // How often (in commands asked for) queued bytes the socket did not take are offered again
    // while the window is full.
    static constexpr unsigned retryEvery = 32;

    // The header download of messages first..last. Throws EBusyError when the client is busy
    // with another operation.
    Pop3Batch(TNMPOP3 &client, std::int32_t first, std::int32_t last);
    // These commands (without CR LF), in the order the caller will ask for them.
    Pop3Batch(TNMPOP3 &client, std::vector<std::string> commands);
    // These commands first, then the header download of messages first..last.
    Pop3Batch(TNMPOP3 &client, std::vector<std::string> commands, std::int32_t first,
              std::int32_t last);
    ~Pop3Batch();
    Pop3Batch(const Pop3Batch &) = delete;
    Pop3Batch &operator=(const Pop3Batch &) = delete;

    // As TNMPOP3::FetchSummary, FetchUniqueId and DeleteMessage for message n.
    void fetchSummary(std::int32_t n);
    std::string fetchUniqueId(std::int32_t n);
    void deleteMessage(std::int32_t n);
    // As TNMPOP3::FetchMessage: RETR n, e.g. the copy a deletion keeps before its DELE.
    TNMPOP3::RetrievedMessage fetchMessage(std::int32_t n);

    // After a refusal the commands already written still count (the server carries out at QUIT
    // every DELE it acknowledged), but one at a time none after it would have gone out:
    // stopSending() keeps the rest back (also what waits queued for the socket), and
    // repliesOwed() tells whether a command written ahead still waits for its reply, which the
    // next call, in the order sent, then reads (a QUIT sent ahead is not counted: its reply is
    // Disconnect's).
    void stopSending();
    bool repliesOwed() const;

private:
    // The last command in flight is a QUIT this batch sent ahead.
    bool quitAhead() const;
    // Tops the window up with the commands not sent yet, once a quarter of it is free (so the
    // commands go out in few large writes, not one per reply); else offers the queued bytes
    // to the socket again, every retryEvery calls.
    void sendAhead();
    // The next command not sent yet into line; false when there is none.
    bool nextCommand(std::string &line);

    TNMPOP3 &client_;
    // The header download: messages next_..last_, the command of each message next to go out.
    std::int32_t next_ = 1;
    std::int32_t last_ = 0;
    int step_ = 0;
    // Other commands, from nextListed_ on still to go out.
    std::vector<std::string> listed_;
    std::size_t nextListed_ = 0;
    bool wasBusy_;
    bool stopped_ = false;
    unsigned sinceSend_ = 0;
    // What sendAhead hands the client, kept from call to call for their storage: the commands'
    // text, and the commands themselves (those past the ones handed over are spare).
    std::string text_;
    std::vector<std::string> sent_;
};

}  // namespace kestrix
