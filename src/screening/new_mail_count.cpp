#include "screening/new_mail_count.h"

#include "screening/pop3_requests.h"
#include "text/header_decoding.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"

#include <algorithm>

namespace kestrix {

NewMailCount countNewMail(TNMPOP3 &client, int messageCount, const std::string &knownNewest,
                          const Whitelist &whitelist)
{
    NewMailCount result;
    if (messageCount <= 0)
        return result;
    int oldest = 1;  // the oldest new message
    // Both walks go newest first, each as one pipelined batch: the ids until the known newest
    // message, then the headers of the newest new messages.
    try {
        if (knownNewest != "-1") {
            const int lowest = std::max(1, messageCount - kNewMailScanLimit + 1);
            std::vector<std::string> commands;
            for (int n = messageCount; n >= lowest; --n)
                commands.push_back("UIDL " + std::to_string(n));
            Pop3Batch batch(client, std::move(commands));
            for (int n = messageCount; n >= lowest; --n) {
                if (messageCode(batch.fetchUniqueId(n)) == knownNewest) {
                    oldest = n + 1;
                    break;
                }
            }
        }
    } catch (const std::exception &) {
        return result;
    }
    result.count = messageCount - oldest + 1;
    const int lowestScanned = std::max(oldest, messageCount - kSenderScanLimit + 1);
    std::vector<std::string> commands;
    for (int n = messageCount; n >= lowestScanned; --n) {
        commands.push_back("TOP " + std::to_string(n) + " 0");
        commands.push_back("LIST " + std::to_string(n));
    }
    try {
        Pop3Batch batch(client, std::move(commands));
        for (int n = messageCount; n >= lowestScanned; --n) {
            batch.fetchSummary(n);
            if (!whitelist.contains(extractSender(client.Summary.Header.Lines())))
                ++result.unknown;
        }
    } catch (const std::exception &) {
        // the count of unknown senders stops with what is known so far
    }
    return result;
}

}  // namespace kestrix
