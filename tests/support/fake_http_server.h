#pragma once
// A fake web server on 127.0.0.1 for the HTTP client's tests and kestrix-cli's: it listens on a
// free port at construction and answers, in its own thread, one connection after the other.
// Each connection's request (the request line and header lines up to the empty line) is
// recorded; the answer is chosen by the request's path:
//
//   FakeHttpServer server;
//   server.on("/release.txt", FakeHttpServer::reply(200, "OK", "line 1\r\n3.0.3\r\n"));
//   server.silentOn("/slow");   // accepts, reads the request, never answers
//   server.closeOn("/broken");  // closes as soon as the request is read
//   http.Get(server.url("/release.txt"));
//   server.requests()[0] == "GET /release.txt HTTP/1.0\r\nHost: 127.0.0.1\r\n..."
//
// A path without an answer gets "404 Not Found".

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrix::test {

class FakeHttpServer {
public:
    FakeHttpServer();
    ~FakeHttpServer();
    FakeHttpServer(const FakeHttpServer &) = delete;
    FakeHttpServer &operator=(const FakeHttpServer &) = delete;

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:PORT" + path.
    std::string url(const std::string &path) const;

    // A whole reply: status line, the header lines given (each without its line end), a
    // Content-Length line, the empty line, the body.
    static std::string reply(int code, const std::string &reason, const std::string &body,
                             const std::vector<std::string> &headers = {});

    // The bytes sent for requests of path (the request line's second field), then the close.
    void on(const std::string &path, std::string bytes);
    void silentOn(const std::string &path);
    void closeOn(const std::string &path);

    // Every request received, in order, each as it came (CR LF kept, the empty line included).
    std::vector<std::string> requests() const;
    std::size_t requestCount() const;

private:
    enum class Kind { Send, Silent, Close };
    struct Answer {
        Kind kind = Kind::Send;
        std::string bytes;
    };

    void run();
    void serve(int fd);
    bool stopping() const;

    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace kestrix::test
