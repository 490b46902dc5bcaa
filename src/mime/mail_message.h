#pragma once
// TMailMessage: one message retrieved whole (RETR): its header lines, its body lines as
// received, the text shown to the user and the files its further parts were stored in.

#include "transport/ex_string_list.h"

#include <string>
#include <vector>

namespace kestrix {

class TMailMessage {
public:
    TExStringList Head;                    // header lines without line ends, the empty
                                           // separator line last (when the message has one)
    std::vector<std::string> RawLines;     // body lines without line ends, dots unstuffed
    std::vector<std::string> Body;         // the text shown; a stored part adds an entry
                                           // "\r\nFile \"NAME\" extracted"
    std::vector<std::string> Attachments;  // names of the stored parts (no folder), in order
    std::string From;                      // values of the last such header lines seen
    std::string Subject;
    std::string ContentType;
    std::string MessageId;
    std::string Boundary;                  // multipart boundary of the message
    // The charset parameter of the Content-Type of the text in Body: the message's, or in a
    // multipart message its first part's ("" when none is named).
    std::string BodyCharset;
};

}  // namespace kestrix
