#pragma once
// The lower bound of any POP3 client: after the connect (and the TLS handshake) and the
// greeting, every command of a dialogue is written at once on one socket while the replies are
// read as they come, on one thread with poll(). Over plain TCP or TLS through the product's own
// streams, so both sides pay the same cipher.
#include <string>
#include <vector>

namespace kestrix::bench {

struct RawCommand {
    std::string line;  // without CR LF
    bool multiLine;    // a "+OK" reply goes on up to the line "."
};

// USER, PASS and STAT.
std::vector<RawCommand> rawLogin(const std::string &user, const std::string &password);
// TOP n 0, LIST n and UIDL n for the messages first..last.
void addRawHeaderFetch(std::vector<RawCommand> &commands, int first, int last);

// Wall seconds from the connect to the reply of the last command; throws std::runtime_error
// when the server closes early or a wait exceeds 60 s.
double rawPipelinedSeconds(int port, bool tls, const std::vector<RawCommand> &commands);

}  // namespace kestrix::bench
