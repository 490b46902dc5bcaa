#pragma once
// Socket error numbers as the program shows them ("10061:Connection refused"), and the mapping
// of this platform's errno values and getaddrinfo codes onto those numbers.

#include <string>

namespace kestrix {

namespace SocketError {
constexpr int WouldBlock = 10035;
constexpr int NotConnected = 10057;
constexpr int ConnectionRefused = 10061;
constexpr int HostNotFound = 11001;
}  // namespace SocketError

// "" for 0; code + ":" + description for a known code; "Unknown Error No. " + code otherwise.
std::string socketErrorText(int code);

// errno (EAGAIN, ECONNREFUSED, ...) to the program's number; 0 stays 0. An errno without a
// counterpart maps to 30000 + errno, which reads "Unknown Error No. 300xx".
int socketErrorFromErrno(int err);

// getaddrinfo result (EAI_NONAME, ...) to the program's number; EAI_SYSTEM uses errnoValue.
int socketErrorFromLookup(int gaiCode, int errnoValue);

}  // namespace kestrix
