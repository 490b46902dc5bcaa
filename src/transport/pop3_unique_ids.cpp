// FetchUniqueIds: UIDL without a number, the unique id of every message in one reply.
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_client.h"
#include "transport/scope_exit.h"

#include <algorithm>
#include <limits>

namespace kestrix {

std::vector<TNMPOP3::UniqueId> TNMPOP3::FetchUniqueIds()
{
    if (busy_)
        return {};
    busy_ = true;
    ScopeExit clearBusy([this] { busy_ = false; });
    CheckConnection();
    const std::string reply = command("UIDL");
    // "+OK" alone is a line of its own: its first word carries the line end.
    if (!pop3ReplyContainsOk(reply)) {
        if (OnFailure)
            OnFailure(this);
        throw Exception(reply.empty() ? std::string("Connection closed by server") : reply);
    }
    // One line per message the session holds: more lines than the mailbox has messages are no
    // listing of it, and a server that goes on is stopped instead of filling the memory.
    const std::size_t limit = std::size_t(std::max<std::int32_t>(messageCount_, 0));
    std::vector<UniqueId> ids;
    for (;;) {
        const std::string line = readLine();
        if (line.empty())
            throw ESockError("Connection closed by server");
        if (withoutLineEnd(line) == ".")
            return ids;
        if (ids.size() >= limit) {
            TPowersock::Disconnect();
            throw Exception("UIDL listing longer than the mailbox's " + std::to_string(limit)
                            + " messages");
        }
        // "n id": the id keeps its line end, as FetchUniqueId gives it.
        const auto number = parseDecimal(pop3Field(line, 1));
        const bool valid = number && *number >= 1 && *number <= std::numeric_limits<std::int32_t>::max();
        ids.push_back({valid ? std::int32_t(*number) : 0, pop3Field(line, 2)});
    }
}

}  // namespace kestrix
