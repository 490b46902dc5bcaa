#pragma once
// Python's poplib as a second client of the test servers, one that shares no code with the
// program: what a server holds is read by it, not by the client under test.

#include <string>
#include <vector>

namespace kestrix::test {

// The unique ids of the messages on the server now, in server order (plain POP3, USER/PASS,
// UIDL, QUIT). Throws with poplib's error when python3 or the dialogue fails.
std::vector<std::string> uidlsByPoplib(const std::string &host, int port, const std::string &user,
                                       const std::string &password);

}  // namespace kestrix::test
