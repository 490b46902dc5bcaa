#pragma once
// A TLS client stream over another stream (OpenSSL 3). It serves implicit TLS (wrapping a fresh
// TCP stream, the handshake right after the connect) and STLS (wrapping the live plain stream
// after the server's "+OK"). Like every stream it never blocks: the handshake, reads and writes
// answer -EAGAIN and say through waitFor what the socket must become ready for, so the session
// waits for them in its one non-spinning way, with its time-out, and Abort ends a handshake too.
//
// Certificates are checked as a careful mail client does: the system's trust store (so the
// OpenSSL variables SSL_CERT_FILE and SSL_CERT_DIR work), the host name or IP address of the
// account against the certificate, TLS 1.2 at least, SNI for host names. The handshake itself
// does not fail on an untrusted certificate: the session looks at the outcome afterwards, where a
// pinned fingerprint may still accept it, and closes before sending anything when it does not.

#include "transport/stream.h"
#include "transport/tls_certificate.h"

#include <memory>
#include <string>

namespace kestrix {

class TlsStream : public Stream {
public:
    // host: the name or address the account connects to (checked against the certificate).
    TlsStream(std::unique_ptr<Stream> inner, const std::string &host);
    ~TlsStream() override;
    TlsStream(const TlsStream &) = delete;
    TlsStream &operator=(const TlsStream &) = delete;

    // One step of the handshake: 0 once it is done, -EAGAIN while it waits for the socket
    // (waitFor says for what), -EPROTO (see error()) or another -errno when it failed.
    int handshake();
    bool established() const { return established_; }
    // "TLS 1.3" once established.
    std::string protocol() const;
    TlsCertificate certificate() const;
    // Gives back the wrapped stream (the plain connection under an STLS upgrade); this stream is
    // of no use afterwards.
    std::unique_ptr<Stream> release();
    // What went wrong in the last failed call, for the user.
    const std::string &error() const { return error_; }

    int open(bool resetOnClose) override { return inner_->open(resetOnClose); }
    int startConnect(std::uint32_t address, std::uint16_t port) override
    {
        return inner_->startConnect(address, port);
    }
    int connectResult() override { return inner_->connectResult(); }
    long send(const char *data, std::size_t count) override;
    long recv(char *data, std::size_t count) override;
    int close() override;
    int handle() const override { return inner_->handle(); }
    Readiness waitFor(Readiness session) const override;

private:
    struct Ssl;
    // Maps an OpenSSL result to the stream's answer, noting what to wait for.
    long outcome(int result, const char *what);
    bool setUp();

    std::unique_ptr<Stream> inner_;
    std::string host_;
    std::unique_ptr<Ssl> ssl_;
    bool established_ = false;
    bool failed_ = false;
    Readiness want_;
    std::string error_;
};

}  // namespace kestrix
