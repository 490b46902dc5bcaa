// The pipelined batch, and the client's bookkeeping of the commands it sent ahead.
#include "transport/pop3_batch.h"

#include "transport/pop3_client.h"

#include <algorithm>
#include <vector>

namespace kestrix {

Pop3Batch::Pop3Batch(TNMPOP3 &client, std::int32_t first, std::int32_t last)
    : client_(client), next_(first), last_(last), wasBusy_(client.busy_)
{
    if (client.busy_)
        throw EBusyError("The POP3 client is busy");
    client_.busy_ = true;
}

Pop3Batch::~Pop3Batch()
{
    // Replies of commands sent ahead for messages the caller did not come to are read here, so
    // no later operation of the session (one that writes its own commands) takes them for its
    // own. A failure doing so has closed the connection already.
    try {
        if (client_.Connected())
            client_.skipRepliesBefore(std::string());
    } catch (...) {
    }
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

void Pop3Batch::sendAhead()
{
    if (!client_.pipelining_ || !client_.Connected())
        return;
    std::string text;
    std::size_t commands = client_.inFlight_.size();
    std::size_t bytes = client_.bytesInFlight_;
    std::vector<std::string> sent;
    while (next_ <= last_) {
        const std::string number = std::to_string(next_);
        const std::string lines[] = {"TOP " + number + " 0", "LIST " + number, "UIDL " + number};
        std::size_t size = 0;
        for (const std::string &line : lines)
            size += line.size() + 2;
        if (commands + 3 > windowCommands || bytes + size > windowBytes)
            break;
        for (const std::string &line : lines) {
            text += line + "\r\n";
            sent.push_back(line);
        }
        commands += 3;
        bytes += size;
        ++next_;
    }
    if (!sent.empty())
        client_.sendAhead(text, sent);
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
        inFlight_.push_back(sent);
        bytesInFlight_ += sent.size() + 2;
    }
}

void TNMPOP3::skipRepliesBefore(const std::string &text)
{
    const bool queued = std::find(inFlight_.begin(), inFlight_.end(), text) != inFlight_.end();
    while (!inFlight_.empty() && !(queued && inFlight_.front() == text)) {
        const std::string sent = inFlight_.front();
        bytesInFlight_ -= sent.size() + 2;
        inFlight_.pop_front();
        skipReply(sent);
        if (!Connected())
            forgetInFlight();
    }
}

void TNMPOP3::forgetInFlight()
{
    inFlight_.clear();
    bytesInFlight_ = 0;
}

}  // namespace kestrix
