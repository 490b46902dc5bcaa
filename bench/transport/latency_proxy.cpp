#include "latency_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <stdexcept>
#include <vector>

namespace kestrix::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes read from one side, with the time they may leave for the other side.
struct Chunk {
    Clock::time_point due;
    std::string bytes;  // empty: the side closed
};

struct Direction {
    int from;
    int to;
    std::deque<Chunk> held;
    bool readClosed = false;
    bool done = false;  // the close was passed on
};

}  // namespace

LatencyProxy::LatencyProxy(std::string targetHost, int targetPort, std::chrono::milliseconds delay)
    : targetHost_(std::move(targetHost)), targetPort_(targetPort), delay_(delay)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 4) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("latency proxy: cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

LatencyProxy::~LatencyProxy()
{
    stopping_ = true;
    thread_.join();
    ::close(listenFd_);
}

void LatencyProxy::run()
{
    while (!stopping_) {
        pollfd waiting{listenFd_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(std::uint16_t(targetPort_));
        ::inet_pton(AF_INET, targetHost_.c_str(), &target.sin_addr);
        if (::connect(server, reinterpret_cast<sockaddr *>(&target), sizeof target) == 0) {
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            relay(client, server);
        }
        ::close(server);
        ::close(client);
    }
}

void LatencyProxy::relay(int client, int server)
{
    Direction directions[2] = {{client, server, {}}, {server, client, {}}};
    std::vector<char> buffer(64 * 1024);
    bool clientSpokeLast = true;  // the client waits for the greeting
    while (!stopping_ && !(directions[0].done && directions[1].done)) {
        // Pass on what is due.
        const Clock::time_point now = Clock::now();
        Clock::time_point next = now + std::chrono::milliseconds(20);
        for (Direction &d : directions) {
            while (!d.held.empty() && d.held.front().due <= now) {
                Chunk &chunk = d.held.front();
                if (chunk.bytes.empty()) {
                    ::shutdown(d.to, SHUT_WR);
                    d.done = true;
                    d.held.pop_front();
                    continue;
                }
                const ssize_t n = ::send(d.to, chunk.bytes.data(), chunk.bytes.size(),
                                         MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                    // The receiver is gone (it closed and reset): what it would have read is
                    // dropped, or this connection never ends and the next one is never
                    // accepted (a TLS client's last record after the server's close, say).
                    d.held.clear();
                    d.done = true;
                    break;
                }
                if (n <= 0)
                    break;  // full: try again at the next pass
                chunk.bytes.erase(0, std::size_t(n));
                if (chunk.bytes.empty())
                    d.held.pop_front();
            }
            if (!d.held.empty() && d.held.front().due < next)
                next = std::max(d.held.front().due, now);
        }
        // Wait for bytes to read, or until the next chunk is due.
        pollfd fds[2];
        int count = 0;
        for (Direction &d : directions) {
            if (!d.readClosed)
                fds[count++] = {d.from, POLLIN, 0};
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now);
        ::poll(fds, nfds_t(count), int(std::max<long>(0, long(wait.count()))) + (count ? 0 : 1));
        const Clock::time_point due = Clock::now() + delay_;
        for (Direction &d : directions) {
            if (d.readClosed)
                continue;
            const ssize_t n = ::recv(d.from, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n > 0) {
                const bool fromClient = &d == &directions[0];
                if (!fromClient && clientSpokeLast)
                    ++roundTrips_;
                clientSpokeLast = fromClient;
                d.held.push_back({due, std::string(buffer.data(), std::size_t(n))});
            } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                d.readClosed = true;
                d.held.push_back({due, std::string()});
            }
        }
    }
}

}  // namespace kestrix::bench
