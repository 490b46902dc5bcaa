#pragma once
// A Screener whose account points at a test server on 127.0.0.1, with its POP3 client attached.

#include "screening/screener.h"
#include "transport/pop3_client.h"

#include <string>

namespace kestrix::test {

// The returned handle keeps the client's events with the Screener.
[[nodiscard]] inline Pop3Attachment pointScreenerAt(Screener &s, TNMPOP3 &pop, int port)
{
    s.settings.Host = "127.0.0.1";
    s.settings.Port = std::to_string(port);
    s.settings.UserId = "joe";
    s.settings.CheckInterval = 5;
    s.password = "secret";
    // The scripted dialogues are plain POP3 as older versions spoke it (no CAPA, no STLS).
    s.conf.setSecurityMode(SecurityMode::None);
    return s.attachPop3(pop);
}

}  // namespace kestrix::test
