#pragma once
// The session's read-ahead: bytes received from the stream and not yet taken by a reader.
// Every reader of the session (lines, counted bytes, captures, the "is anything waiting" checks)
// takes from here first, so one receive can serve several replies that arrived together while
// a line reader still returns exactly one line and leaves the rest for the next reader.
//
// It sits above the Stream seam: a TLS stream underneath hands it plain bytes like TCP does.

#include "transport/stream.h"

#include <cstddef>
#include <memory>
#include <string>

namespace kestrix {

class InputBuffer {
public:
    explicit InputBuffer(std::size_t capacity);
    InputBuffer(const InputBuffer &) = delete;
    InputBuffer &operator=(const InputBuffer &) = delete;

    std::size_t size() const { return end_ - begin_; }
    bool empty() const { return begin_ == end_; }
    bool full() const { return size() == capacity_; }
    std::size_t capacity() const { return capacity_; }

    // The length of the first line (through its LF) among the waiting bytes, 0 when no LF is
    // there yet. The first `scanned` bytes are known to hold no LF and are not searched again.
    std::size_t lineLength(std::size_t scanned = 0) const;
    // Moves the first count waiting bytes (count <= size()) to the end of text.
    void takeInto(std::string &text, std::size_t count);
    // Moves up to max waiting bytes to into; returns how many.
    std::size_t take(char *into, std::size_t max);
    void clear() { begin_ = end_ = 0; }

    // One receive from the stream into the free space, after moving the waiting bytes to the
    // front. The stream's answer: the count received, 0 when the peer has closed, -errno
    // (-EAGAIN: nothing there yet); -ENOBUFS when the buffer is full.
    long fill(Stream &stream);

private:
    std::unique_ptr<char[]> data_;
    std::size_t capacity_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace kestrix
