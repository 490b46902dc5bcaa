#pragma once
// The transport's failures. The general class carries a plain message (for POP3 refusals the
// server's reply line, CR LF included); ESockError is a socket or look-up failure and
// EAbortError an operation ended by Cancel, Abort or the time-out. Callers decide by type,
// never by the message text.

#include "transport/tls_certificate.h"

#include <stdexcept>
#include <string>

namespace kestrix {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
};

class ESockError : public Exception {
public:
    using Exception::Exception;
};

class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

// The host name has no address ("Host Lookup Failed"); a connect may still get a correction.
class EHostLookupFailed : public ESockError {
public:
    using ESockError::ESockError;
};

// No address for the host, not even after the user's correction ("Null Remote Address").
class EHostNotFound : public ESockError {
public:
    using ESockError::ESockError;
};

// The look-up was cancelled or ran out of time ("Host Lookup Canceled", "Host Lookup Timed
// Out"): the connect ends here.
class EHostLookupInterrupted : public ESockError {
public:
    using ESockError::ESockError;
};

// TLS could not be set up: the handshake failed, stalled past the time-out or was refused.
class ETlsError : public ESockError {
public:
    using ESockError::ESockError;
};

// The server's certificate failed the checks and no pinned fingerprint accepts it. The
// connection was closed before anything was sent over it; the certificate is here for the user's
// decision.
class ECertificateError : public ETlsError {
public:
    ECertificateError(const std::string &message, TlsCertificate certificate)
        : ETlsError(message), certificate_(std::move(certificate))
    {
    }
    const TlsCertificate &certificate() const { return certificate_; }

private:
    TlsCertificate certificate_;
};

// The connection cannot be protected as the settings require (STARTTLS required, or a server
// that spoke TLS with this profile before offers no STLS now). Neither the user name nor the
// password was sent.
class EProtectionMissing : public Exception {
public:
    using Exception::Exception;
};

// A request while the client still waits for the answer to another one.
class EBusyError : public Exception {
public:
    using Exception::Exception;
};

// A text that should have been a number ("'abc' is not a valid integer value").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace kestrix
