// The socket session: construction, status reports, errors, the time-out timer and the address
// queries. Waiting is in powersock_waiting.cpp, connecting and closing in
// powersock_connecting.cpp, sending and receiving in powersock_transfer.cpp.
#include "transport/powersock.h"

#include "transport/host_lookup.h"
#include "transport/powersock_operation.h"
#include "transport/socket_errors.h"
#include "transport/thread_timer.h"
#include "transport/wire_log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <unistd.h>

namespace kestrix {

TPowersock::TPowersock(std::unique_ptr<Stream> stream)
    : stream_(stream ? std::move(stream) : std::make_unique<TcpStream>()),
      timer_(std::make_unique<TThreadTimer>()),
      readNotifier_(std::make_unique<QSocketNotifier>(QSocketNotifier::Read)),
      writeNotifier_(std::make_unique<QSocketNotifier>(QSocketNotifier::Write)),
      heartbeat_(std::make_unique<QTimer>()),
      wireLog_(WireLogStream::createIfEnabled())
{
    if (wireLog_)
        wireLog_->watch(stream_.get());
    ReportStatus(8, "Create");
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, readNotifier_.get(),
                     [this] { onReadable(); });
    QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, writeNotifier_.get(),
                     [this] { onWritable(); });
    heartbeat_->setInterval(kHeartbeatMs);
    // The heartbeat only wakes the dispatcher so the loops re-check their conditions.
    QObject::connect(heartbeat_.get(), &QTimer::timeout, heartbeat_.get(), [] {});
    timer_->setEnabled(false);
    timer_->setOnTimer([this](TThreadTimer *) { TimerTriggered(); });
    TimeOut = 0;
    InitializeSocket();
}

TPowersock::~TPowersock()
{
    ReportStatus(8, "Destroy");
    try {
        TPowersock::Abort();
        Cancel();
    } catch (...) {
    }
    timer_.reset();
    destroying_ = true;
    try {
        CloseSocket();
    } catch (...) {
    }
}

void TPowersock::InitializeSocket()
{
    ReportStatus(8, "Initializing Winsock");
    try {
        openSocket(true);
    } catch (const ESockError &) {
        throw ESockError("Initializaton of windows sockets failed");
    }
}

void TPowersock::openSocket(bool resetOnClose)
{
    const int result = stream().open(resetOnClose);
    if (result < 0)
        CheckError(socketErrorFromErrno(-result));
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    readNotifier_->setSocket(stream().handle());
    writeNotifier_->setSocket(stream().handle());
}

void TPowersock::ReportStatus(std::uint8_t level, const std::string &text)
{
    if (ReportLevel < level)
        return;
    status_ = text;
    if (destroying_ || !OnStatus)
        return;
    // A failing status handler must not disturb the operation that reported.
    try {
        OnStatus(this, text);
    } catch (...) {
    }
}

void TPowersock::CheckError(int code, int tolerated)
{
    lastError_ = code;
    if (code != tolerated && code > 10000)
        throw ESockError(ErrorText(code));
}

std::string TPowersock::ErrorText(int code)
{
    ReportStatus(8, "Looking Up Error Message");
    return socketErrorText(code);
}

// --- time-out -------------------------------------------------------------------------------

void TPowersock::TimerOn()
{
    ReportStatus(8, "Timer On");
    timedOut_ = false;
    if (!timer_)
        return;
    timer_->setInterval(unsigned(TimeOut < 0 ? 0 : TimeOut));
    timer_->setEnabled(true);
}

void TPowersock::TimerOff()
{
    ReportStatus(8, "Timer Off");
    if (timer_)
        timer_->setEnabled(false);
}

void TPowersock::TimerTriggered()
{
    ReportStatus(8, "Timer Triggered");
    TimerOff();
    timedOut_ = true;
    lookupDone_ = true;
    Abort();
}

std::string TPowersock::RemoteIP()
{
    ReportStatus(8, "Getting Remote IP");
    in_addr address{};
    address.s_addr = remoteAddress_;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string TPowersock::LocalIP()
{
    ReportStatus(8, "Getting Local IP");
    char name[200] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        throw ESockError(ErrorText(socketErrorFromErrno(errno)));
    std::uint32_t address = 0;
    const int error = lookupHostBlocking(name, address);
    if (error != 0)
        throw ESockError(ErrorText(error));
    const auto *bytes = reinterpret_cast<const unsigned char *>(&address);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

}  // namespace kestrix
