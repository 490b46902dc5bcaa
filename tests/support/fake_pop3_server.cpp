#include "support/fake_pop3_server.h"
#include "support/loopback_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrix::test {

namespace {

constexpr int sliceMs = 20;  // how often the server thread looks at its stop flag
constexpr auto lineLimit = std::chrono::seconds(20);

}  // namespace

std::uint16_t unusedLoopbackPort()
{
    std::uint16_t port = 0;
    ::close(listenOnLoopback(port));
    return port;
}

FakePop3Server::FakePop3Server()
{
    listenFd_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
}

void FakePop3Server::shrinkReceiveBuffer(int bytes)
{
    ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

FakePop3Server::~FakePop3Server()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (clientFd_ >= 0)
        ::close(clientFd_);
    ::close(listenFd_);
}

void FakePop3Server::addStep(Step step)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        steps_.push_back(std::move(step));
    }
    changed_.notify_all();
}

void FakePop3Server::send(const std::string &bytes) { addStep({Kind::Send, bytes}); }

void FakePop3Server::sendInPieces(const std::string &bytes, std::size_t pieceSize,
                                  std::chrono::milliseconds pauseBetween)
{
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        if (at > 0)
            pause(pauseBetween);
        send(bytes.substr(at, pieceSize));
    }
}

void FakePop3Server::expect(const std::string &line) { addStep({Kind::Expect, line}); }
void FakePop3Server::pause(std::chrono::milliseconds duration) { addStep({Kind::Pause, {}, duration}); }
void FakePop3Server::closeConnection() { addStep({Kind::Close, {}}); }
void FakePop3Server::resetConnection() { addStep({Kind::Reset, {}}); }
void FakePop3Server::waitForClientClose() { addStep({Kind::WaitClose, {}}); }
void FakePop3Server::nextConnection() { addStep({Kind::Next, {}}); }

bool FakePop3Server::waitUntilScriptDone(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return played_ >= steps_.size(); });
}

std::vector<std::string> FakePop3Server::failures() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

std::vector<std::string> FakePop3Server::received() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

int FakePop3Server::connectionsAccepted() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return accepted_;
}

bool FakePop3Server::stopping() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

void FakePop3Server::fail(const std::string &message)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back(message);
}

bool FakePop3Server::acceptConnection()
{
    while (!stopping()) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, sliceMs) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        clientFd_ = fd;
        pending_.clear();
        std::lock_guard<std::mutex> lock(mutex_);
        ++accepted_;
        return true;
    }
    return false;
}

void FakePop3Server::closeClient(bool reset)
{
    if (clientFd_ < 0)
        return;
    if (reset) {
        linger option{1, 0};
        ::setsockopt(clientFd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    }
    ::close(clientFd_);
    clientFd_ = -1;
}

// Reads one line from the client into line (CR LF kept) and records it. False when the client
// closed, the limit passed or the server stops.
bool FakePop3Server::readLine(std::string &line, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (clientFd_ >= 0) {
        const std::size_t lf = pending_.find('\n');
        if (lf != std::string::npos) {
            line = pending_.substr(0, lf + 1);
            pending_.erase(0, lf + 1);
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back(line);
            return true;
        }
        if (stopping() || std::chrono::steady_clock::now() >= deadline)
            return false;
        pollfd entry{clientFd_, POLLIN, 0};
        if (::poll(&entry, 1, sliceMs) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(clientFd_, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            closeClient(false);
            return false;
        }
        pending_.append(buffer, std::size_t(n));
    }
    return false;
}

void FakePop3Server::drainUntilClosed()
{
    std::string line;
    while (clientFd_ >= 0 && !stopping())
        readLine(line, std::chrono::milliseconds(sliceMs * 5));
}

void FakePop3Server::run()
{
    if (!acceptConnection())
        return;
    for (;;) {
        Step step;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (played_ >= steps_.size()) {
                lock.unlock();
                // Script played: keep listening to the client; a later step may still come.
                std::string line;
                if (clientFd_ >= 0)
                    readLine(line, std::chrono::milliseconds(sliceMs));
                lock.lock();
                if (stop_)
                    return;
                if (played_ >= steps_.size()) {
                    if (clientFd_ < 0)
                        changed_.wait_for(lock, std::chrono::milliseconds(sliceMs));
                    continue;
                }
            }
            step = steps_[played_];
        }
        switch (step.kind) {
        case Kind::Send:
            if (clientFd_ < 0 || !sendAll(clientFd_, step.text.data(), step.text.size()))
                fail("could not send " + step.text);
            break;
        case Kind::Expect: {
            std::string line;
            if (!readLine(line, lineLimit))
                fail("expected " + step.text + " but the client sent nothing");
            else if (line != step.text)
                fail("expected " + step.text + " but the client sent " + line);
            break;
        }
        case Kind::Pause:
            std::this_thread::sleep_for(step.duration);
            break;
        case Kind::Close:
            closeClient(false);
            break;
        case Kind::Reset:
            closeClient(true);
            break;
        case Kind::WaitClose:
            drainUntilClosed();
            break;
        case Kind::Next:
            closeClient(false);
            if (!acceptConnection())
                return;
            break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++played_;
        }
        changed_.notify_all();
        if (stopping())
            return;
    }
}

}  // namespace kestrix::test
