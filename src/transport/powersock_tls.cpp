// The socket session's TLS: the upgrade of the connection (right after the connect for implicit
// TLS, after the server's "+OK" to STLS), its handshake under the session's time-out and Abort,
// and the certificate decision before anything is sent over it.
#include "transport/powersock.h"

#include "transport/powersock_operation.h"
#include "transport/scope_exit.h"
#include "transport/tls_stream.h"

#include <cerrno>

namespace kestrix {

namespace {

std::string trustFailure(const std::string &host, const TlsCertificate &certificate)
{
    return "The certificate of " + host + " is not trusted (" + certificate.problem
           + "); SHA-256 fingerprint " + colonFingerprint(certificate.sha256);
}

}  // namespace

TlsStream *TPowersock::tlsStream() const
{
    return dynamic_cast<TlsStream *>(stream_.get());
}

bool TPowersock::Encrypted() const
{
    const TlsStream *tls = tlsStream();
    return tls && tls->established();
}

std::string TPowersock::Protection() const
{
    const TlsStream *tls = tlsStream();
    return tls && tls->established() ? tls->protocol() : std::string();
}

void TPowersock::StartTls()
{
    ReportStatus(8, "Starting TLS");
    if (!connected_)
        throw ESockError("Not connected");
    if (Encrypted())
        return;
    // Whatever was read ahead came before the protection: it is no answer of the TLS session.
    input_.clear();
    stream_ = std::make_unique<TlsStream>(std::move(stream_), Host);
    if (wireLog_)
        wireLog_->watch(stream_.get());
    const TlsStream *started = tlsStream();

    {
        OperationScope operation(*this);
        TimerOn();
        ScopeExit timerOff([this] { TimerOff(); });
        for (;;) {
            // An abort or the time-out may have closed the connection meanwhile.
            if (canceled_)
                break;
            TlsStream *tls = tlsStream();
            if (tls != started || !connected_)
                throw ESockError("Connection closed during the TLS handshake");
            const int step = tls->handshake();
            if (step == 0)
                break;
            if (step != -EAGAIN) {
                const std::string why = tls->error();
                CloseSocket();
                throw ETlsError("TLS handshake with " + Host + " failed: " + why);
            }
            waitForEvents(true, false);  // the stream says what the handshake waits for
        }
    }
    if (canceled_) {
        canceled_ = false;
        const bool timedOut = timedOut_;
        if (connected_)
            CloseSocket();
        if (timedOut)
            throw ETlsError("TLS handshake with " + Host + " timed out");
        throw EAbortError("TLS handshake aborted");
    }

    const TlsCertificate certificate = tlsStream()->certificate();
    if (!certificate.verified) {
        if (!certificate.present || certificate.sha256 != PinnedSha256) {
            CloseSocket();
            throw ECertificateError(trustFailure(Host, certificate), certificate);
        }
        ReportStatus(2, "Certificate accepted by its pinned fingerprint");
    }
    protection_.encrypted = true;
    protection_.protocol = Protection();
    protection_.certificate = certificate;
    protection_.pinned = !certificate.verified;
    if (wireLog_)
        wireLog_->note(Protection() + " established");
    ReportStatus(2, "Connection protected by " + Protection());
}

// Every connection starts plain: a close takes the TLS layer off again.
void TPowersock::dropTls()
{
    if (TlsStream *tls = tlsStream()) {
        stream_ = tls->release();
        if (wireLog_)
            wireLog_->watch(stream_.get());
    }
}

}  // namespace kestrix
