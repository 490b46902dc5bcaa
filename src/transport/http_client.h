#pragma once
// TNMHTTP: a small HTTP/1.0 client on the socket session. One request is one TCP connection:
// connect, send the request, read the reply header, read the body until the server closes,
// disconnect. The program uses only Get, which leaves the page in Body.
//
//   TNMHTTP http;
//   http.Get("http://www.example.org/pop3/release.txt");  // raises on any failure
//   if (http.ReplyCode() >= 200 && http.ReplyCode() < 300) use(http.Body);
//
// Bounds that keep a broken or hostile web server from holding up the caller:
// - a whole Get (every redirect included) ends after RequestTimeOut milliseconds (20 s) with
//   EAbortError, whatever the per-operation TimeOut says;
// - at most MaxRedirects (5) redirects are followed; the next one raises "Too many redirects";
//   reply codes 299 and 303..399 end the request as they are (nothing is repeated);
// - a body over MaxBodyBytes (1 MiB), a header line over 64 KiB or a header over
//   MaxHeaderBytes raise an Exception;
// - a server that closes before its status line raises ESockError: no success with an empty
//   page.
// A reply code of 400 or more is no exception: OnFailure fires and Body holds the error page.
// https goes through the session's TLS stream (port 443 unless the URL names one), with the
// server's certificate checked against the system's trust store and the host name.

#include "transport/ex_string_list.h"
#include "transport/powersock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QTimer;

namespace kestrix {

// Optional request header values; empty ones are not sent.
struct THeaderInfo {
    std::string LocalMailAddress;  // "From"
    std::string LocalProgram;      // "User-Agent"
    std::string Cookie;            // "Cookie"; also keeps a cookie received with a redirect
    std::string Referer;           // "Referer"
    std::string UserId;            // with Password: "Authorization: Basic ..."
    std::string Password;
};

class TNMHTTP : public TPowersock {
public:
    // Cmd: the method code of the request (0 = GET).
    using TResultEvent = std::function<void(std::uint8_t cmd)>;

    static constexpr int MaxRedirects = 5;
    static constexpr std::size_t MaxBodyBytes = 1024 * 1024;
    static constexpr std::size_t MaxHeaderBytes = 1024 * 1024;
    static constexpr std::int32_t DefaultRequestTimeOut = 20000;

    explicit TNMHTTP(std::unique_ptr<Stream> stream = nullptr);
    ~TNMHTTP() override;

    // After a request: the body text; with InputFileMode the name of the file for the body.
    std::string Body = "Default.htm";
    // After a request: the reply header text; with OutputFileMode the name of its file.
    std::string Header = "Head.txt";
    THeaderInfo HeaderInfo;
    bool InputFileMode = false;
    bool OutputFileMode = false;
    // Milliseconds for one whole Get, redirects included; 0 = no bound.
    std::int32_t RequestTimeOut = DefaultRequestTimeOut;

    TNotifyEvent OnAboutToSend;           // before connecting
    TResultEvent OnSuccess;               // reply code below 299
    TResultEvent OnFailure;               // reply code above 399
    THandlerEvent OnRedirect;             // reply code 300..398; Handled ends the request
    TNotifyEvent OnAuthenticationNeeded;  // reply code 401

    // The URL of the current request (after redirects: the last one), the path sent, and what
    // the last reply carried.
    const std::string &URL() const { return url_; }
    void setURL(std::string url) { url_ = std::move(url); }  // for ParseURL alone
    const std::string &Path() const { return path_; }
    const std::string &Location() const { return location_; }
    const std::string &ReceivedCookie() const { return receivedCookie_; }
    const TExStringList &RequestHeader() const { return requestHeader_; }
    std::uint8_t CmdCode() const { return cmdCode_; }
    // Redirects followed by the last Get.
    int RedirectsFollowed() const { return redirects_; }

    // Fetches url; Body, Header, ReplyCode and BytesTotal describe the reply. Raises "Empty URL",
    // "HTTP Secure Socket is not supported", the socket session's failures and the bounds above.
    virtual void Get(const std::string &url);
    // Ends the running request through the abort failure of its waiting loop.
    void Abort() override;

    // The steps of a request, public for the curious; Get runs them.
    void Execute();
    void ParseURL();
    void BuildRequest();
    void SendRequest();
    void ReadReplyHeader();

private:
    bool runPass();
    void checkDeadline() const;
    void startDeadline();
    void stopDeadline();

    std::string url_;
    std::string path_;
    std::string location_;
    std::string receivedCookie_;
    TExStringList requestHeader_;
    std::uint8_t cmdCode_ = 0;
    int redirects_ = 0;
    bool deadlinePassed_ = false;
    bool secure_ = false;  // the URL is https: TLS right after the connect
    std::unique_ptr<QTimer> deadline_;
};

// The base64 form of text (no line breaks), as the Authorization header carries it.
std::string base64Encode(const std::string &text);

}  // namespace kestrix
