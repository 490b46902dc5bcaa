#include "mime/coder_streams.h"

#include "transport/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace kestrix {

namespace {

Exception fileError(const char *what)
{
    return Exception(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

std::size_t TMemoryStream::Read(char *into, std::size_t count)
{
    const std::size_t n = position_ < bytes_.size() ? std::min(count, bytes_.size() - position_) : 0;
    std::memcpy(into, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const char *data, std::size_t count)
{
    if (position_ == bytes_.size()) {
        bytes_.append(data, count);
    } else {
        if (position_ + count > bytes_.size())
            bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, data, count);
    }
    position_ += count;
}

void TMemoryStream::Seek(std::int64_t position)
{
    position_ = std::size_t(std::max<std::int64_t>(0, position));
}

std::size_t TFdStream::Read(char *into, std::size_t count)
{
    for (;;) {
        const ssize_t n = ::read(fd_, into, count);
        if (n >= 0)
            return std::size_t(n);
        if (errno != EINTR)
            throw fileError("Read error");
    }
}

void TFdStream::Write(const char *data, std::size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(fd_, data, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw fileError("Write error");
        }
        data += n;
        count -= std::size_t(n);
    }
}

std::int64_t TFdStream::Position() const
{
    return std::int64_t(::lseek(fd_, 0, SEEK_CUR));
}

void TFdStream::Seek(std::int64_t position)
{
    if (::lseek(fd_, off_t(position), SEEK_SET) < 0)
        throw fileError("Seek error");
}

}  // namespace kestrix
