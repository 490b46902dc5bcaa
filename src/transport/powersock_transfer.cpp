// The socket session's sending and receiving: buffers and lines out, lines and captures in,
// all through the read-ahead, each with the session's time-out.
#include "transport/powersock.h"

#include "files/private_save_file.h"

#include "transport/powersock_operation.h"
#include "transport/scope_exit.h"
#include "transport/socket_errors.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace kestrix {

void TPowersock::SendBuffer(const char *data, std::uint16_t count)
{
    ReportStatus(4, "Sending Buffer");
    OperationScope operation(*this);
    TimerOn();
    ScopeExit timerOff([this] { TimerOff(); });
    if (!canceled_) {
        std::size_t total = count;
        if (total == 0)
            total = ::strnlen(data, 65535);
        std::size_t remaining = total;
        while (remaining > 0 && !canceled_) {
            const long n = stream().send(data + (total - remaining), remaining);
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

std::size_t TPowersock::SendWithoutWaiting(const char *data, std::size_t count)
{
    const long n = count > 0 ? stream().send(data, count) : 0;
    if (n < 0)
        CheckError(socketErrorFromErrno(int(-n)));
    return n > 0 ? std::size_t(n) : 0;
}

std::size_t TPowersock::SendUntilInput(const char *data, std::size_t count)
{
    // Waiting, the session's time-out and Abort apply as to every operation.
    OperationScope operation(*this);
    TimerOn();
    ScopeExit timerOff([this] { TimerOff(); });
    std::size_t sent = 0;
    while (sent < count && !canceled_ && !inputReady()) {
        const long n = stream().send(data + sent, count - sent);
        if (n > 0) {
            sent += std::size_t(n);
            TimerOn();
            continue;
        }
        if (n == 0)
            throw ESockError(ErrorText(SocketError::NotConnected));
        CheckError(socketErrorFromErrno(int(-n)));
        const long received = input_.fill(stream());
        if (received == 0)
            break;  // the peer has closed: the reader finds out
        if (received > 0)
            continue;
        lastError_ = socketErrorFromErrno(int(-received));
        CheckError(lastError_);
        waitForEvents(true, true);
    }
    if (canceled_) {
        canceled_ = false;
        throw EAbortError("Socket send aborted");
    }
    return sent;
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

// --- receiving --------------------------------------------------------------------------------

long TPowersock::receive(char *into, std::size_t max)
{
    if (!input_.empty())
        return long(input_.take(into, max));
    return stream().recv(into, max);
}

bool TPowersock::inputReady() const
{
    return input_.full() || input_.lineLength() > 0;
}

std::string TPowersock::ReadLn()
{
    ReportStatus(8, "ReadLn");
    if (!canceled_) {
        // A line that arrived with an earlier receive needs no waiting, so no countdown either:
        // in a pipelined download most lines are taken this way.
        if (const std::size_t length = input_.lineLength()) {
            std::string line;
            input_.takeInto(line, length);
            return line;
        }
    }
    OperationScope operation(*this);
    TimerOn();
    ScopeExit timerOff([this] { TimerOff(); });
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
        const long n = input_.fill(stream());
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
    Writeln(command);
    return ReadReply();
}

std::string TPowersock::ReadReply()
{
    replyCode_ = 0;
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
    PrivateSaveFile file(QString::fromLocal8Bit(fileName.c_str()));
    const auto fail = [&fileName](const char *what, const QString &reason) {
        throw Exception(what + fileName + ": " + reason.toLocal8Bit().toStdString());
    };
    if (const QString reason = file.open(); !reason.isEmpty())
        fail("Cannot create file ", reason);
    OperationScope operation(*this);
    captureLoop(
        [&file, &fail](const char *data, long n) {
            if (const QString reason = file.write(data, n); !reason.isEmpty())
                fail("Cannot write file ", reason);
        },
        [] { return false; }, "Socket send aborted");
    if (const QString reason = file.commit(); !reason.isEmpty())
        fail("Cannot write file ", reason);
}

void TPowersock::captureLoop(const std::function<void(const char *, long)> &sink,
                             const std::function<bool()> &enough, const char *abortText)
{
    bytesRecvd_ = 0;
    TimerOn();
    ScopeExit timerOff([this] { TimerOff(); });
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
    return !input_.empty() || input_.fill(stream()) > 0;
}

void TPowersock::ClearInput()
{
    ReportStatus(8, "Clearing Input");
    input_.clear();
    if (stream().handle() < 0)
        return;
    std::array<char, IOBufferSize> scratch;
    stream().recv(scratch.data(), scratch.size());
}

}  // namespace kestrix
