#include "transport/stream.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kestrix {

TcpStream::~TcpStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int TcpStream::open(bool resetOnClose)
{
    if (fd_ >= 0)
        return 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0)
        return -errno;
    if (resetOnClose) {
        linger lingerOption{};
        lingerOption.l_onoff = 1;
        lingerOption.l_linger = 0;
        if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption) != 0) {
            const int err = errno;
            ::close(fd);
            return -err;
        }
    }
    // Commands are short lines answered by the server: never hold them back (Nagle against
    // delayed ACK would add tens of milliseconds to every command).
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fd_ = fd;
    return 0;
}

int TcpStream::startConnect(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = port;
    target.sin_addr.s_addr = address;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0)
        return 0;
    return -errno;
}

int TcpStream::connectResult()
{
    int err = 0;
    socklen_t length = sizeof err;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
        return errno;
    return err;
}

long TcpStream::send(const char *data, std::size_t count)
{
    ssize_t n;
    do {
        n = ::send(fd_, data, count, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -errno : long(n);
}

long TcpStream::recv(char *data, std::size_t count)
{
    ssize_t n;
    do {
        n = ::recv(fd_, data, count, 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -errno : long(n);
}

int TcpStream::close()
{
    if (fd_ < 0)
        return -EBADF;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : -errno;
}

}  // namespace kestrix
