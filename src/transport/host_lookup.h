#pragma once
// Asynchronous IPv4 host look-up: getaddrinfo runs on a helper thread and its answer is handed
// back through the event loop (a queued call wakes the waiting thread's event dispatcher).
// The look-up may outlive its requester: the shared state keeps the answer alive.

#include <cstdint>
#include <memory>
#include <string>

namespace kestrix {

class HostLookup {
public:
    struct Answer {
        bool done = false;
        int error = 0;             // the program's error number; 0 on success
        std::uint32_t address = 0; // first IPv4 address, network byte order
    };

    // Starts looking up name; the answer arrives later through answer().
    static std::shared_ptr<HostLookup> start(const std::string &name);

    Answer answer() const;

    struct State;

private:
    explicit HostLookup(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

// Blocking look-up of a name's first IPv4 address (network byte order); returns the program's
// error number (0 on success).
int lookupHostBlocking(const std::string &name, std::uint32_t &address);

}  // namespace kestrix
