// FetchMessage: one whole message with RETR, read line by line from the connection, then split
// into the text shown and the parts stored as files (mime_extractor.cpp).
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

void TNMPOP3::FetchMessage(std::int32_t n)
{
    if (busy_)
        return;
    busy_ = true;
    struct ClearBusy {
        bool &busy;
        ~ClearBusy() { busy = false; }
    } clearBusy{busy_};

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

    TMailMessage &message = CurrentMessage;
    mime_.TransferEncoding.clear();
    mime_.PartFileName.clear();
    mime_.ExtractMode = 2;
    message.Boundary.clear();
    mime_.AttachFilePath = attachFilePath_;
    mime_.OnStatus = [this](std::uint8_t level, const std::string &text) { ReportStatus(level, text); };
    mime_.OnDecodeStart = OnDecodeStart;
    mime_.OnPartLine = [this] {
        ++bytesRecvdRef();
        if (OnPacketRecvd)
            OnPacketRecvd(this);
    };

    const std::string reply = command("RETR " + std::to_string(n));
    if (!pop3ReplyContainsOk(reply))
        refuse("RETR", reply);
    mime_.Reset();
    bytesRecvdRef() = 0;

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

    // The header, up to its empty line; a message without one ends at the final ".".
    bool ended = false;
    std::string line;
    for (;;) {
        if (!nextLine(line, maxHeaderBytes, message.Head.Count(), maxHeaderLines)) {
            ended = true;
            break;
        }
        if (mime_.ParseHeaderLine(line, message))
            break;
    }
    mime_.EndMessageHeader();

    bytes = 0;
    while (!ended) {
        if (!nextLine(line, maxBodyBytes, message.RawLines.size(), maxBodyLines))
            break;
        message.RawLines.push_back(std::move(line));
    }

    mime_.ExtractBody(Parse);

    if (DeleteOnRead) {
        const std::string dele = command("DELE " + std::to_string(n));
        if (pop3ReplyIsErr(dele))
            refuse("DELE", dele);
    }
    ReportStatus(1, "Message Retrieved");
}

}  // namespace kestrix
