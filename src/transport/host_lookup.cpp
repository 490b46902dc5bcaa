#include "transport/host_lookup.h"

#include "transport/socket_errors.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace kestrix {

struct HostLookup::State {
    mutable std::mutex mutex;
    Answer answer;
};

int lookupHostBlocking(const std::string &name, std::uint32_t &address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    const int code = ::getaddrinfo(name.c_str(), nullptr, &hints, &result);
    if (code != 0)
        return socketErrorFromLookup(code, errno);
    int error = 11004;  // a name without an IPv4 address
    for (addrinfo *entry = result; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr) {
            address = reinterpret_cast<const sockaddr_in *>(entry->ai_addr)->sin_addr.s_addr;
            error = 0;
            break;
        }
    }
    ::freeaddrinfo(result);
    return error;
}

std::shared_ptr<HostLookup> HostLookup::start(const std::string &name)
{
    auto state = std::make_shared<State>();
    std::thread([state, name] {
        std::uint32_t address = 0;
        const int error = lookupHostBlocking(name, address);
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->answer.done = true;
            state->answer.error = error;
            state->answer.address = error == 0 ? address : 0;
        }
        // Wake the event loop of the waiting thread; the call itself has nothing to do.
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection);
    }).detach();
    return std::shared_ptr<HostLookup>(new HostLookup(state));
}

HostLookup::Answer HostLookup::answer() const
{
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->answer;
}

}  // namespace kestrix
