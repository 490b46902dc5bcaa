#pragma once
// The one seam through which the socket session reads and writes: a plain TCP stream today,
// a TLS stream later. Every call is non-blocking; a negative result is -errno (-EAGAIN when
// the call would block). The session keeps its own read-ahead above this seam and only ever
// receives; it waits on handle() for readiness after a recv answered -EAGAIN, so a stream that
// buffers (TLS) must hand out its buffered bytes through recv before asking to wait. A TLS
// stream runs its handshake inside its first send/recv calls, answering -EAGAIN until it is done;
// an upgrade on a live connection (STLS) is a TLS stream that reads and writes through the
// plain one it wraps. Bytes the session read ahead before such an upgrade arrived unprotected:
// the upgrade must drop them (ClearInput), never read them as answers of the protected session.

#include <cstddef>
#include <cstdint>

namespace kestrix {

class Stream {
public:
    virtual ~Stream() = default;

    // Creates the underlying socket; resetOnClose makes a later close reset the connection
    // at once (linger on, 0 seconds). Returns 0 or -errno.
    virtual int open(bool resetOnClose) = 0;
    // Starts connecting to an IPv4 address and port, both in network byte order. Returns 0
    // when connected at once, -EINPROGRESS while it goes on, or -errno.
    virtual int startConnect(std::uint32_t address, std::uint16_t port) = 0;
    // The outcome of a connect that was in progress, once handle() is writable: 0 or errno.
    virtual int connectResult() = 0;

    virtual long send(const char *data, std::size_t count) = 0;
    virtual long recv(char *data, std::size_t count) = 0;
    // Closes the socket; returns 0 or -errno. handle() is invalid afterwards.
    virtual int close() = 0;

    // The descriptor to wait on; -1 when there is none.
    virtual int handle() const = 0;

    // What to wait for on handle() after a call answered -EAGAIN, given what the session is
    // doing. Plain TCP needs exactly that; a TLS stream may have to write while the session
    // reads (or read while it writes) to get through a handshake or a key update.
    struct Readiness {
        bool read = false;
        bool write = false;
    };
    virtual Readiness waitFor(Readiness session) const { return session; }
};

// Plain TCP over POSIX sockets (Nagle off, SIGPIPE never raised).
class TcpStream : public Stream {
public:
    TcpStream() = default;
    ~TcpStream() override;
    TcpStream(const TcpStream &) = delete;
    TcpStream &operator=(const TcpStream &) = delete;

    int open(bool resetOnClose) override;
    int startConnect(std::uint32_t address, std::uint16_t port) override;
    int connectResult() override;
    long send(const char *data, std::size_t count) override;
    long recv(char *data, std::size_t count) override;
    int close() override;
    int handle() const override { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace kestrix
