#pragma once
// Certificates for TLS tests, made with the openssl command line in a folder of the caller's:
// a test CA, a server certificate for localhost and 127.0.0.1 signed by it, and a second one for
// the name localhost only (an address check must fail on it). EC keys, so they are made fast.

#include <string>

namespace kestrix::test {

struct TestCertificates {
    // Makes every file in folder (which must exist); throws when openssl fails.
    explicit TestCertificates(const std::string &folder);

    std::string caFile;             // the CA certificate (PEM), for SSL_CERT_FILE
    std::string serverCertificate;  // DNS:localhost, IP:127.0.0.1
    std::string serverKey;
    std::string localhostCertificate;  // DNS:localhost only
    std::string localhostKey;

    // The SHA-256 fingerprint of a PEM certificate's DER form: 64 lower-case hex digits.
    static std::string sha256Of(const std::string &certificateFile);
};

}  // namespace kestrix::test
