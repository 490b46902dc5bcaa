#pragma once
// The token command of a profile: a program the user names (with its arguments, split as the mail
// program's are, no shell) that prints a current OAuth 2.0 access token on the first line of its
// standard output. It runs without KESTRIX_PASSWORD in its environment and with stdin closed,
// and is stopped after the time-out. The event loop runs while it works, as during a socket wait.
//
//   const TokenCommandResult got = runTokenCommand("python3 mutt_oauth2.py /home/u/token");
//   if (!got.error.empty()) view.setStatus(got.error);   // nothing was sent
//   else client.AccessToken = got.token;                   // memory only

#include <string>

namespace kestrix {

struct TokenCommandResult {
    std::string token;  // the first line of standard output, blanks trimmed
    std::string error;  // empty on success, else one line saying what went wrong
};

constexpr int kTokenCommandTimeOutMs = 30000;

TokenCommandResult runTokenCommand(const std::string &command,
                                   int timeOutMs = kTokenCommandTimeOutMs);

}  // namespace kestrix
