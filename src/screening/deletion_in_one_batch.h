#pragma once
// A deletion in one pipelined batch: each message's unique-id check and its DELE go out
// together, so the whole deletion costs one round trip. The server carries nothing out before
// QUIT, so where a check does not hold or a command is refused, RSET undoes every DELE of the
// batch and the caller deletes the usual way, check by check, as if the batch had never been.

#include "transport/pop3_client.h"

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

namespace kestrix {

struct CheckedDeletion {
    std::int32_t number;  // the message number in this session
    std::string code;     // the message code its unique id must still give
};

struct OneBatchDeletion {
    // Every check held and every DELE was acknowledged.
    bool deleted = false;
    // The session ended during the batch; the first `acknowledged` DELEs were acknowledged
    // before it did (none when the connection was dropped because RSET failed: no QUIT will
    // carry them out).
    std::exception_ptr failure;
    std::size_t acknowledged = 0;
};

// For a client that pipelines and is not busy. What the client reports meanwhile (status texts,
// OnSuccess, OnFailure) reaches its handlers only when the batch stands: an undone batch was
// never there for the user either.
OneBatchDeletion deleteInOneBatch(TNMPOP3 &client, const std::vector<CheckedDeletion> &messages);

}  // namespace kestrix
