#pragma once
// A POP3 server on 127.0.0.1 whose mailbox is made up as it is asked for: message n comes from
// "Sender n <sn@example.org>" with the subject "Message n" and the unique id "uid-n", so a mailbox
// of 100,000 messages costs no files and no script. It lists PIPELINING (unless told not to),
// takes any user and password, and serves one connection after another on its own thread,
// answering every command it has read before it reads on (as a pipelining server does).
#include <atomic>
#include <string>
#include <thread>

namespace kestrix::bench {

class PatternPop3Server {
public:
    explicit PatternPop3Server(int messageCount, bool pipelining = true);
    ~PatternPop3Server();
    PatternPop3Server(const PatternPop3Server &) = delete;
    PatternPop3Server &operator=(const PatternPop3Server &) = delete;

    int port() const { return port_; }

private:
    void run();
    void serve(int client);
    std::string answer(const std::string &command, bool &quit) const;

    int count_;
    bool pipelining_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace kestrix::bench
