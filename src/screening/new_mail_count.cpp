#include "screening/new_mail_count.h"

#include "screening/pop3_requests.h"
#include "text/header_decoding.h"
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
    try {
        if (knownNewest != "-1") {
            const int lowest = std::max(1, messageCount - kNewMailScanLimit + 1);
            for (int n = messageCount; n >= lowest; --n) {
                if (codeOfMessage(client, n) == knownNewest) {
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
    for (int n = messageCount; n >= lowestScanned; --n) {
        try {
            requireIdle(client);
            client.FetchSummary(n);
        } catch (const std::exception &) {
            break;
        }
        if (!whitelist.contains(extractSender(client.Summary.Header.Lines())))
            ++result.unknown;
    }
    return result;
}

}  // namespace kestrix
