#pragma once
// What the POP3 client's command files share: the text of a connection the server closed where
// a reply was due, the bounds of a header, and small helpers over reply lines.

#include "transport/powersock.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrix::pop3_reply {

// The server closed the connection where a reply was due: ReadLn gave the empty text.
inline const char *const closedByServer = "Connection closed by server";

// A TOP reply longer than this is no header: ten times the header size most mail servers
// accept at all (100 KB), and twenty thousand lines are a thousand trace lines beyond any
// real delivery path. A server that goes on past it is stopped instead of filling the memory.
inline constexpr std::size_t maxHeaderBytes = 1024 * 1024;
inline constexpr std::size_t maxHeaderLines = 20000;

inline void fire(const TPowersock::TNotifyEvent &event, TPowersock *sender)
{
    if (event)
        event(sender);
}

inline bool startsWith(const std::string &text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The text without the blanks and control characters around it.
inline std::string trimControls(const std::string &text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace kestrix::pop3_reply
