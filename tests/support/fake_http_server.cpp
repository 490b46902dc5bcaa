#include "support/fake_http_server.h"
#include "support/loopback_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrix::test {

namespace {

constexpr int sliceMs = 20;  // how often the server thread looks at its stop flag
constexpr std::size_t requestLimit = 64 * 1024;
constexpr auto requestTimeLimit = std::chrono::seconds(10);

}  // namespace

FakeHttpServer::FakeHttpServer()
{
    listenFd_ = listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
}

FakeHttpServer::~FakeHttpServer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    thread_.join();
    ::close(listenFd_);
}

std::string FakeHttpServer::url(const std::string &path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string FakeHttpServer::reply(int code, const std::string &reason, const std::string &body,
                                  const std::vector<std::string> &headers)
{
    std::string text = "HTTP/1.0 " + std::to_string(code) + " " + reason + "\r\n";
    for (const std::string &line : headers)
        text += line + "\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    return text + body;
}

void FakeHttpServer::on(const std::string &path, std::string bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = {Kind::Send, std::move(bytes)};
}

void FakeHttpServer::silentOn(const std::string &path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = {Kind::Silent, {}};
}

void FakeHttpServer::closeOn(const std::string &path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = {Kind::Close, {}};
}

std::vector<std::string> FakeHttpServer::requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::size_t FakeHttpServer::requestCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
}

bool FakeHttpServer::stopping() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_;
}

void FakeHttpServer::run()
{
    while (!stopping()) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, sliceMs) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

// Reads one request, records it and plays the answer for its path.
void FakeHttpServer::serve(int fd)
{
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + requestTimeLimit;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < requestLimit) {
        if (stopping() || std::chrono::steady_clock::now() >= deadline)
            return;
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, sliceMs) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        request.append(buffer, std::size_t(n));
    }
    const std::size_t firstBlank = request.find(' ');
    const std::size_t secondBlank =
        firstBlank == std::string::npos ? std::string::npos : request.find(' ', firstBlank + 1);
    const std::string path = secondBlank == std::string::npos
                                 ? std::string()
                                 : request.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    Answer answer{Kind::Send, reply(404, "Not Found", "<html>no such page</html>\r\n")};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        if (const auto found = answers_.find(path); found != answers_.end())
            answer = found->second;
    }
    switch (answer.kind) {
    case Kind::Send:
        sendAll(fd, answer.bytes.data(), answer.bytes.size());
        break;
    case Kind::Close:
        break;
    case Kind::Silent:
        // Holds the connection until the client gives up (or the server stops).
        while (!stopping()) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, sliceMs) <= 0)
                continue;
            char buffer[256];
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                break;
        }
        break;
    }
}

}  // namespace kestrix::test
