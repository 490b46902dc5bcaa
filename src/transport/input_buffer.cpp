#include "transport/input_buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrix {

InputBuffer::InputBuffer(std::size_t capacity)
    : data_(std::make_unique<char[]>(capacity)), capacity_(capacity)
{
}

std::size_t InputBuffer::lineLength(std::size_t scanned) const
{
    const std::size_t waiting = size();
    if (scanned >= waiting)
        return 0;
    const char *start = data_.get() + begin_;
    const void *lf = std::memchr(start + scanned, '\n', waiting - scanned);
    return lf ? std::size_t(static_cast<const char *>(lf) - start) + 1 : 0;
}

void InputBuffer::takeInto(std::string &text, std::size_t count)
{
    count = std::min(count, size());
    text.append(data_.get() + begin_, count);
    begin_ += count;
    if (begin_ == end_)
        clear();
}

std::size_t InputBuffer::take(char *into, std::size_t max)
{
    const std::size_t count = std::min(max, size());
    std::memcpy(into, data_.get() + begin_, count);
    begin_ += count;
    if (begin_ == end_)
        clear();
    return count;
}

long InputBuffer::fill(Stream &stream)
{
    if (begin_ > 0) {
        // Only a part of a line waits here when a reader asks for more: a short move.
        std::memmove(data_.get(), data_.get() + begin_, size());
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_)
        return -ENOBUFS;
    const long n = stream.recv(data_.get() + end_, capacity_ - end_);
    if (n > 0)
        end_ += std::size_t(n);
    return n;
}

}  // namespace kestrix
