#pragma once
// The server certificate of a TLS connection as the session and the user see it.

#include <string>

namespace kestrix {

// What the session and the user need to know of the server's certificate.
struct TlsCertificate {
    bool present = false;
    bool verified = false;    // chain and name checks passed
    std::string problem;      // why not ("certificate has expired", "hostname mismatch", ...)
    std::string sha256;       // fingerprint of the DER form: 64 lower-case hex digits
    std::string subject;      // one-line forms, for the user's decision
    std::string issuer;
    std::string notBefore;
    std::string notAfter;
};

// "AB:CD:..." for a 64-digit fingerprint, as certificate viewers show it.
std::string colonFingerprint(const std::string &sha256);

}  // namespace kestrix
