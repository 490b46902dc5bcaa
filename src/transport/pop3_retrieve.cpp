// FetchMessage: one whole message with RETR, read line by line from the connection and handed
// over as lines; the client never writes it anywhere.
#include "transport/pop3_client.h"
#include "text/line_end.h"

namespace kestrix {

namespace {

const char *const closedByServer = "Connection closed by server";

// Bounds of one retrieval: a header as FetchSummary allows it, a body far beyond any mail a
// server accepts (tens of megabytes). A server that goes on past them is stopped instead of
// filling the memory.
constexpr std::size_t maxHeaderBytes = 1024 * 1024;
constexpr std::size_t maxHeaderLines = 20000;
constexpr std::size_t maxBodyBytes = 512u * 1024 * 1024;
constexpr std::size_t maxBodyLines = 8u * 1024 * 1024;

}  // namespace

TNMPOP3::RetrievedMessage TNMPOP3::FetchMessage(std::int32_t n)
{
    if (busy_)
        return {};
    busy_ = true;
    struct ClearBusy {
        bool &busy;
        ~ClearBusy() { busy = false; }
    } clearBusy{busy_};
    return fetchMessage(n);
}

TNMPOP3::RetrievedMessage TNMPOP3::fetchMessage(std::int32_t n)
{
    RetrievedMessage message;
    CheckConnection();
    if (OnRetrieveStart)
        OnRetrieveStart(this);
    struct RetrieveEnd {
        TNMPOP3 &client;
        ~RetrieveEnd()
        {
            try {
                if (client.OnRetrieveEnd)
                    client.OnRetrieveEnd(&client);
            } catch (...) {
            }
        }
    } retrieveEnd{*this};

    const std::string reply = command("RETR " + std::to_string(n));
    if (!pop3ReplyContainsOk(reply))
        refuse("RETR", reply);

    std::size_t bytes = 0;
    // The next line of the message, line end removed and dot-unstuffed; false at the final ".".
    auto nextLine = [&](std::string &line, std::size_t maxBytes, std::size_t lines, std::size_t maxLines) {
        const std::string received = readLine();
        if (received.empty())
            throw ESockError(closedByServer);
        bytes += received.size();
        if (bytes > maxBytes || lines >= maxLines) {
            // The rest cannot be skipped safely (it may never end): drop the connection, so no
            // later command takes its lines for replies.
            TPowersock::Disconnect();
            throw Exception(std::string(maxBytes == maxHeaderBytes ? "Header" : "Message")
                            + " too long: more than "
                            + (bytes > maxBytes ? std::to_string(maxBytes) + " bytes"
                                                : std::to_string(maxLines) + " lines"));
        }
        line = withoutLineEnd(received);
        if (line == ".")
            return false;
        if (!line.empty() && line[0] == '.')
            line.erase(0, 1);  // the server doubled a leading dot
        return true;
    };

    // The header, up to and with its empty line; a message without one ends at the final ".".
    bool ended = false;
    std::string line;
    for (;;) {
        if (!nextLine(line, maxHeaderBytes, message.header.size(), maxHeaderLines)) {
            ended = true;
            break;
        }
        const bool last = line.empty();
        message.header.push_back(std::move(line));
        if (last)
            break;
    }

    bytes = 0;
    while (!ended) {
        if (!nextLine(line, maxBodyBytes, message.body.size(), maxBodyLines))
            break;
        message.body.push_back(std::move(line));
    }

    if (DeleteOnRead) {
        const std::string dele = command("DELE " + std::to_string(n));
        if (pop3ReplyIsErr(dele))
            refuse("DELE", dele);
    }
    ReportStatus(1, "Message Retrieved");
    return message;
}

}  // namespace kestrix
