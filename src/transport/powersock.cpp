#include "transport/powersock.h"

#include "transport/host_lookup.h"
#include "transport/socket_errors.h"
#include "transport/thread_timer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr int heartbeatMs = 50;
constexpr int fastWaitMs = 2;
constexpr auto eventPassInterval = std::chrono::milliseconds(10);

// Runs a step at the end of a scope, also when an exception leaves it.
template <typename F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally &) = delete;
    Finally &operator=(const Finally &) = delete;

private:
    F f_;
};

}  // namespace

// Marks a blocking operation: while one runs, the socket's readiness belongs to its waiting
// loop; outside, the read notifier watches for the peer's close.
class TPowersock::OperationScope {
public:
    explicit OperationScope(TPowersock &session) : session_(session) { ++session_.operationDepth_; }
    ~OperationScope()
    {
        if (--session_.operationDepth_ == 0) {
            session_.heartbeat_->stop();
            session_.updateIdleWatch();
        }
    }
    OperationScope(const OperationScope &) = delete;
    OperationScope &operator=(const OperationScope &) = delete;

private:
    TPowersock &session_;
};

TPowersock::TPowersock(std::unique_ptr<Stream> stream)
    : stream_(stream ? std::move(stream) : std::make_unique<TcpStream>()),
      timer_(std::make_unique<TThreadTimer>()),
      readNotifier_(std::make_unique<QSocketNotifier>(QSocketNotifier::Read)),
      writeNotifier_(std::make_unique<QSocketNotifier>(QSocketNotifier::Write)),
      heartbeat_(std::make_unique<QTimer>())
{
    ReportStatus(8, "Create");
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, readNotifier_.get(),
                     [this] { onReadable(); });
    QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, writeNotifier_.get(),
                     [this] { onWritable(); });
    heartbeat_->setInterval(heartbeatMs);
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
    const int result = stream_->open(resetOnClose);
    if (result < 0)
        CheckError(socketErrorFromErrno(-result));
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    readNotifier_->setSocket(stream_->handle());
    writeNotifier_->setSocket(stream_->handle());
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

// --- waiting ----------------------------------------------------------------------------------

void TPowersock::waitForEvents(bool read, bool write)
{
    if (read && !write && inputReady()) {
        // What the reader needs is here already: no blocking on the socket for more.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        return;
    }
    if (!connecting_ && (read || write)) {
        const Stream::Readiness need = stream_->waitFor({read, write});
        read = need.read;
        write = need.write;
    }
    const bool haveSocket = stream_->handle() >= 0;
    if (!QCoreApplication::instance()) {
        // No event loop (a plain program): wait on the socket alone.
        pollfd entry{stream_->handle(), short((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
        ::poll(&entry, haveSocket ? 1 : 0, heartbeatMs);
        if (write && connecting_ && (entry.revents & (POLLOUT | POLLERR | POLLHUP)))
            onWritable();
        return;
    }
    if (haveSocket && (read || write) && operationDepth_ > 0 && !connecting_) {
        // A server on the same network answers within a few milliseconds: wait for it on the
        // socket alone first, and run the pending events every few milliseconds, so a fast
        // dialogue does not pay a full event-loop pass per reply while windows stay alive.
        pollfd entry{stream_->handle(), short((read ? POLLIN : 0) | (write ? POLLOUT : 0)), 0};
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
    readNotifier_->setEnabled(connected_ && stream_->handle() >= 0 && !destroying_);
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
    const long n = input_.empty() ? input_.fill(*stream_) : long(input_.size());
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
    const int err = stream_->connectResult();
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

// --- connecting -------------------------------------------------------------------------------

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
        throw ESockError("Host Lookup Timed Out");
    if (canceled_)
        throw ESockError("Host Lookup Canceled");
    if (answer.done && answer.error == 0) {
        remoteAddress_ = answer.address;
        if (OnHostResolved)
            OnHostResolved(this);
        return;
    }
    if (answer.done)
        lastError_ = answer.error;
    throw ESockError("Host Lookup Failed");
}

void TPowersock::Connect()
{
    ReportStatus(8, "Connecting");
    canceled_ = false;
    if (connected_)
        throw ESockError("Already connected");

    int attempts = 0;
    for (;;) {
        try {
            ResolveHost();
        } catch (const ESockError &e) {
            const std::string text = e.what();
            if (text == "Host Lookup Timed Out" || text == "Host Lookup Canceled")
                throw;
        }
        if (remoteAddress_ != 0)
            break;
        if (attempts > 0 || !OnInvalidHost)
            throw ESockError("Null Remote Address");
        bool handled = false;
        OnInvalidHost(handled);
        if (!handled)
            throw ESockError("Null Remote Address");
        ++attempts;
    }

    const std::uint16_t port = htons(std::uint16_t(Proxy.empty() ? Port : ProxyPort));
    OperationScope operation(*this);
    lookupDone_ = false;
    succeed_ = true;
    lastError_ = 0;
    connecting_ = true;
    const int started = stream_->startConnect(remoteAddress_, port);
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
    stream_->close();
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
    if (stream_->handle() < 0)
        return;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    const int result = stream_->close();
    if (result < 0)
        CheckError(socketErrorFromErrno(-result));
    if (destroying_)
        return;
    // The fresh socket comes first, so a failing close handler leaves a usable session.
    openSocket(false);
    if (OnDisconnect)
        OnDisconnect(this);
}

// --- sending ----------------------------------------------------------------------------------

void TPowersock::SendBuffer(const char *data, std::uint16_t count)
{
    ReportStatus(4, "Sending Buffer");
    OperationScope operation(*this);
    TimerOn();
    Finally timerOff([this] { TimerOff(); });
    if (!canceled_) {
        std::size_t total = count;
        if (total == 0)
            total = ::strnlen(data, 65535);
        std::size_t remaining = total;
        while (remaining > 0 && !canceled_) {
            const long n = stream_->send(data + (total - remaining), remaining);
            if (n == 0)
                break;
            if (n > 0) {
                remaining -= std::size_t(n);
                continue;
            }
            CheckError(socketErrorFromErrno(int(-n)));
            // The socket's send buffer is full: wait until it drains (or the time-out fires).
            waitForEvents(false, true);
        }
    }
    if (canceled_) {
        canceled_ = false;
        throw EAbortError("Socket send aborted");
    }
}

void TPowersock::Write(const std::string &text)
{
    ReportStatus(8, "Write");
    if (text.size() >= IOBufferSize)
        throw ESockError("Text too long to send: " + std::to_string(text.size()) + " bytes");
    std::memcpy(io_.data(), text.data(), text.size());
    io_[text.size()] = '\0';
    SendBuffer(io_.data(), 0);
}

void TPowersock::Writeln(const std::string &text)
{
    ReportStatus(8, "Writeln");
    Write(text + "\r\n");
}

void TPowersock::SendFile(const std::string &fileName)
{
    ReportStatus(8, "SendFile");
    QFile file(QString::fromLocal8Bit(fileName.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot open file " + fileName);
    OperationScope operation(*this);
    while (!canceled_ && !file.atEnd()) {
        const qint64 got = file.read(io_.data(), qint64(IOBufferSize));
        if (got < 0)
            throw Exception("Cannot read file " + fileName);
        std::size_t sent = 0;
        while (sent < std::size_t(got) && !canceled_) {
            const long n = stream_->send(io_.data() + sent, std::size_t(got) - sent);
            if (n > 0) {
                sent += std::size_t(n);
                bytesSent_ += std::int32_t(n);
                if (OnPacketSent)
                    OnPacketSent(this);
                QCoreApplication::processEvents();
            } else if (n == 0) {
                break;
            } else {
                CheckError(socketErrorFromErrno(int(-n)));
                waitForEvents(false, true);
            }
        }
        if (sent < std::size_t(got))
            break;
    }
    if (canceled_) {
        canceled_ = false;
        throw EAbortError("Socket send aborted");
    }
}

// --- receiving --------------------------------------------------------------------------------

long TPowersock::receive(char *into, std::size_t max)
{
    if (!input_.empty())
        return long(input_.take(into, max));
    return stream_->recv(into, max);
}

bool TPowersock::inputReady() const
{
    return input_.full() || input_.lineLength() > 0;
}

std::string TPowersock::ReadLn()
{
    ReportStatus(8, "ReadLn");
    OperationScope operation(*this);
    TimerOn();
    Finally timerOff([this] { TimerOff(); });
    std::size_t scanned = 0;  // waiting bytes known to hold no line end
    while (!canceled_) {
        if (scanned > input_.size())
            scanned = 0;  // a handler closed the session meanwhile
        if (const std::size_t length = input_.lineLength(scanned)) {
            std::string line;
            input_.takeInto(line, length);
            return line;
        }
        scanned = input_.size();
        if (input_.full()) {
            // The rest of the line is still on its way: whatever is read next would be taken
            // for replies. End the session instead of misreading it.
            CloseSocket();
            throw ESockError("Line longer than " + std::to_string(IOBufferSize) + " bytes");
        }
        const long n = input_.fill(*stream_);
        if (n > 0)
            continue;
        if (n == 0) {
            input_.clear();  // the peer has closed: a part line without its end is lost
            return {};
        }
        lastError_ = socketErrorFromErrno(int(-n));
        if (lastError_ == SocketError::NotConnected)
            throw ESockError(ErrorText(lastError_));
        CheckError(lastError_);
        waitForEvents(true, false);
    }
    canceled_ = false;
    throw EAbortError("Socket readln aborted");
}

std::string TPowersock::Transaction(const std::string &command)
{
    ReportStatus(8, "Transaction");
    replyCode_ = 0;
    Writeln(command);
    std::string reply = ReadLn();
    lastReply_ = reply;
    if (!reply.empty()) {
        ReportStatus(1, reply);
        long value = 0;
        std::size_t digits = 0;
        while (digits < 10 && digits < reply.size() && reply[digits] >= '0' && reply[digits] <= '9')
            value = value * 10 + (reply[digits++] - '0');
        if (digits > 0) {
            if (value > 32767)
                throw EConvertError("'" + reply.substr(0, digits) + "' is not a valid reply code");
            replyCode_ = std::int16_t(value);
        }
    }
    return reply;
}

void TPowersock::CaptureString(std::string &text, std::int32_t limit)
{
    ReportStatus(8, "Capture String");
    OperationScope operation(*this);
    text.clear();
    captureLoop([&text](const char *data, long n) { text.append(data, std::size_t(n)); },
                [&text, limit] {
                    return limit != -1 && text.size() >= std::size_t(limit < 0 ? 0 : limit);
                },
                "Socket capture aborted");
}

void TPowersock::CaptureFile(const std::string &fileName)
{
    ReportStatus(8, "CaptureFile");
    // Written through a temporary file: an aborted capture keeps the previous file.
    QSaveFile file(QString::fromLocal8Bit(fileName.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        throw Exception("Cannot create file " + fileName);
    OperationScope operation(*this);
    captureLoop(
        [&file, &fileName](const char *data, long n) {
            if (file.write(data, n) != n)
                throw Exception("Cannot write file " + fileName);
        },
        [] { return false; }, "Socket send aborted");
    if (!file.commit())
        throw Exception("Cannot write file " + fileName);
}

void TPowersock::captureLoop(const std::function<void(const char *, long)> &sink,
                             const std::function<bool()> &enough, const char *abortText)
{
    bytesRecvd_ = 0;
    TimerOn();
    Finally timerOff([this] { TimerOff(); });
    while (!canceled_) {
        if (enough())
            break;
        const long n = receive(io_.data(), IOBufferSize);
        if (n == 0)
            break;
        if (n > 0) {
            sink(io_.data(), n);
            bytesRecvd_ += std::int32_t(n);
            if (OnPacketRecvd)
                OnPacketRecvd(this);
            TimerOn();
            QCoreApplication::processEvents();
            continue;
        }
        lastError_ = socketErrorFromErrno(int(-n));
        if (lastError_ == SocketError::NotConnected)
            break;
        CheckError(lastError_);
        waitForEvents(true, false);
    }
    if (canceled_) {
        canceled_ = false;
        throw EAbortError(abortText);
    }
}

// --- small queries ----------------------------------------------------------------------------

bool TPowersock::DataAvailable()
{
    ReportStatus(8, "Data Available");
    return !input_.empty() || input_.fill(*stream_) > 0;
}

void TPowersock::ClearInput()
{
    ReportStatus(8, "Clearing Input");
    input_.clear();
    if (stream_->handle() < 0)
        return;
    std::array<char, IOBufferSize> scratch;
    stream_->recv(scratch.data(), scratch.size());
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
