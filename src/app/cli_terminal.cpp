#include "app/cli_terminal.h"

#include "screening/protection_text.h"
#include "text/latin1.h"
#include "text/line_end.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kestrix::cli {

namespace {

// The controlling terminal, opened for one question and closed again.
class Terminal {
public:
    Terminal() : m_fd(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~Terminal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    bool open() const { return m_fd >= 0; }

    void write(const std::string &text) const
    {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(m_fd, text.data() + done, text.size() - done);
            if (n <= 0)
                return;
            done += size_t(n);
        }
    }

    // One line without its line end; nothing at end of input.
    std::optional<std::string> readLine(bool echo) const
    {
        termios saved{};
        const bool restore = !echo && ::tcgetattr(m_fd, &saved) == 0;
        if (restore) {
            termios quiet = saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            quiet.c_lflag |= ECHONL;
            ::tcsetattr(m_fd, TCSAFLUSH, &quiet);
        }
        std::string line;
        bool any = false;
        char c = 0;
        while (::read(m_fd, &c, 1) == 1) {
            any = true;
            if (c == '\n')
                break;
            line += c;
        }
        if (restore)
            ::tcsetattr(m_fd, TCSAFLUSH, &saved);
        if (!any)
            return std::nullopt;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

private:
    int m_fd;
};

// The progress line on screen now, wiped before any other text goes to standard error.
bool g_progressShown = false;

void wipeProgressLine()
{
    if (!g_progressShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    g_progressShown = false;
}

}  // namespace

TerminalView::TerminalView(bool verbose)
    : m_verbose(verbose), m_progressOnTerminal(::isatty(STDERR_FILENO) == 1)
{
}

TerminalView::~TerminalView()
{
    endProgress();
}

void TerminalView::setProgress(int maximum, int position)
{
    // Only a terminal gets the line, and only without -v: there the status texts tell it.
    if (m_verbose || !m_progressOnTerminal || maximum <= 0)
        return;
    const int done = std::clamp(position, 0, maximum);
    const int width = 20;
    const int filled = int(static_cast<long long>(done) * width / maximum);
    std::string line = "[" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), ' ')
                       + "] " + std::to_string(done) + "/" + std::to_string(maximum);
    if (line == m_progressLine && g_progressShown)
        return;
    m_progressLine = line;
    std::fputs(("\r\033[K" + line).c_str(), stderr);
    std::fflush(stderr);
    g_progressShown = true;
}

void TerminalView::endProgress()
{
    m_progressLine.clear();
    wipeProgressLine();
}

void printError(const std::string &text)
{
    wipeProgressLine();
    std::string line = withoutTrailingLineEnds(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void TerminalView::setStatus(const std::string &text)
{
    if (m_verbose)
        printError(text);
}

void TerminalView::showProtection(const ConnectionProtection &protection)
{
    if (m_verbose)
        printError(protectionLine(protection));
}

void TerminalPrompter::message(Kind, const std::string &text)
{
    if (m_verbose)
        printError(text);
}

bool TerminalPrompter::askYesNo(Kind, const std::string &text)
{
    if (m_verbose)
        printError(text + " -> No");
    return false;
}

bool TerminalPrompter::askOkCancel(Kind, const std::string &text)
{
    if (m_verbose)
        printError(text + " -> Cancel");
    return false;
}

std::optional<std::string> TerminalPrompter::askText(const std::string &title,
                                                     const std::string &prompt,
                                                     const std::string &)
{
    if (m_verbose)
        printError(title + " " + prompt + " -> Cancel");
    return std::nullopt;
}

std::optional<int> TerminalPrompter::askDownloadCount(int maximum, int value)
{
    if (m_last)
        return std::min(*m_last, maximum);
    const Terminal terminal;
    if (!terminal.open() || !::isatty(STDIN_FILENO))
        return value;  // nobody to ask: all new messages
    for (;;) {
        terminal.write("Download last " + std::to_string(value) + " of " + std::to_string(maximum)
                       + " messages ? [Enter: " + std::to_string(value)
                       + ", a number, or c to cancel] ");
        const auto line = terminal.readLine(true);
        if (!line)
            return std::nullopt;
        const std::string answer(trimLeadingBlanks(*line));
        if (answer.empty())
            return value;
        if (answer == "c" || answer == "C")
            return std::nullopt;
        const auto number = parseDecimal(answer);
        if (number && *number >= 0)
            return int(std::min<long long>(*number, maximum));
        terminal.write("Please type a number from 0 to " + std::to_string(maximum) + ".\n");
    }
}

std::optional<std::string> readPasswordFromTerminal(const std::string &prompt)
{
    const Terminal terminal;
    if (!terminal.open())
        return std::nullopt;
    terminal.write(prompt);
    return terminal.readLine(false);
}

}  // namespace kestrix::cli
