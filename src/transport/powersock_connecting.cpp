// The socket session's connecting and closing: host look-up, connect with its one correction of
// an unknown host, cancel and abort, and the close that leaves a fresh socket behind.
#include "transport/powersock.h"

#include "transport/host_lookup.h"
#include "transport/powersock_operation.h"
#include "transport/socket_errors.h"
#include "transport/wire_log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>

namespace kestrix {

void TPowersock::ResolveHost()
{
    ReportStatus(8, "Resolve Host");
    const std::string name = Proxy.empty() ? Host : Proxy;
    in_addr parsed{};
    if (::inet_aton(name.c_str(), &parsed) != 0 && parsed.s_addr != INADDR_NONE) {
        remoteAddress_ = parsed.s_addr;
        return;
    }
    remoteAddress_ = 0;
    OperationScope operation(*this);
    TimerOn();
    lookupDone_ = false;
    lookup_ = HostLookup::start(name);
    HostLookup::Answer answer;
    while (!lookupDone_ && !timedOut_ && !canceled_) {
        answer = lookup_->answer();
        if (answer.done) {
            lookupDone_ = true;
            succeed_ = answer.error == 0;
            break;
        }
        waitForEvents(false, false);
    }
    TimerOff();
    lookup_.reset();
    if (timedOut_)
        throw EHostLookupInterrupted("Host Lookup Timed Out");
    if (canceled_)
        throw EHostLookupInterrupted("Host Lookup Canceled");
    if (answer.done && answer.error == 0) {
        remoteAddress_ = answer.address;
        if (OnHostResolved)
            OnHostResolved(this);
        return;
    }
    if (answer.done)
        lastError_ = answer.error;
    throw EHostLookupFailed("Host Lookup Failed");
}

void TPowersock::Connect()
{
    ReportStatus(8, "Connecting");
    canceled_ = false;
    if (connected_)
        throw ESockError("Already connected");
    protection_ = ConnectionProtection{};

    int attempts = 0;
    for (;;) {
        // A name without an address may get its correction below; a look-up that was cancelled
        // or timed out ends the connect.
        try {
            ResolveHost();
        } catch (const EHostLookupFailed &) {
        }
        if (remoteAddress_ != 0)
            break;
        if (attempts > 0 || !OnInvalidHost)
            throw EHostNotFound("Null Remote Address");
        bool handled = false;
        OnInvalidHost(handled);
        if (!handled)
            throw EHostNotFound("Null Remote Address");
        ++attempts;
    }

    const std::uint16_t port = htons(std::uint16_t(Proxy.empty() ? Port : ProxyPort));
    if (wireLog_)
        wireLog_->setPeer(Proxy.empty() ? Host : Proxy, Proxy.empty() ? Port : ProxyPort);
    OperationScope operation(*this);
    lookupDone_ = false;
    succeed_ = true;
    lastError_ = 0;
    connecting_ = true;
    const int started = stream().startConnect(remoteAddress_, port);
    if (started == 0) {
        connecting_ = false;
        connected_ = true;
        try {
            if (OnConnect)
                OnConnect(this);
        } catch (...) {
        }
    } else if (started != -EINPROGRESS) {
        connecting_ = false;
        const int code = socketErrorFromErrno(-started);
        renewSocketQuietly();
        CheckError(code);
        // Not even "would block" may pass here: on POSIX it means no local port was free, and
        // no notice would ever end the wait below.
        throw ESockError(ErrorText(code));
    }

    TimerOn();
    while (!connected_ && !timedOut_ && !canceled_ && succeed_)
        waitForEvents(false, true);
    TimerOff();
    if (!timedOut_ && !canceled_ && succeed_)
        return;

    connecting_ = false;
    const int refusal = succeed_ ? 0 : lastError_;
    // A socket whose connect failed cannot connect again: start the next attempt afresh.
    renewSocketQuietly();
    if (OnConnectionFailed)
        OnConnectionFailed(this);
    if (timedOut_)
        throw ESockError("Connection Timed out");
    if (canceled_)
        throw ESockError("Connection Canceled");
    if (refusal != 0) {
        lastError_ = refusal;
        throw ESockError(ErrorText(refusal));
    }
    throw ESockError("Connection Failed");
}

void TPowersock::renewSocketQuietly()
{
    input_.clear();
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    stream().close();
    dropTls();
    openSocket(false);
}

void TPowersock::CheckConnection()
{
    ReportStatus(8, "Checking Connection");
    int attempts = 0;
    while (!connected_) {
        if (attempts > 0 || !OnConnectionRequired)
            throw Exception("Not Connected");
        bool handled = false;
        OnConnectionRequired(handled);
        if (!handled)
            throw Exception("Not Connected");
        ++attempts;
    }
}

void TPowersock::Cancel()
{
    ReportStatus(8, "Canceling");
    canceled_ = true;
}

void TPowersock::Abort()
{
    ReportStatus(8, "Abort");
    Cancel();
}

void TPowersock::Disconnect()
{
    ReportStatus(8, "Disconnecting");
    CloseSocket();
}

void TPowersock::CloseSocket()
{
    ReportStatus(4, "Request Close Socket");
    connected_ = false;
    connecting_ = false;
    // What was read ahead belongs to the connection that ends here.
    input_.clear();
    if (stream().handle() < 0)
        return;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    const int result = stream().close();
    dropTls();
    if (result < 0)
        CheckError(socketErrorFromErrno(-result));
    if (destroying_)
        return;
    // The fresh socket comes first, so a failing close handler leaves a usable session.
    openSocket(false);
    if (OnDisconnect)
        OnDisconnect(this);
}

}  // namespace kestrix
