#include "transport/http_client.h"

#include "files/private_save_file.h"
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/scope_exit.h"

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QTimer>

#include <climits>

namespace kestrix {

namespace {

constexpr std::size_t maxFieldLength = 256;  // paths, locations and cookies are cut here

// Position of the n-th "/" (1-based) in text, npos when there are fewer.
std::size_t nthSlash(const std::string &text, int n)
{
    std::size_t at = std::string::npos;
    for (int k = 0; k < n; ++k) {
        at = text.find('/', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos)
            break;
    }
    return at;
}

std::string firstWord(const std::string &line)
{
    return line.substr(0, line.find(' '));
}

std::int32_t portNumber(const std::string &text)
{
    const auto value = parseDecimal(text);
    if (!value)
        throw EConvertError("'" + text + "' is not a valid integer value");
    // A number past the port range would silently wrap into another port.
    if (*value < 0 || *value > 65535)
        throw EConvertError("'" + text + "' is not a valid port number");
    return std::int32_t(*value);
}

// The reply code of a status line: its second blank-separated field as a number, 0 when it
// is none (or does not fit the reply code).
std::int16_t statusCode(const std::string &statusLine)
{
    const std::string line = withoutLineEnd(statusLine);
    const std::size_t start = line.find_first_not_of(' ', line.find(' '));
    if (line.find(' ') == std::string::npos || start == std::string::npos)
        return 0;
    const auto value = parseDecimal(line.substr(start, line.find(' ', start) - start));
    if (!value || *value < SHRT_MIN || *value > SHRT_MAX)
        return 0;
    return std::int16_t(*value);
}

// The first run of decimal digits in text, 0 when there is none; capped at the int range.
std::int32_t firstNumber(const std::string &text)
{
    const std::size_t start = text.find_first_of("0123456789");
    if (start == std::string::npos)
        return 0;
    long long value = 0;
    for (std::size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return std::int32_t(value);
}

void writeFile(const std::string &fileName, const std::string &bytes)
{
    PrivateSaveFile file(QString::fromLocal8Bit(fileName.c_str()));
    QString reason = file.open();
    if (reason.isEmpty())
        reason = file.write(bytes.data(), qint64(bytes.size()));
    if (reason.isEmpty())
        reason = file.commit();
    if (!reason.isEmpty())
        throw Exception("Cannot write file " + fileName + ": " + reason.toLocal8Bit().toStdString());
}

}  // namespace

std::string base64Encode(const std::string &text)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((text.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, text.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < n ? static_cast<unsigned char>(text[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? alphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

TNMHTTP::TNMHTTP(std::unique_ptr<Stream> stream)
    : TPowersock(std::move(stream)), deadline_(std::make_unique<QTimer>())
{
    deadline_->setSingleShot(true);
    QObject::connect(deadline_.get(), &QTimer::timeout, deadline_.get(), [this] {
        deadlinePassed_ = true;
        Abort();
    });
}

TNMHTTP::~TNMHTTP()
{
    deadline_->stop();
    try {
        TNMHTTP::Abort();
    } catch (...) {
    }
}

void TNMHTTP::Abort()
{
    TPowersock::Abort();
}

void TNMHTTP::Get(const std::string &url)
{
    cmdCode_ = 0;
    url_ = url;
    Execute();
}

void TNMHTTP::startDeadline()
{
    deadlinePassed_ = false;
    if (RequestTimeOut > 0 && QAbstractEventDispatcher::instance())
        deadline_->start(RequestTimeOut);
}

void TNMHTTP::stopDeadline()
{
    deadline_->stop();
}

void TNMHTTP::checkDeadline() const
{
    if (deadlinePassed_)
        throw EAbortError("HTTP request timed out");
}

void TNMHTTP::Execute()
{
    redirects_ = 0;
    startDeadline();
    ScopeExit stop([this] { stopDeadline(); });
    try {
        while (runPass()) {
        }
    } catch (const std::exception &) {
        // Whatever the waiting loop reported, the request ended because its time was up.
        if (deadlinePassed_)
            throw EAbortError("HTTP request timed out after " + std::to_string(RequestTimeOut) +
                              " ms");
        throw;
    }
}

// One request on one connection; true when the request is to be repeated for a new URL.
bool TNMHTTP::runPass()
{
    checkDeadline();
    ParseURL();
    BuildRequest();
    if (OnAboutToSend)
        OnAboutToSend(this);

    TPowersock::Connect();
    {
        // A failure anywhere in the pass still closes the connection.
        ScopeExit closeOnFailure([this] {
            if (Connected())
                TPowersock::Disconnect();
        });
        // https: the server's certificate is checked for Host before the request goes out.
        if (secure_)
            StartTls();
        SendRequest();
        replyCodeRef() = 0;
        ReadReplyHeader();
        if (InputFileMode) {
            CaptureFile(Body);
        } else {
            std::string body;
            CaptureString(body, std::int32_t(MaxBodyBytes + 1));
            if (body.size() > MaxBodyBytes) {
                Body.clear();
                throw Exception("Reply body longer than " + std::to_string(MaxBodyBytes) +
                                " bytes");
            }
            Body = std::move(body);
        }

        const int code = ReplyCode();
        if (code < 299) {
            if (OnSuccess)
                OnSuccess(cmdCode_);
            ReportStatus(2, "Transaction Completed");
        } else if (code > 399) {
            if (OnFailure)
                OnFailure(cmdCode_);
        } else if (code >= 300 && code <= 302) {
            url_ = location_;
        }
        TPowersock::Disconnect();
    }

    const int code = ReplyCode();
    if (code > 299 && code < 399) {
        if (!receivedCookie_.empty())
            HeaderInfo.Cookie = receivedCookie_;
        bool handled = false;
        if (OnRedirect)
            OnRedirect(handled);
        if (handled)
            return false;
        if (code <= 302 && url_.find('/') == std::string::npos) {
            // A bare name is taken from the root of the current server (its port included).
            url_ = "http://" + Host + (Port == 80 ? "" : ":" + std::to_string(Port)) + "/" + url_;
        }
    }
    if (code == 401 && OnAuthenticationNeeded)
        OnAuthenticationNeeded(this);
    // Only the redirects that name a new place are followed; 299 and 303..399 end the request,
    // as they would otherwise repeat it unchanged.
    if (code < 300 || code > 302)
        return false;
    if (++redirects_ > MaxRedirects)
        throw Exception("Too many redirects (more than " + std::to_string(MaxRedirects) + ")");
    return true;
}

void TNMHTTP::ParseURL()
{
    if (url_.empty())
        throw Exception("Empty URL");
    if (Port == 0)
        Port = 80;

    const bool hasAuthority = url_.find("//") != std::string::npos;
    const std::size_t third = nthSlash(url_, 3);
    if (hasAuthority) {
        path_ = third == std::string::npos || third + 1 == url_.size()
                    ? std::string()
                    : url_.substr(third, maxFieldLength);
    } else {
        const std::size_t first = url_.find('/');
        path_ = first == std::string::npos ? std::string() : url_.substr(first);
    }

    secure_ = false;
    if (const std::size_t colon = url_.find(':'); colon != std::string::npos) {
        const std::string scheme = lowerAZ(url_.substr(0, colon));
        secure_ = scheme == "https";
        if (secure_)
            Port = 443;
        else if (scheme == "gopher")
            Port = 70;
        else if (scheme == "ftp")
            Port = 21;
        else
            Port = 80;
    }

    std::string hostPart;
    if (hasAuthority) {
        const std::size_t second = nthSlash(url_, 2);
        hostPart = url_.substr(second + 1, third == std::string::npos ? std::string::npos
                                                                      : third - second - 1);
    } else if (url_.front() != '/') {
        hostPart = url_.substr(0, url_.find('/'));
    }
    if (const std::size_t colon = hostPart.find(':'); colon != std::string::npos) {
        Port = portNumber(hostPart.substr(colon + 1));
        hostPart.erase(colon);
    }
    if (!hostPart.empty())
        Host = hostPart;

    if (path_.empty()) {
        path_ = "/";
        if (url_.back() != '/')
            url_ += "/";
    }
}

void TNMHTTP::BuildRequest()
{
    requestHeader_.Clear();
    if (Proxy.empty()) {
        requestHeader_.Add("GET " + path_ + " HTTP/1.0");
    } else {
        requestHeader_.Add("GET " + url_ + " HTTP/1.0");
        requestHeader_.Add("Proxy-Connection: Keep-Alive");
        requestHeader_.Add("Host: " + Host);
    }
    requestHeader_.SetHeader("Host", Host);
    requestHeader_.Add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    requestHeader_.Add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    if (!HeaderInfo.LocalMailAddress.empty())
        requestHeader_.SetHeader("From", HeaderInfo.LocalMailAddress);
    if (!HeaderInfo.LocalProgram.empty())
        requestHeader_.SetHeader("User-Agent", HeaderInfo.LocalProgram);
    if (!HeaderInfo.Cookie.empty())
        requestHeader_.SetHeader("Cookie", HeaderInfo.Cookie);
    if (!HeaderInfo.Referer.empty())
        requestHeader_.SetHeader("Referer", HeaderInfo.Referer);
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty())
        requestHeader_.SetHeader("Authorization",
                                 "Basic " + base64Encode(HeaderInfo.UserId + ":" +
                                                         HeaderInfo.Password));
    requestHeader_.Add("Content-type: application/x-www-form-urlencoded");
}

void TNMHTTP::SendRequest()
{
    std::string text;
    for (const std::string &line : requestHeader_.Lines())
        text += line + "\r\n";
    Write(text);
    Writeln(std::string());
}

void TNMHTTP::ReadReplyHeader()
{
    bytesTotalRef() = 0;
    receivedCookie_.clear();
    // A redirect without a Location must not send the request back to an earlier one.
    location_.clear();
    std::string header;

    const std::string status = ReadLn();
    if (status.empty()) {
        // Nothing at all came back: no page, and certainly not an empty one.
        throw ESockError("Connection closed by server before its reply");
    }
    replyCodeRef() = statusCode(status);
    header += status;

    for (;;) {
        const std::string line = ReadLn();
        if (header.size() + line.size() > MaxHeaderBytes)
            throw Exception("Reply header longer than " + std::to_string(MaxHeaderBytes) +
                            " bytes");
        const std::string name = upperAZ(firstWord(line));
        const std::string text = withoutLineEnd(line);
        if (name == "SET-COOKIE:")
            receivedCookie_ = text.size() > 12 ? text.substr(12, maxFieldLength) : std::string();
        else if (name == "LOCATION:")
            location_ = text.size() > 10 ? text.substr(10, maxFieldLength) : std::string();
        else if (name == "CONTENT-LENGTH:")
            bytesTotalRef() = text.size() > 16 ? firstNumber(text.substr(16)) : 0;
        header += line;
        if (line.empty() || line == "\n" || line == "\r\n")
            break;
    }

    if (OutputFileMode)
        writeFile(Header, header);
    else
        Header = std::move(header);
}

}  // namespace kestrix
