#pragma once
// A connection whose peer answers from a script: the script is cut into turns at each byte 0x01;
// the first turn is there once the connection is made, each later one once the client has sent
// a line, as a server answers. A turn may hold several replies or half of one. The first input
// byte of a fuzz case usually sets `piece`, the largest piece one receive hands out (0: all at
// once), so replies arrive whole, split and merged.
#include "transport/stream.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kestrix::fuzz {

// The peer has closed once the script is over. The descriptor to wait on is an event counter
// that is always ready.
class ScriptedStream : public Stream {
public:
    ScriptedStream(const std::string &script, std::size_t piece) : piece_(piece)
    {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= script.size(); ++i) {
            if (i == script.size() || script[i] == '\x01') {
                turns_.push_back(script.substr(start, i - start));
                start = i + 1;
            }
        }
    }
    ~ScriptedStream() override { close(); }

    int open(bool) override
    {
        close();
        fd_ = ::eventfd(1, EFD_NONBLOCK | EFD_CLOEXEC);
        return fd_ < 0 ? -errno : 0;
    }
    int startConnect(std::uint32_t, std::uint16_t) override
    {
        nextTurn();  // the greeting
        return 0;
    }
    int connectResult() override { return 0; }
    long send(const char *data, std::size_t count) override
    {
        if (fd_ < 0)
            return -EBADF;
        for (std::size_t i = 0; i < count; ++i) {
            if (data[i] == '\n')
                nextTurn();
        }
        return long(count);
    }
    long recv(char *data, std::size_t count) override
    {
        if (fd_ < 0)
            return -EBADF;
        // Nothing to say at this moment reads as a close: the session must cope either way.
        std::size_t n = std::min(count, pending_.size() - at_);
        if (piece_ > 0)
            n = std::min(n, piece_);
        std::memcpy(data, pending_.data() + at_, n);
        at_ += n;
        return long(n);
    }
    int close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return 0;
    }
    int handle() const override { return fd_; }

private:
    void nextTurn()
    {
        if (turn_ < turns_.size())
            pending_ += turns_[turn_++];
    }

    std::vector<std::string> turns_;
    std::size_t turn_ = 0;
    std::string pending_;
    std::size_t piece_;
    std::size_t at_ = 0;
    int fd_ = -1;
};

}  // namespace kestrix::fuzz
