#pragma once
// A scriptable POP3 server on 127.0.0.1 for protocol tests. It listens on a free port at
// construction and plays its script in its own thread against the connections it accepts:
//
//   FakePop3Server server;
//   server.send("+OK ready\r\n");
//   server.expect("USER joe\r\n");
//   server.send("+OK\r\n");
//   ... point the client at 127.0.0.1:server.port() and run it ...
//   EXPECT_TRUE(server.failures().empty());
//
// After its script the server keeps the connection open and records what the client still
// sends until the client closes or the server is destroyed. Everything the client sent is kept
// in received(), one entry per line (CR LF included).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrix::test {

// A port on 127.0.0.1 that nothing listens on (bound once, then released).
std::uint16_t unusedLoopbackPort();

class FakePop3Server {
public:
    FakePop3Server();
    ~FakePop3Server();
    FakePop3Server(const FakePop3Server &) = delete;
    FakePop3Server &operator=(const FakePop3Server &) = delete;

    std::uint16_t port() const { return port_; }
    // A small receive buffer for the connections accepted later: the client's writes find the
    // socket full as soon as the server stops reading (while it writes, say).
    void shrinkReceiveBuffer(int bytes);

    // --- the script; add steps before the client connects (or while it waits) -------------
    // Sends the bytes in one write (one TCP segment as far as the network allows).
    void send(const std::string &bytes);
    // Sends the bytes in pieces of pieceSize bytes, pausing between them so they travel as
    // separate segments.
    void sendInPieces(const std::string &bytes, std::size_t pieceSize,
                      std::chrono::milliseconds pauseBetween = std::chrono::milliseconds(20));
    // The next line from the client must be exactly this (line end included).
    void expect(const std::string &line);
    void pause(std::chrono::milliseconds duration);
    // Ends the connection: an orderly close (FIN) or a reset (RST).
    void closeConnection();
    void resetConnection();
    // Holds the connection, sending nothing, until the client closes it.
    void waitForClientClose();
    // Closes the current connection and accepts the next one for the following steps.
    void nextConnection();

    // --- results ----------------------------------------------------------------------------
    // Waits until every step has been played (or the limit passes); false on time-out.
    bool waitUntilScriptDone(std::chrono::milliseconds limit = std::chrono::seconds(20));
    std::vector<std::string> failures() const;
    std::vector<std::string> received() const;
    int connectionsAccepted() const;

private:
    enum class Kind { Send, Expect, Pause, Close, Reset, WaitClose, Next };
    struct Step {
        Kind kind;
        std::string text;
        std::chrono::milliseconds duration{0};
    };

    void addStep(Step step);
    void run();
    bool acceptConnection();
    void closeClient(bool reset);
    bool readLine(std::string &line, std::chrono::milliseconds limit);
    void drainUntilClosed();
    void fail(const std::string &message);
    bool stopping() const;

    int listenFd_ = -1;
    int clientFd_ = -1;
    std::uint16_t port_ = 0;
    std::string pending_;  // bytes read from the client, not yet a whole line

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Step> steps_;
    std::size_t played_ = 0;
    bool stop_ = false;
    std::vector<std::string> failures_;
    std::vector<std::string> received_;
    int accepted_ = 0;
    std::thread thread_;
};

}  // namespace kestrix::test
