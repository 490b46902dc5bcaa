#pragma once
// Requests of the screening runs on the POP3 client.

#include "text/header_decoding.h"
#include "transport/pop3_client.h"

#include <string>

namespace kestrix {

// The client turns a request made while another one waits into a silent no-op; here that
// would file one message's answer under another, so it is a failure instead.
inline void requireIdle(const TNMPOP3 &client)
{
    if (client.Busy())
        throw EBusyError("The POP3 client is busy");
}

// The message code of message number (UIDL number).
inline std::string codeOfMessage(TNMPOP3 &client, int number)
{
    requireIdle(client);
    return messageCode(client.FetchUniqueId(number));
}

}  // namespace kestrix
