#pragma once
// What the throw-away POP3 servers of the tests (DovecotServer, MailutilsServer) share: files in
// their temp folder, delivery into a maildir, and the server process itself, started with clean
// signals, waited for until it greets on its port, and stopped by its PID.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kestrix::test::server_files {

// Writes path with content and mode; throws when it cannot.
void writeFile(const std::string &path, const std::string &content, mode_t mode);
// The bytes of path; empty when it cannot be read.
std::string readFile(const std::string &path);
// Makes the folder (kept when it exists) with mode; as root hands it to uid and gid.
void makeFolder(const std::string &path, mode_t mode, uid_t uid, gid_t gid);
// Makes maildir/cur, new and tmp (and maildir itself) for the mail user.
void makeMaildir(const std::string &maildir, uid_t uid, gid_t gid);
// Delivers raw (CR LF line ends) into maildir/cur as `name`, by rename from tmp as maildir
// wants, so a server never sees half a message; as root the file goes to uid and gid.
void deliver(const std::string &maildir, const std::string &name, const std::string &raw,
             uid_t uid, gid_t gid);
// The files in maildir/new and maildir/cur, sorted by name (the order servers number them in
// when the names start with increasing times).
std::vector<std::string> maildirFiles(const std::string &maildir);

}  // namespace kestrix::test::server_files

namespace kestrix::test {

// A server program running in the foreground with its output appended to a log file.
class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts argv[0] (a full path) with no blocked signals and default handlers, whatever the
    // caller has set up (a caller that waits for SIGTERM blocks it); throws when it cannot.
    void start(const std::vector<std::string> &argv, const std::string &logFile);
    // Waits until 127.0.0.1:port greets with "+OK"; false (with why) when the process exits or
    // the limit passes first.
    bool waitUntilGreeting(int port, std::chrono::seconds limit, std::string &why);
    // SIGTERM, then waits (SIGKILL after a while). Does nothing when it is not running.
    void stop();
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

}  // namespace kestrix::test
