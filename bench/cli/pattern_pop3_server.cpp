#include "pattern_pop3_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace kestrix::bench {

namespace {

constexpr int messageBytes = 200;

bool sendAll(int fd, const std::string &bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += std::size_t(n);
    }
    return true;
}

// The message number after the command word, 0 when there is none.
int numberIn(const std::string &command, std::size_t wordLength)
{
    return command.size() > wordLength ? std::atoi(command.c_str() + wordLength) : 0;
}

}  // namespace

PatternPop3Server::PatternPop3Server(int messageCount, bool pipelining)
    : count_(messageCount), pipelining_(pipelining)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listenFd_, 4) != 0
        || ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("pattern server: cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

PatternPop3Server::~PatternPop3Server()
{
    stopping_ = true;
    thread_.join();
    ::close(listenFd_);
}

void PatternPop3Server::run()
{
    while (!stopping_) {
        pollfd waiting{listenFd_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            serve(client);
            ::close(client);
        }
    }
}

void PatternPop3Server::serve(int client)
{
    if (!sendAll(client, "+OK pattern server ready\r\n"))
        return;
    std::string pending;
    char chunk[65536];
    bool quit = false;
    while (!quit && !stopping_) {
        pollfd waiting{client, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        pending.append(chunk, std::size_t(n));
        std::string replies;
        std::size_t start = 0;
        for (std::size_t end; !quit && (end = pending.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            replies += answer(pending.substr(start, end - start), quit);
        pending.erase(0, start);
        if (!sendAll(client, replies))
            return;
    }
}

std::string PatternPop3Server::answer(const std::string &command, bool &quit) const
{
    const auto starts = [&command](const char *word) { return command.rfind(word, 0) == 0; };
    if (starts("CAPA"))
        return std::string("+OK\r\nTOP\r\nUIDL\r\nUSER\r\n") + (pipelining_ ? "PIPELINING\r\n" : "")
               + ".\r\n";
    if (starts("USER ") || starts("PASS "))
        return "+OK\r\n";
    if (starts("STAT"))
        return "+OK " + std::to_string(count_) + " " + std::to_string(count_ * messageBytes) + "\r\n";
    if (starts("QUIT")) {
        quit = true;
        return "+OK bye\r\n";
    }
    const int n = starts("TOP ") || starts("UIDL ") || starts("LIST ") ? numberIn(command, 5) : 0;
    const int top = starts("TOP ") ? numberIn(command, 4) : 0;
    if (starts("UIDL") && command.size() == 4) {
        std::string all = "+OK\r\n";
        for (int k = 1; k <= count_; ++k)
            all += std::to_string(k) + " uid-" + std::to_string(k) + "\r\n";
        return all + ".\r\n";
    }
    const int number = top ? top : n;
    if (number < 1 || number > count_)
        return "-ERR no such message\r\n";
    const std::string k = std::to_string(number);
    if (top)
        return "+OK\r\nFrom: Sender " + k + " <s" + k + "@example.org>\r\nSubject: Message " + k
               + "\r\nMessage-ID: <" + k + "@example.org>\r\n\r\n.\r\n";
    if (starts("LIST "))
        return "+OK " + k + " " + std::to_string(messageBytes) + "\r\n";
    return "+OK " + k + " uid-" + k + "\r\n";
}

}  // namespace kestrix::bench
