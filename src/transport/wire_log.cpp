#include "transport/wire_log.h"

#include <QDateTime>

#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace kestrix {

namespace {

// The log file, opened on first use for the whole process; -1 when logging is off or the file
// cannot be opened (diagnosis must never stop the program).
int logFile()
{
    static const int fd = [] {
        const char *name = std::getenv("KESTRIX_WIRE_LOG");
        if (!name || !*name)
            return -1;
        return ::open(name, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    }();
    return fd;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Control bytes other than TAB become \xHH, so a line of the log stays one line.
void appendVisible(std::string &out, std::string_view bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t') {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string maskWireLine(std::string_view line)
{
    for (const std::string_view secret : {std::string_view("PASS "), std::string_view("AUTHORIZATION:")}) {
        if (startsWithNoCase(line, secret))
            return std::string(line.substr(0, secret.size())) + (secret.back() == ' ' ? "****" : " ****");
    }
    // "AUTH MECHANISM initial-response": the response is the secret.
    if (startsWithNoCase(line, "AUTH ")) {
        const std::size_t blank = line.find(' ', 5);
        if (blank != std::string_view::npos)
            return std::string(line.substr(0, blank)) + " ****";
    }
    return std::string(line);
}

std::unique_ptr<WireLogStream> WireLogStream::createIfEnabled()
{
    if (logFile() < 0)
        return nullptr;
    static std::atomic<int> sessions{0};
    return std::unique_ptr<WireLogStream>(new WireLogStream(++sessions));
}

void WireLogStream::setPeer(const std::string &host, int port)
{
    peer_ = host + ":" + std::to_string(port);
}

void WireLogStream::note(std::string_view text)
{
    writeLine('-', text);
}

int WireLogStream::startConnect(std::uint32_t address, std::uint16_t port)
{
    active_ = true;
    note("connecting");
    return inner_->startConnect(address, port);
}

long WireLogStream::send(const char *data, std::size_t count)
{
    const long n = inner_->send(data, count);
    if (n > 0)
        record(sent_, 'C', data, std::size_t(n));
    return n;
}

long WireLogStream::recv(char *data, std::size_t count)
{
    const long n = inner_->recv(data, count);
    if (n > 0)
        record(received_, 'S', data, std::size_t(n));
    return n;
}

int WireLogStream::close()
{
    flush(sent_, 'C');
    flush(received_, 'S');
    if (active_)
        note("closed");
    active_ = false;
    return inner_->close();
}

void WireLogStream::record(std::string &pending, char direction, const char *data,
                           std::size_t count)
{
    pending.append(data, count);
    std::size_t start = 0;
    for (std::size_t lf = pending.find('\n'); lf != std::string::npos;
         lf = pending.find('\n', start)) {
        std::string_view line(pending.data() + start, lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        writeLine(direction, line);
        start = lf + 1;
    }
    pending.erase(0, start);
    // A body without line ends must not pile up in memory: write it in pieces.
    if (pending.size() >= 4096)
        flush(pending, direction);
}

void WireLogStream::flush(std::string &pending, char direction)
{
    if (pending.empty())
        return;
    writeLine(direction, pending);
    pending.clear();
}

void WireLogStream::writeLine(char direction, std::string_view line)
{
    const int fd = logFile();
    if (fd < 0)
        return;
    std::string out = QDateTime::currentDateTime()
                          .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                          .toStdString();
    out += " #" + std::to_string(session_);
    if (!peer_.empty())
        out += " " + peer_;
    out += direction == 'C' ? " C: " : direction == 'S' ? " S: " : " -- ";
    std::string shown(line);
    if (direction == 'C') {
        shown = inSasl_ ? std::string("****") : maskWireLine(line);
        inSasl_ = inSasl_ || startsWithNoCase(line, "AUTH ");
    } else if (direction == 'S' && !(line.size() >= 1 && line[0] == '+'
                                     && (line.size() == 1 || line[1] == ' '))) {
        inSasl_ = false;  // the final reply of an exchange ("+OK", "-ERR")
    }
    appendVisible(out, shown);
    out += '\n';
    // One write per line with O_APPEND: lines of several sessions never interleave.
    [[maybe_unused]] const ssize_t written = ::write(fd, out.data(), out.size());
}

}  // namespace kestrix
