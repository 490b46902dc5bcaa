#pragma once
// How many messages arrived since the newest one known, and how many of those come from senders
// not on the whitelist: the numbers of the new-mail notice. Only run when the new-mail check has
// seen a new newest message, so an unchanged mailbox costs nothing more.

#include "profiles/whitelist.h"

#include <string>

namespace kestrix {

class TNMPOP3;

struct NewMailCount {
    int count = 0;    // messages newer than the newest one known
    int unknown = 0;  // of the newest of them (at most kSenderScanLimit), senders not whitelisted
};

// At most this many unique ids are asked for to find the newest known message; past it every
// message is counted as new.
inline constexpr int kNewMailScanLimit = 200;
// At most this many headers (TOP n 0) are fetched for the senders.
inline constexpr int kSenderScanLimit = 20;

// knownNewest: the code of the newest message of the last download ("-1": none, every message
// is new). Failures of the requests end the count with what is known so far.
NewMailCount countNewMail(TNMPOP3 &client, int messageCount, const std::string &knownNewest,
                          const Whitelist &whitelist);

}  // namespace kestrix
