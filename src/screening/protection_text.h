#pragma once
// The words for a connection's protection, the same in the status bar, the tray and
// kestrix-cli -v. They are made from what the TLS session established, never from status texts.

#include "transport/connection_protection.h"

#include <string>

namespace kestrix {

// "TLS 1.3", "STARTTLS, TLS 1.3" or "Not encrypted".
std::string protectionCaption(const ConnectionProtection &protection);
// "certificate SUBJECT SHA-256 AB:CD:..." (", pinned" when its fingerprint was pinned); "" when
// not encrypted.
std::string protectionCertificate(const ConnectionProtection &protection);
// kestrix-cli's line: "connection: TLS 1.3 (certificate ... SHA-256 ...)" or
// "connection: not encrypted".
std::string protectionLine(const ConnectionProtection &protection);

}  // namespace kestrix
