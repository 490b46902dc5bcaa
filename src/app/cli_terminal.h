#pragma once
// kestrix-cli's screen and questions: the screening's View writes status texts to standard
// error with -v (standard output carries the table only) and, on a terminal, a progress line
// that rewrites itself; its Prompter answers from the command line or asks on the terminal.

#include "screening/prompter.h"
#include "screening/view.h"

#include <optional>
#include <string>

namespace kestrix::cli {

class TerminalView : public View {
public:
    // verbose: every status text; otherwise none (failures and warnings come as messages).
    explicit TerminalView(bool verbose = true);
    ~TerminalView() override;
    TerminalView(const TerminalView &) = delete;
    TerminalView &operator=(const TerminalView &) = delete;

    void setText(Control, const std::string &) override {}
    void setEnabled(Control, bool) override {}
    void setVisible(Control, bool) override {}
    void setChecked(Control, bool) override {}
    void setMainButtonMode(MainButtonMode) override {}
    void setStatus(const std::string &text) override;
    void setProgress(int maximum, int position) override;
    void setBusyCursor(bool) override {}
    void showPage(Control) override {}
    void messageTableChanged() override {}
    void scrollMessageTable(int, int) override {}
    int messageTableClientHeight() const override { return 1 << 30; }  // no scrolling
    void setDetails(const std::vector<std::string> &) override {}
    // -v: one line, "connection: TLS 1.3 (certificate ... SHA-256 ...)" or "connection: not
    // encrypted".
    void showProtection(const ConnectionProtection &protection) override;
    void setNewMailSign(bool) override {}
    void beep() override {}

    // Wipes the progress line, so that the next text starts on a clean line.
    void endProgress();

private:
    bool m_verbose;
    bool m_progressOnTerminal;  // standard error is a terminal
    std::string m_progressLine;  // what the progress line shows now ("" when none)
};

class TerminalPrompter : public Prompter {
public:
    // last: the answer to the download-control question (--last N), if given. verbose: the
    // message boxes and questions are shown (with -v); otherwise a failure is told once, as the
    // command's one error line.
    explicit TerminalPrompter(std::optional<int> last, bool verbose = false)
        : m_last(last), m_verbose(verbose)
    {
    }

    void message(Kind kind, const std::string &text) override;
    // The command line asks no Yes/No or OK/Cancel question of its own: what to delete is said
    // on the command line. Any such question is answered No/Cancel (and shown with -v).
    bool askYesNo(Kind kind, const std::string &text) override;
    bool askOkCancel(Kind kind, const std::string &text) override;
    std::optional<std::string> askText(const std::string &title, const std::string &prompt,
                                       const std::string &initial) override;
    // --last N (at most maximum); else the question on the terminal; else all of them.
    std::optional<int> askDownloadCount(int maximum, int value) override;
    std::optional<std::string> askNewProfileName() override { return std::nullopt; }

private:
    std::optional<int> m_last;
    bool m_verbose;
};

// Writes one line to standard error: the text without its line end. A progress line on the
// terminal is wiped first.
void printError(const std::string &text);

// The password typed on the terminal without echo; nothing without a terminal.
std::optional<std::string> readPasswordFromTerminal(const std::string &prompt);

}  // namespace kestrix::cli
