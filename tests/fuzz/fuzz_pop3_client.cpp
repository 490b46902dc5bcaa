// The POP3 client fed arbitrary server bytes through an in-memory stream behind the stream seam:
// the greeting, USER/PASS/STAT, then TOP/LIST, UIDL and DELE for the first messages, and QUIT.
// The first input byte sets the largest piece one receive hands out (0: all at once), so replies
// arrive whole, split and merged. The rest is the server's side, cut into turns at each byte 0x01:
// the first turn (the greeting) is there at once, each later one once the client has sent a line,
// as a server answers; a turn may hold several replies or half of one.
#include "transport/pop3_client.h"
#include "transport/stream.h"

#include <QCoreApplication>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace kestrix;

namespace {

// A connection whose peer answers each line the client sends with the next turn of the script,
// and has closed once the script is over. The descriptor to wait on is an event counter that is
// always ready.
class ScriptedStream : public Stream {
public:
    ScriptedStream(const std::string &script, std::size_t piece) : piece_(piece)
    {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= script.size(); ++i) {
            if (i == script.size() || script[i] == '\x01') {
                turns_.push_back(script.substr(start, i - start));
                start = i + 1;
            }
        }
    }
    ~ScriptedStream() override { close(); }

    int open(bool) override
    {
        close();
        fd_ = ::eventfd(1, EFD_NONBLOCK | EFD_CLOEXEC);
        return fd_ < 0 ? -errno : 0;
    }
    int startConnect(std::uint32_t, std::uint16_t) override
    {
        nextTurn();  // the greeting
        return 0;
    }
    int connectResult() override { return 0; }
    long send(const char *data, std::size_t count) override
    {
        if (fd_ < 0)
            return -EBADF;
        for (std::size_t i = 0; i < count; ++i) {
            if (data[i] == '\n')
                nextTurn();
        }
        return long(count);
    }
    long recv(char *data, std::size_t count) override
    {
        if (fd_ < 0)
            return -EBADF;
        // Nothing to say at this moment reads as a close: the session must cope either way.
        std::size_t n = std::min(count, pending_.size() - at_);
        if (piece_ > 0)
            n = std::min(n, piece_);
        std::memcpy(data, pending_.data() + at_, n);
        at_ += n;
        return long(n);
    }
    int close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return 0;
    }
    int handle() const override { return fd_; }

private:
    void nextTurn()
    {
        if (turn_ < turns_.size())
            pending_ += turns_[turn_++];
    }

    std::vector<std::string> turns_;
    std::size_t turn_ = 0;
    std::string pending_;
    std::size_t piece_;
    std::size_t at_ = 0;
    int fd_ = -1;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0];
    const std::string script(reinterpret_cast<const char *>(data + 1), size - 1);
    TNMPOP3 pop(std::make_unique<ScriptedStream>(script, piece));
    pop.Host = "127.0.0.1";
    pop.Port = 110;
    pop.UserID = "joe";
    pop.Password = "secret";
    try {
        pop.Connect();
        const int last = std::min(pop.MessageCount(), 3);
        for (int n = 1; n <= last; ++n) {
            pop.FetchSummary(n);
            (void)pop.FetchUniqueId(n);
            pop.DeleteMessage(n);
        }
        pop.Disconnect();
    } catch (...) {
    }
    return 0;
}
