// The POP3 client fed arbitrary server bytes through an in-memory stream behind the stream seam:
// the greeting, USER/PASS/STAT, then TOP/LIST, UIDL and DELE for the first messages, and QUIT.
// The first input byte sets the largest piece one receive hands out (its low 7 bits; 0: all at
// once) and with its high bit the automatic security (CAPA, STLS, PIPELINING), so replies
// arrive whole, split and merged. The rest is the server's side, cut into turns at each byte 0x01:
// the first turn (the greeting) is there at once, each later one once the client has sent a line,
// as a server answers; a turn may hold several replies or half of one.
#include "fuzz/scripted_stream.h"
#include "transport/pop3_batch.h"
#include "transport/pop3_client.h"

#include <algorithm>
#include <cstdint>
#include <memory>

using namespace kestrix;
using kestrix::fuzz::ScriptedStream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] & 0x7F;
    const std::string script(reinterpret_cast<const char *>(data + 1), size - 1);
    TNMPOP3 pop(std::make_unique<ScriptedStream>(script, piece));
    pop.Host = "127.0.0.1";
    pop.Port = 110;
    pop.UserID = "joe";
    pop.Password = "secret";
    // The high bit of the first byte: the automatic security (CAPA, STLS, PIPELINING).
    pop.Security = (data[0] & 0x80) ? Pop3Security::Auto : Pop3Security::None;
    try {
        pop.Connect();
        const int last = std::min(pop.MessageCount(), 3);
        {
            // The header download's batch: pipelined when the script lists PIPELINING; message
            // 1 is passed over after its TOP, so its LIST and UIDL replies are dropped unseen.
            Pop3Batch batch(pop, 1, last);
            for (int n = 1; n <= last; ++n) {
                batch.fetchSummary(n);
                if (n > 1)
                    (void)batch.fetchUniqueId(n);
            }
        }
        for (int n = 1; n <= last; ++n) {
            pop.FetchSummary(n);
            (void)pop.FetchUniqueId(n);
            pop.DeleteMessage(n);
        }
        pop.Disconnect();
    } catch (...) {
    }
    return 0;
}
