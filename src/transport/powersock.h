#pragma once
// TPowersock: one blocking TCP client session for code on the event-loop thread. Every
// waiting operation runs the thread's pending events while it waits (so windows stay alive and
// a handler can Cancel or Abort it), but it never spins: it blocks in the event dispatcher
// until the socket is ready, an event arrives or 50 ms pass. A per-session time-out timer
// (TThreadTimer) aborts an operation that takes too long. Progress is reported as status texts
// with a level (1, 2, 4, 8) through OnStatus, filtered by ReportLevel.
//
// All reads and writes go through a Stream (plain TCP by default; TLS can slot in later), and
// through the wire log when KESTRIX_WIRE_LOG names a file (wire_log.h).
// Received bytes land in the session's read-ahead buffer first (InputBuffer, 64 KiB), from which
// every reader takes: one receive usually brings a whole reply, or several, and ReadLn still
// hands out one line at a time, leaving the following bytes for the next reader.

#include "transport/connection_protection.h"
#include "transport/exceptions.h"
#include "transport/input_buffer.h"
#include "transport/stream.h"
#include "transport/wire_log.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

namespace kestrix {

class HostLookup;
class TlsStream;
class TThreadTimer;

class TPowersock {
public:
    using TNotifyEvent = std::function<void(TPowersock *sender)>;
    // A handler that may fix the situation sets handled to true; it is offered once.
    using THandlerEvent = std::function<void(bool &handled)>;
    using TOnStatus = std::function<void(TPowersock *sender, const std::string &status)>;
    using TOnHostResolved = TNotifyEvent;

    static constexpr std::size_t IOBufferSize = 65536;

    // stream: the transport to use; a plain TcpStream when none is given.
    explicit TPowersock(std::unique_ptr<Stream> stream = nullptr);
    virtual ~TPowersock();
    TPowersock(const TPowersock &) = delete;
    TPowersock &operator=(const TPowersock &) = delete;

    // Settings.
    std::string Host;          // name or dotted IPv4 address
    std::int32_t Port = 0;
    std::int32_t TimeOut = 0;  // milliseconds for one operation; 0 = none
    std::int32_t ReportLevel = 0;
    // When set, connect to Proxy:ProxyPort instead of Host:Port (the HTTP client's proxy).
    std::string Proxy;
    std::int32_t ProxyPort = 0;

    // Events (any may be empty).
    TNotifyEvent OnConnect;          // the TCP connection is up
    TNotifyEvent OnDisconnect;       // after every successful close of the socket
    TNotifyEvent OnConnectionFailed; // Connect ends by time-out, cancel or refusal
    THandlerEvent OnInvalidHost;     // look-up left no address: may set Host and Handled
    TOnHostResolved OnHostResolved;
    TOnStatus OnStatus;
    THandlerEvent OnConnectionRequired;  // CheckConnection found no connection
    TNotifyEvent OnPacketRecvd;      // after each chunk of CaptureFile / CaptureString

    // Run-time state.
    bool Connected() const { return connected_; }
    const std::string &Status() const { return status_; }
    const std::string &LastReply() const { return lastReply_; }  // with its line end
    std::int16_t ReplyCode() const { return replyCode_; }
    std::int32_t LastError() const { return lastError_; }
    std::int32_t BytesRecvd() const { return bytesRecvd_; }
    std::int32_t BytesTotal() const { return bytesTotal_; }
    bool TimedOut() const { return timedOut_; }
    bool Canceled() const { return canceled_; }
    std::uint32_t RemoteAddress() const { return remoteAddress_; }  // network order, 0 = none

    // TLS (powersock_tls.cpp). StartTls puts TLS on the connection: right after Connect for
    // implicit TLS, or after the server agreed to an upgrade. Bytes read ahead before it are
    // dropped. The handshake waits like every operation, with the time-out, and Abort ends it.
    // A certificate that fails the checks closes the connection before anything is sent over it
    // (ECertificateError, with its fingerprint) unless its SHA-256 equals PinnedSha256. Every
    // connection starts plain again.
    std::string PinnedSha256;  // 64 lower-case hex digits, or empty
    void StartTls();
    bool Encrypted() const;
    std::string Protection() const;  // "TLS 1.3"; empty on a plain connection
    // The protection of the current connection, or of the last one once it has closed;
    // reset when the next connection starts.
    const ConnectionProtection &LastProtection() const { return protection_; }

    // Operations. Failures raise ESockError (socket errors; EHostLookupFailed and
    // EHostLookupInterrupted for the look-up), EAbortError (ended by Cancel/Abort/time-out) or
    // Exception.
    virtual void Connect();
    virtual void Disconnect();
    virtual std::string Transaction(const std::string &command);  // reply with its line end
    virtual void Abort();

    void CheckConnection();
    void Cancel();
    void ResolveHost();
    // count 0: up to the first zero byte, at most 65,535 bytes.
    void SendBuffer(const char *data, std::uint16_t count);
    void Write(const std::string &text);
    void Writeln(const std::string &text);
    // For a writer that must go on reading while its bytes wait to go out (a peer that waits
    // for us to read does not read either). Both send from the front of data and return the
    // count sent: what the socket takes now (0 when it is full), or, waiting, until a whole
    // line waits to be read or everything is sent.
    std::size_t SendWithoutWaiting(const char *data, std::size_t count);
    std::size_t SendUntilInput(const char *data, std::size_t count);
    // One whole line with its line end (CR LF or LF); the bytes after it stay unread. The
    // empty text when the peer has closed. A line longer than 65,536 bytes closes the session
    // (its rest could only be misread as replies) and raises "Line longer than 65536 bytes".
    std::string ReadLn();
    void CaptureFile(const std::string &fileName);
    void CaptureString(std::string &text, std::int32_t limit);  // limit -1: none
    // True when unread bytes wait, in the read-ahead or on the socket.
    bool DataAvailable();
    // Drops the unread bytes: the read-ahead and one receive of what waits on the socket.
    void ClearInput();
    std::string RemoteIP();
    std::string LocalIP();
    std::string ErrorText(int code);
    void CloseSocket();
    void ReportStatus(std::uint8_t level, const std::string &text);
    void TimerOn();
    void TimerOff();

protected:
    // Raises ErrorText(code) unless code is the tolerated one or not above 10000.
    void CheckError(int code, int tolerated = 10035);
    // Destruction order: subclasses call their own Abort in their destructor first.
    bool destroying() const { return destroying_; }

private:
    class OperationScope;
    friend class OperationScope;

    // Every read and write goes through here: the stream itself, or the wire log watching it.
    Stream &stream() { return wireLog_ ? static_cast<Stream &>(*wireLog_) : *stream_; }
    const Stream &stream() const { return wireLog_ ? static_cast<const Stream &>(*wireLog_) : *stream_; }

    TlsStream *tlsStream() const;
    void dropTls();
    void InitializeSocket();
    void openSocket(bool resetOnClose);
    void TimerTriggered();
    // Runs the thread's events once, blocking until one of them arrives: socket readable
    // (read), socket writable (write), the look-up answer, the timer, or 50 ms.
    void waitForEvents(bool read, bool write);
    // The receive loop of both captures: every chunk goes to sink until the server closes,
    // the operation is cancelled (abortText) or enough() says so.
    void captureLoop(const std::function<void(const char *, long)> &sink,
                     const std::function<bool()> &enough, const char *abortText);
    void onReadable();
    void onWritable();
    void updateIdleWatch();
    // A fresh socket after a failed connect attempt, without the close events.
    void renewSocketQuietly();
    // Up to max unread bytes: from the read-ahead when it holds any, else one receive from the
    // stream. 0 when the peer has closed, -errno on failure.
    long receive(char *into, std::size_t max);
    // The read-ahead holds what a reader can take without waiting: a whole line, or no room.
    bool inputReady() const;

    std::unique_ptr<Stream> stream_;
    std::unique_ptr<TThreadTimer> timer_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    std::unique_ptr<QTimer> heartbeat_;
    std::unique_ptr<WireLogStream> wireLog_;  // null unless KESTRIX_WIRE_LOG is set
    std::shared_ptr<HostLookup> lookup_;
    std::array<char, IOBufferSize + 1> io_{};  // sends and captures
    InputBuffer input_{IOBufferSize};          // read-ahead; emptied with every close

    bool connected_ = false;
    bool connecting_ = false;
    std::string status_;
    std::string lastReply_;
    std::int16_t replyCode_ = 0;
    std::int32_t lastError_ = 0;
    std::int32_t bytesRecvd_ = 0;
    std::int32_t bytesTotal_ = 0;
    bool canceled_ = false;
    bool timedOut_ = false;
    bool succeed_ = true;
    bool lookupDone_ = false;
    bool destroying_ = false;
    std::uint32_t remoteAddress_ = 0;
    int operationDepth_ = 0;
    std::chrono::steady_clock::time_point lastEventPass_;

protected:
    ConnectionProtection protection_;
    // For the clients above: message retrieval counts its lines, HTTP the announced body size.
    std::int32_t &bytesRecvdRef() { return bytesRecvd_; }
    std::int32_t &bytesTotalRef() { return bytesTotal_; }
    std::int16_t &replyCodeRef() { return replyCode_; }  // clients that read their own replies
    // The reply half of Transaction: the next line as the reply to a command sent earlier
    // (kept as LastReply, reported at level 1, its leading number as ReplyCode).
    std::string ReadReply();
};

}  // namespace kestrix
