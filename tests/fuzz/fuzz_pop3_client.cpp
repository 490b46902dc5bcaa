// The POP3 client fed arbitrary server bytes through an in-memory stream behind the stream seam:
// the greeting, USER/PASS/STAT, then TOP/LIST, UIDL and DELE for the first messages, and QUIT.
// The first input byte sets the largest piece one receive hands out (0: all at once), so replies
// arrive whole, split and merged.
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

using namespace kestrix;

namespace {

// A connection whose peer has said everything in advance: receives hand out the script, then the
// peer has closed. The descriptor to wait on is an event counter that is always ready.
class ScriptedStream : public Stream {
public:
    ScriptedStream(std::string script, std::size_t piece) : script_(std::move(script)), piece_(piece) {}
    ~ScriptedStream() override { close(); }

    int open(bool) override
    {
        close();
        fd_ = ::eventfd(1, EFD_NONBLOCK | EFD_CLOEXEC);
        return fd_ < 0 ? -errno : 0;
    }
    int startConnect(std::uint32_t, std::uint16_t) override { return 0; }
    int connectResult() override { return 0; }
    long send(const char *, std::size_t count) override { return fd_ < 0 ? -EBADF : long(count); }
    long recv(char *data, std::size_t count) override
    {
        if (fd_ < 0)
            return -EBADF;
        std::size_t n = std::min(count, script_.size() - at_);
        if (piece_ > 0)
            n = std::min(n, piece_);
        std::memcpy(data, script_.data() + at_, n);
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
    std::string script_;
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
    std::string script(reinterpret_cast<const char *>(data + 1), size - 1);
    TNMPOP3 pop(std::make_unique<ScriptedStream>(std::move(script), piece));
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
