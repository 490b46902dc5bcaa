// The commands on one message: its header and size (TOP n 0, LIST n), its unique id (UIDL n)
// and its deletion (DELE n), each alone or inside a Pop3Batch.
#include "transport/pop3_client.h"

#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_command_text.h"
#include "transport/pop3_reply_rules.h"
#include "transport/scope_exit.h"

#include <limits>
#include <utility>

namespace kestrix {

using namespace pop3_reply;

void TNMPOP3::FetchSummary(std::int32_t n)
{
    if (busy_)
        return;
    busy_ = true;
    ScopeExit clearBusy([this] { busy_ = false; });
    fetchSummary(n);
}

void TNMPOP3::fetchSummary(std::int32_t n)
{
    CheckConnection();
    fire(OnRetrieveStart, this);
    const std::string top = command(messageCommand("TOP ", n, " 0"));
    if (!pop3ReplyContainsOk(top))
        refuse("TOP", top);

    Summary.Header.Clear();
    Summary.Subject.clear();
    Summary.From.clear();
    Summary.MessageId.clear();
    std::size_t headerBytes = 0;
    for (;;) {
        // One string per line, kept: the header list takes it over once its line end is off.
        std::string line = readLine();
        if (line.empty())
            throw ESockError(closedByServer);
        headerBytes += line.size();
        const bool tooManyBytes = headerBytes > maxHeaderBytes;
        if (tooManyBytes || Summary.Header.Count() >= maxHeaderLines) {
            // The rest of the reply cannot be skipped safely (it may never end): drop the
            // connection, so no later command takes its lines for replies. No QUIT either: its
            // answer would be lost among them.
            TPowersock::Disconnect();
            throw Exception("Header too long: more than " +
                            (tooManyBytes ? std::to_string(maxHeaderBytes) + " bytes"
                                          : std::to_string(maxHeaderLines) + " lines"));
        }
        // Exact case, at the first character; a later line of the same name wins. The message
        // id keeps the line end.
        // Assigned in place: the fields keep their storage from message to message.
        if (startsWith(line, "Message-ID:")) {
            if (line.size() > 12)
                Summary.MessageId.assign(line, 12, 256);
            else
                Summary.MessageId.clear();
        }
        line = withoutLineEnd(std::move(line));
        if (startsWith(line, "Subject:"))
            Summary.Subject.assign(line, 8);
        if (startsWith(line, "From:"))
            Summary.From.assign(line, 5);
        const bool last = line == ".";
        Summary.Header.Add(std::move(line));
        if (last)
            break;
    }

    const std::string list = command(messageCommand("LIST ", n));
    if (list.empty())
        throw ESockError(closedByServer);
    if (pop3ReplyIsErr(list))
        refuse("LIST", list);
    const std::string size = trimControls(pop3Field(list, 3));
    const auto bytes = parseDecimal(size);
    if (!bytes || *bytes < std::numeric_limits<std::int32_t>::min() ||
        *bytes > std::numeric_limits<std::int32_t>::max())
        throw EConvertError("'" + size + "' is not a valid integer value");
    Summary.Bytes = std::int32_t(*bytes);

    ReportStatus(1, "Summary Retrieved");
    fire(OnRetrieveEnd, this);
}

std::string TNMPOP3::FetchUniqueId(std::int32_t n)
{
    if (busy_)
        return {};
    busy_ = true;
    ScopeExit clearBusy([this] { busy_ = false; });
    return fetchUniqueId(n);
}

std::string TNMPOP3::fetchUniqueId(std::int32_t n)
{
    CheckConnection();
    const std::string reply = command(messageCommand("UIDL ", n));
    if (!pop3ReplyIsOk(reply)) {
        fire(OnFailure, this);
        refuse("UIDL", reply);
    }
    return pop3Field(reply, 3);
}

void TNMPOP3::DeleteMessage(std::int32_t n)
{
    if (busy_)
        return;
    {
        busy_ = true;
        ScopeExit clearBusy([this] { busy_ = false; });
        deleteMessageCommand(n);
    }
    fire(OnSuccess, this);
}

void TNMPOP3::deleteMessage(std::int32_t n)
{
    deleteMessageCommand(n);
    fire(OnSuccess, this);
}

void TNMPOP3::UndoDeletions()
{
    CheckConnection();
    const std::string reply = command("RSET");
    if (!pop3ReplyContainsOk(reply))
        refuse("RSET", reply);
    deletionsSent_ = false;
}

void TNMPOP3::deleteMessageCommand(std::int32_t n)
{
    CheckConnection();
    const std::string reply = command(messageCommand("DELE ", n));
    // Only a first word of exactly "-ERR" is a refusal; no reply at all is no deletion.
    if (reply.empty() || pop3ReplyIsErr(reply)) {
        fire(OnFailure, this);
        refuse("DELE", reply);
    }
}

}  // namespace kestrix
