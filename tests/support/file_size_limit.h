#pragma once
// Makes this process's writes fail part way, as on a full disk: a file-size limit binds root as
// well (CI runs as root), so tests of short writes run under every user. SIGXFSZ is ignored
// meanwhile, so the write fails with EFBIG instead of ending the process.
#include <sys/resource.h>

#include <csignal>

namespace kestrix::test {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_ok; }

private:
    struct rlimit m_saved {};
    void (*m_savedSignal)(int) = SIG_DFL;
    bool m_ok = false;
};

}  // namespace kestrix::test
