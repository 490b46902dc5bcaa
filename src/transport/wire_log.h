#pragma once
// The wire log for diagnosis: with KESTRIX_WIRE_LOG=FILE in the environment, every byte a socket
// session sends or receives above the stream seam (so the plain text of a TLS connection, too)
// is appended to FILE, one line per protocol line, marked with the session and its direction.
// The argument of PASS, every client line of a SASL exchange (AUTH ... up to the server's final
// reply: they carry the token) and the credentials of an HTTP Authorization line are masked. Off (and
// free) when the variable is not set. The file is created private (0600).

#include "transport/stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kestrix {

// A stream that passes every call on to the stream it watches and writes the bytes that
// crossed to the wire log. It does not own the watched stream.
class WireLogStream : public Stream {
public:
    // nullptr when the wire log is off.
    static std::unique_ptr<WireLogStream> createIfEnabled();

    void watch(Stream *inner) { inner_ = inner; }
    // Names the peer in later lines ("pop.example.org:995").
    void setPeer(const std::string &host, int port);
    // A line of its own, such as "connected" or "TLS 1.3 established".
    void note(std::string_view text);

    int open(bool resetOnClose) override { return inner_->open(resetOnClose); }
    int startConnect(std::uint32_t address, std::uint16_t port) override;
    int connectResult() override { return inner_->connectResult(); }
    long send(const char *data, std::size_t count) override;
    long recv(char *data, std::size_t count) override;
    int close() override;
    int handle() const override { return inner_->handle(); }
    Readiness waitFor(Readiness session) const override { return inner_->waitFor(session); }

private:
    explicit WireLogStream(int session) : session_(session) {}
    void record(std::string &pending, char direction, const char *data, std::size_t count);
    void flush(std::string &pending, char direction);
    void writeLine(char direction, std::string_view line);

    Stream *inner_ = nullptr;
    int session_;
    std::string peer_;
    bool active_ = false;   // a connect was started on the watched socket
    bool inSasl_ = false;   // an AUTH was sent and the server has not given its final reply
    std::string sent_;      // an outgoing line not yet complete
    std::string received_;  // an incoming line not yet complete
};

// The masked form of one outgoing protocol line (without its line end), as the log shows it.
std::string maskWireLine(std::string_view line);

}  // namespace kestrix
