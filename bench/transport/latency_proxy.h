#pragma once
// A TCP proxy on 127.0.0.1 that holds every byte for a fixed time in each direction before
// passing it on: a mail server at a network distance, on loopback. One connection at a time
// (each is passed to the target as it is accepted); a closed side is passed on as a close once
// its bytes have gone.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace kestrix::bench {

class LatencyProxy {
public:
    LatencyProxy(std::string targetHost, int targetPort, std::chrono::milliseconds delay);
    ~LatencyProxy();
    LatencyProxy(const LatencyProxy &) = delete;
    LatencyProxy &operator=(const LatencyProxy &) = delete;

    int port() const { return port_; }
    // The times the server spoke after the client had (the greeting counts): the round trips a
    // client that waits for each answer pays.
    int roundTrips() const { return roundTrips_; }

private:
    void run();
    void relay(int client, int server);

    std::string targetHost_;
    int targetPort_;
    std::chrono::milliseconds delay_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> roundTrips_{0};
    std::thread thread_;
};

}  // namespace kestrix::bench
