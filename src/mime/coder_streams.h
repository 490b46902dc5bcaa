#pragma once
// The byte streams the coder reads from and writes to: one in memory and one over an open file
// descriptor. A stream has a position; reads take from it and writes append at it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrix {

class TStream {
public:
    virtual ~TStream() = default;
    // Up to count bytes from the position; 0 at the end. Raises Exception on a read error.
    virtual std::size_t Read(char *into, std::size_t count) = 0;
    // All count bytes at the position. Raises Exception on a write error (disk full, ...).
    virtual void Write(const char *data, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual void Seek(std::int64_t position) = 0;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(char *into, std::size_t count) override;
    void Write(const char *data, std::size_t count) override;
    std::int64_t Position() const override { return std::int64_t(position_); }
    void Seek(std::int64_t position) override;

    const std::string &Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// Over a descriptor the caller opened and closes. Unbuffered: the coder reads and writes in
// large blocks of its own.
class TFdStream : public TStream {
public:
    explicit TFdStream(int fd) : fd_(fd) {}

    std::size_t Read(char *into, std::size_t count) override;
    void Write(const char *data, std::size_t count) override;
    std::int64_t Position() const override;
    void Seek(std::int64_t position) override;

private:
    int fd_;
};

}  // namespace kestrix
