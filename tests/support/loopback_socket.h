#pragma once
// The plain socket steps the fake servers share.
#include <cstddef>
#include <cstdint>

namespace kestrix::test {

// A listening socket on 127.0.0.1 at a free port (written to `port`); throws when there is none.
int listenOnLoopback(std::uint16_t &port);

// Sends every byte (no SIGPIPE); false when the peer is gone.
bool sendAll(int fd, const char *data, std::size_t count);

}  // namespace kestrix::test
