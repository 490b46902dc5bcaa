#pragma once
// TExStringList: header lines ("Name: value") with look-up by name; TSummary: what
// FetchSummary learns about one message (its header lines, sender, subject, id and size).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

class TExStringList {
public:
    // A sorted list keeps its lines in order (A-Z case-blind) and is searched by halving.
    bool Sorted = false;

    std::size_t Count() const { return lines_.size(); }
    const std::string &operator[](std::size_t index) const { return lines_[index]; }
    const std::vector<std::string> &Lines() const { return lines_; }
    void Add(std::string line);
    void Delete(std::size_t index);
    void Clear() { lines_.clear(); }
    // Moves every line to the end of out and leaves the list empty, its room kept for the next
    // lines: the header download takes each message's lines into its row without copying them.
    void MoveLinesTo(std::vector<std::string> &out);

    // Index of the first line whose name (the text before its first ':') equals name, A-Z
    // case-blind; -1 when there is none.
    int HeaderIndex(std::string_view name) const;
    // Non-empty value: that line (or a new one) becomes name + ": " + value. Empty value: the
    // line is removed.
    void SetHeader(std::string_view name, std::string_view value);

private:
    std::vector<std::string> lines_;
};

class TSummary {
public:
    std::string Subject;    // text after "Subject:", with the blank after the colon
    std::string From;       // text after "From:", the same way
    std::string MessageId;  // after "Message-ID: ", up to 256 characters, line end included
    std::int32_t Bytes = 0; // size from the LIST reply
    TExStringList Header;   // every line of the TOP reply without its line end
};

}  // namespace kestrix
