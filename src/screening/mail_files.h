#pragma once
// Messages read from files for learning and scoring: one message per .eml file, every message
// of an mbox file, every file of a Maildir folder (cur and new) or of a plain folder. Only the
// header lines are kept, as TOP n 0 gives them, and the size as LIST counts it (CR LF lines).

#include <QString>

#include <string>
#include <vector>

namespace kestrix {

struct FileMessage {
    std::string label;                     // the path; "PATH:N" for the N-th message of an mbox
    std::vector<std::string> headerLines;  // without line ends, up to the first empty line
    long long size = 0;
};

// The messages at path, in a fixed order (folders by file name). A path that cannot be read
// gives no messages and sets error ("Cannot read ..."); an empty file gives none and no error.
std::vector<FileMessage> readMailPath(const QString &path, std::string &error);

// The messages of a file's bytes: an mbox when its first line begins with "From ", else one
// message.
std::vector<FileMessage> splitMailBytes(const std::string &label, std::string_view bytes);

}  // namespace kestrix
