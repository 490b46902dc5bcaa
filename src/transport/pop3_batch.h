#pragma once
// Pop3Batch: the header download's TOP n 0, LIST n and UIDL n over a range of messages as one
// operation of the POP3 client. When the server listed PIPELINING, the commands of the next
// messages go out ahead without waiting, within a bounded window, and the replies are read in
// order from the session's read-ahead; otherwise each command waits for its reply as usual.
// Either way the caller sees the same replies, status texts and failures as with FetchSummary
// and FetchUniqueId, message by message.
//
// While a batch lives the client is busy for everyone else (the Busy rule: an operation started
// from an event handler meanwhile does nothing), and a command sent ahead that the caller then
// skips (after a failed LIST, say) has its reply read and dropped unseen; so have the replies
// still on their way when the batch ends.
//
//   Pop3Batch batch(pop, first, last);
//   for (int n = first; n <= last; ++n) {
//       batch.fetchSummary(n);            // pop.Summary
//       std::string uid = batch.fetchUniqueId(n);
//   }

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrix {

class TNMPOP3;

class Pop3Batch {
public:
    // At most this many commands, and this many bytes of them, wait for their replies: well
    // within any socket buffer, so neither side blocks writing while the other does not read,
    // and 128 messages a round trip, so a distant server is not waited for message by message.
    static constexpr std::size_t windowCommands = 384;
    static constexpr std::size_t windowBytes = 16 * 1024;

    // Throws EBusyError when the client is busy with another operation.
    Pop3Batch(TNMPOP3 &client, std::int32_t first, std::int32_t last);
    ~Pop3Batch();
    Pop3Batch(const Pop3Batch &) = delete;
    Pop3Batch &operator=(const Pop3Batch &) = delete;

    // As TNMPOP3::FetchSummary and FetchUniqueId for message n of the range.
    void fetchSummary(std::int32_t n);
    std::string fetchUniqueId(std::int32_t n);

private:
    // Tops the window up with the commands of the messages not sent yet.
    void sendAhead();

    TNMPOP3 &client_;
    std::int32_t next_;  // the first message whose commands have not gone out
    std::int32_t last_;
    bool wasBusy_;
};

}  // namespace kestrix
