#include "screening/protection_text.h"

namespace kestrix {

std::string protectionCaption(const ConnectionProtection &protection)
{
    if (!protection.encrypted)
        return "Not encrypted";
    const std::string protocol = protection.protocol.empty() ? std::string("TLS") : protection.protocol;
    return protection.upgraded ? "STARTTLS, " + protocol : protocol;
}

std::string protectionCertificate(const ConnectionProtection &protection)
{
    if (!protection.encrypted)
        return {};
    const TlsCertificate &certificate = protection.certificate;
    std::string text = "certificate " + certificate.subject + " SHA-256 "
                       + colonFingerprint(certificate.sha256);
    if (protection.pinned)
        text += ", pinned";
    return text;
}

std::string protectionLine(const ConnectionProtection &protection)
{
    if (!protection.encrypted)
        return "connection: not encrypted";
    return "connection: " + protectionCaption(protection) + " (" + protectionCertificate(protection)
           + ")";
}

}  // namespace kestrix
