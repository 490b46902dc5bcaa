// The pipelined batch, and the client's bookkeeping of the commands it sent ahead.
#include "transport/pop3_batch.h"

#include "text/secret_text.h"
#include "transport/pop3_client.h"
#include "transport/pop3_command_text.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <utility>

namespace kestrix {

Pop3Batch::Pop3Batch(TNMPOP3 &client, std::int32_t first, std::int32_t last)
    : client_(client), next_(first), last_(last), wasBusy_(client.busy_)
{
    if (client.busy_)
        throw EBusyError("The POP3 client is busy");
    client_.busy_ = true;
}

Pop3Batch::Pop3Batch(TNMPOP3 &client, std::vector<std::string> commands)
    : Pop3Batch(client, std::move(commands), 1, 0)
{
}

Pop3Batch::Pop3Batch(TNMPOP3 &client, std::vector<std::string> commands, std::int32_t first,
                     std::int32_t last)
    : client_(client), next_(first), last_(last), listed_(std::move(commands)),
      wasBusy_(client.busy_)
{
    if (client.busy_)
        throw EBusyError("The POP3 client is busy");
    client_.busy_ = true;
}

Pop3Batch::~Pop3Batch()
{
    // Replies of commands sent ahead for messages the caller did not come to are read here, so
    // no later operation of the session (one that writes its own commands) takes them for its
    // own. A failure doing so has closed the connection already. A QUIT sent ahead stays in
    // flight: its reply is the next one on the wire, read by Disconnect. Commands still queued
    // whole never go out (a QUIT among them is then sent by Disconnect).
    client_.withdrawUnsent();
    const bool quit = quitAhead();
    try {
        if (client_.Connected())
            client_.skipRepliesBefore(quit ? std::string("QUIT") : std::string());
    } catch (...) {
    }
    if (!quit || !client_.Connected())
        client_.forgetInFlight();
    client_.busy_ = wasBusy_;
}

void Pop3Batch::fetchSummary(std::int32_t n)
{
    sendAhead();
    client_.fetchSummary(n);
}

std::string Pop3Batch::fetchUniqueId(std::int32_t n)
{
    sendAhead();
    return client_.fetchUniqueId(n);
}

void Pop3Batch::deleteMessage(std::int32_t n)
{
    sendAhead();
    client_.deleteMessage(n);
}

TNMPOP3::RetrievedMessage Pop3Batch::fetchMessage(std::int32_t n)
{
    sendAhead();
    return client_.fetchMessage(n);
}

bool Pop3Batch::repliesOwed() const
{
    return client_.Connected() && client_.inFlight_.size() > (quitAhead() ? 1u : 0u);
}

bool Pop3Batch::quitAhead() const
{
    return !client_.inFlight_.empty() && client_.inFlight_.back() == "QUIT";
}

bool Pop3Batch::nextCommand(std::string &line)
{
    if (nextListed_ < listed_.size()) {
        line = std::move(listed_[nextListed_++]);
        return true;
    }
    if (next_ > last_)
        return false;
    static constexpr std::string_view words[] = {"TOP ", "LIST ", "UIDL "};
    messageCommand(line, words[step_], next_, step_ == 0 ? " 0" : "");
    if (++step_ == 3) {
        step_ = 0;
        ++next_;
    }
    return true;
}

void Pop3Batch::stopSending()
{
    stopped_ = true;
    client_.withdrawUnsent();
}

void Pop3Batch::sendAhead()
{
    if (stopped_ || !client_.pipelining_ || !client_.Connected())
        return;
    std::size_t bytes = client_.bytesInFlight_;
    // The text and the list are kept from call to call, so their storage is reused.
    text_.clear();
    std::size_t count = 0;
    if (client_.inFlight_.empty() || bytes + windowBytes / 4 <= windowBytes) {
        for (;;) {
            if (count == sent_.size())
                sent_.emplace_back();
            if (bytes >= windowBytes || !nextCommand(sent_[count]))
                break;
            const std::string &line = sent_[count++];
            bytes += line.size() + 2;
            text_.append(line).append("\r\n");
        }
    }
    if (count > 0)
        client_.queueAhead(text_, sent_.data(), count);
    else if (!client_.unsent_.empty() && ++sinceSend_ % retryEvery == 0)
        client_.sendQueued();
}

// --- the client's side: commands in flight -----------------------------------------------------

void TNMPOP3::sendAhead(const std::string &text, const std::vector<std::string> &commands)
{
    // The first commands of a batch go out under the same check as any command.
    if (inFlight_.empty() && Connected() && DataAvailable())
        endOutOfStep();
    try {
        Write(text);
    } catch (const ESockError &) {
        forgetInFlight();
        dropLostConnection();
        throw;
    }
    for (const std::string &sent : commands) {
        deletionsSent_ = deletionsSent_ || sent.compare(0, 5, "DELE ") == 0;
        inFlight_.push_back(sent);
        bytesInFlight_ += sent.size() + 2;
    }
}

void TNMPOP3::queueAhead(const std::string &text, const std::string *commands, std::size_t count)
{
    if (inFlight_.empty() && Connected() && DataAvailable())
        endOutOfStep();
    for (const std::string &sent : std::span(commands, count)) {
        deletionsSent_ = deletionsSent_ || sent.compare(0, 5, "DELE ") == 0;
        inFlight_.push_back(sent);
        bytesInFlight_ += sent.size() + 2;
    }
    unsent_ += text;
    sendQueued();
}

void TNMPOP3::sendQueued()
{
    sendUnsent(&TNMPOP3::SendWithoutWaiting);
}

// A lost connection ends what is in flight: no reply to it will come.
void TNMPOP3::sendUnsent(std::size_t (TPowersock::*send)(const char *, std::size_t))
{
    try {
        unsent_.erase(0, (this->*send)(unsent_.data(), unsent_.size()));
    } catch (const ESockError &) {
        forgetInFlight();
        dropLostConnection();
        throw;
    }
}

void TNMPOP3::sendBeforeReply()
{
    if (unsent_.empty())
        return;
    sendUnsent(&TNMPOP3::SendUntilInput);
    // A reply there before its command went out whole answers no command of ours.
    const bool frontSent = bytesInFlight_ - unsent_.size() >= inFlight_.front().size() + 2;
    if (!frontSent && Connected() && DataAvailable())
        endOutOfStep();
}

void TNMPOP3::withdrawUnsent()
{
    while (!inFlight_.empty() && unsent_.size() >= inFlight_.back().size() + 2) {
        const std::size_t size = inFlight_.back().size() + 2;
        unsent_.resize(unsent_.size() - size);
        bytesInFlight_ -= size;
        inFlight_.pop_back();
    }
}

void TNMPOP3::skipRepliesBefore(const std::string &text)
{
    if (!inFlight_.empty() && inFlight_.front() == text)
        return;  // the usual case: the caller asks in the order sent
    const bool queued = std::find(inFlight_.begin(), inFlight_.end(), text) != inFlight_.end();
    if (!queued)
        withdrawUnsent();  // sent now, they would only be skipped
    while (!inFlight_.empty() && !(queued && inFlight_.front() == text)) {
        // What is skipped depends on the command word alone (no password copy needed).
        const std::string sent = inFlight_.front().substr(0, 5);
        sendBeforeReply();
        dropFirstInFlight();
        skipReply(sent);
        if (!Connected())
            forgetInFlight();
    }
}

void TNMPOP3::forgetInFlight()
{
    while (!inFlight_.empty())
        dropFirstInFlight();
    bytesInFlight_ = 0;
    unsent_.clear();
}

void TNMPOP3::dropFirstInFlight()
{
    std::string &first = inFlight_.front();
    bytesInFlight_ -= first.size() + 2;
    if (first.compare(0, 5, "PASS ") == 0)
        wipeSecret(first);
    inFlight_.pop_front();
}

}  // namespace kestrix
