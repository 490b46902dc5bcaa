#include "raw_pop3_pipeline.h"

#include "transport/stream.h"
#include "transport/tls_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <stdexcept>

namespace kestrix::bench {

namespace {

void waitOn(const Stream &stream, Stream::Readiness want)
{
    const Stream::Readiness need = stream.waitFor(want);
    pollfd fd{stream.handle(), short((need.read ? POLLIN : 0) | (need.write ? POLLOUT : 0)), 0};
    if (::poll(&fd, 1, 60000) <= 0)
        throw std::runtime_error("raw client: no progress for 60 s");
}

std::unique_ptr<Stream> connectTo(int port, bool tls)
{
    std::unique_ptr<Stream> stream = std::make_unique<TcpStream>();
    if (stream->open(false) != 0)
        throw std::runtime_error("raw client: no socket");
    int result = stream->startConnect(htonl(INADDR_LOOPBACK), htons(std::uint16_t(port)));
    if (result == -EINPROGRESS) {
        waitOn(*stream, {false, true});
        result = -stream->connectResult();
    }
    if (result != 0)
        throw std::runtime_error("raw client: cannot connect");
    if (!tls)
        return stream;
    auto secured = std::make_unique<TlsStream>(std::move(stream), "127.0.0.1");
    while ((result = secured->handshake()) == -EAGAIN)
        waitOn(*secured, {true, false});
    if (result != 0)
        throw std::runtime_error("raw client: handshake failed: " + secured->error());
    return secured;
}

// Counts whole replies in the bytes as they arrive.
class ReplyCounter {
public:
    explicit ReplyCounter(const std::vector<RawCommand> &commands) : commands_(commands) {}

    bool greeted() const { return greeted_; }
    bool done() const { return greeted_ && next_ == commands_.size(); }

    void take(const char *data, std::size_t size)
    {
        pending_.append(data, size);
        std::size_t start = 0;
        for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1)
            line(std::string_view(pending_).substr(start, end + 1 - start));
        pending_.erase(0, start);
    }

private:
    void line(std::string_view text)
    {
        if (!greeted_) {
            greeted_ = true;
        } else if (inMultiLine_) {
            if (text == ".\r\n") {
                inMultiLine_ = false;
                ++next_;
            }
        } else if (next_ < commands_.size()) {
            if (commands_[next_].multiLine && text.substr(0, 3) == "+OK")
                inMultiLine_ = true;
            else
                ++next_;
        }
    }

    const std::vector<RawCommand> &commands_;
    std::string pending_;
    std::size_t next_ = 0;
    bool greeted_ = false;
    bool inMultiLine_ = false;
};

}  // namespace

std::vector<RawCommand> rawLogin(const std::string &user, const std::string &password)
{
    return {{"USER " + user, false}, {"PASS " + password, false}, {"STAT", false}};
}

void addRawHeaderFetch(std::vector<RawCommand> &commands, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const std::string number = std::to_string(n);
        commands.push_back({"TOP " + number + " 0", true});
        commands.push_back({"LIST " + number, false});
        commands.push_back({"UIDL " + number, false});
    }
}

double rawPipelinedSeconds(int port, bool tls, const std::vector<RawCommand> &commands)
{
    const auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<Stream> stream = connectTo(port, tls);
    std::string out;
    for (const RawCommand &command : commands)
        out += command.line + "\r\n";
    ReplyCounter replies(commands);
    std::size_t sent = 0;
    std::string in(65536, '\0');
    while (!replies.done()) {
        bool progress = false;
        // The commands go out once the greeting is there, as fast as the socket takes them.
        const bool writing = replies.greeted() && sent < out.size();
        if (writing) {
            const long n = stream->send(out.data() + sent, std::min<std::size_t>(out.size() - sent, 16384));
            if (n > 0) {
                sent += std::size_t(n);
                progress = true;
            } else if (n != -EAGAIN) {
                throw std::runtime_error("raw client: send failed");
            }
        }
        const long n = stream->recv(in.data(), in.size());
        if (n > 0) {
            replies.take(in.data(), std::size_t(n));
            progress = true;
        } else if (n == 0 || n != -EAGAIN) {
            throw std::runtime_error("raw client: the server closed early");
        }
        if (!progress)
            waitOn(*stream, {true, writing});
    }
    stream->close();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace kestrix::bench
