// The socket session's waiting: blocking on the socket, the event loop and the heartbeat without
// spinning, and the notifiers that complete a connect and watch an idle connection for its close.
#include "transport/powersock.h"

#include "transport/powersock_operation.h"
#include "transport/socket_errors.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cerrno>
#include <chrono>
#include <poll.h>

namespace kestrix {

namespace {

constexpr int fastWaitMs = 2;
constexpr auto eventPassInterval = std::chrono::milliseconds(10);

}  // namespace

void TPowersock::waitForEvents(bool read, bool write)
{
    if (read && !write && inputReady()) {
        // What the reader needs is here already: no blocking on the socket for more.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        return;
    }
    if (!connecting_ && (read || write)) {
        const Stream::Readiness need = stream().waitFor({read, write});
        read = need.read;
        write = need.write;
    }
    const bool haveSocket = stream().handle() >= 0;
    if (!QCoreApplication::instance()) {
        // No event loop (a plain program): wait on the socket alone.
        pollfd entry{stream().handle(), short((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
        ::poll(&entry, haveSocket ? 1 : 0, kHeartbeatMs);
        if (write && connecting_ && (entry.revents & (POLLOUT | POLLERR | POLLHUP)))
            onWritable();
        return;
    }
    if (haveSocket && (read || write) && operationDepth_ > 0 && !connecting_) {
        // A server on the same network answers within a few milliseconds: wait for it on the
        // socket alone first, and run the pending events every few milliseconds, so a fast
        // dialogue does not pay a full event-loop pass per reply while windows stay alive.
        pollfd entry{stream().handle(), short((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
        if (::poll(&entry, 1, fastWaitMs) > 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastEventPass_ >= eventPassInterval) {
                lastEventPass_ = now;
                QCoreApplication::processEvents();
            }
            return;
        }
    }
    lastEventPass_ = std::chrono::steady_clock::now();
    readNotifier_->setEnabled(read && haveSocket);
    writeNotifier_->setEnabled(write && haveSocket);
    if (!heartbeat_->isActive())
        heartbeat_->start();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // A handler may have closed and renewed the socket meanwhile.
    if (operationDepth_ > 0) {
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(false);
    }
}

void TPowersock::updateIdleWatch()
{
    writeNotifier_->setEnabled(false);
    // Left on while bytes wait in the read-ahead too (onReadable then ignores the close): each
    // switch costs the event dispatcher a wake-up.
    readNotifier_->setEnabled(connected_ && stream().handle() >= 0 && !destroying_);
}

// Socket readable outside any operation: the peer's close shows up here.
void TPowersock::onReadable()
{
    if (operationDepth_ > 0) {
        // The waiting loop reads; the notice has woken it, which is all it is for (left on, a
        // nested loop of another session would keep being woken by this socket).
        readNotifier_->setEnabled(false);
        return;
    }
    const long n = input_.empty() ? input_.fill(stream()) : long(input_.size());
    if (n == -EAGAIN || n == -EWOULDBLOCK)
        return;
    if (n > 0) {
        // Unread data waits (now in the read-ahead): no further close notice; the next reads
        // meet the end of the data.
        readNotifier_->setEnabled(false);
        return;
    }
    succeed_ = n == 0;
    try {
        CloseSocket();
    } catch (...) {
    }
}

// Socket writable: completes a connect that was in progress.
void TPowersock::onWritable()
{
    if (!connecting_) {
        writeNotifier_->setEnabled(false);  // a waiting send was woken; it re-arms as needed
        return;
    }
    connecting_ = false;
    writeNotifier_->setEnabled(false);
    const int err = stream().connectResult();
    succeed_ = err == 0;
    if (!succeed_) {
        lastError_ = socketErrorFromErrno(err);
        return;
    }
    connected_ = true;
    try {
        if (OnConnect)
            OnConnect(this);
    } catch (...) {
    }
}

}  // namespace kestrix
