#pragma once
// How the last connection was protected, as its TLS session established it. The session keeps
// it after the connection closes, so whoever asks after a check learns how that check went.

#include "transport/tls_certificate.h"

#include <string>

namespace kestrix {

struct ConnectionProtection {
    bool encrypted = false;
    bool upgraded = false;         // protected by STARTTLS (STLS), not from the first byte
    bool credentialsSent = false;  // the user name went out on this connection
    std::string protocol;          // "TLS 1.3"; empty when not encrypted
    TlsCertificate certificate;    // the server's, when encrypted
    bool pinned = false;           // accepted by its pinned fingerprint, not the trust store
};

}  // namespace kestrix
